// The boot tools of the "扩展工具(&K)" menu: the boot-record editor, a BCD file opened in it, and
// the boot-repair package, which is written from the program's own copy the first time it is
// chosen. The tools run in their own windows; nothing waits for them and nothing is reported.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

// The editor in the Windows folder, without arguments.
std::string bootice_command();
// The editor opening a BCD file: "... /edit_bcd  /file=" (two blanks) and the file, which is
// quoted only when the system would split it.
std::string bootice_edit_bcd_command(const std::string& bcd_file);
// The boot-repair package in the Windows folder.
std::string boot_tool_command();

void run_bootice(ui::Event& event);            // "重建主引导记录(&M)"
void edit_bcd_with_bootice(ui::Event& event);  // "BCD引导文件编辑(&B)"
void run_boot_tool(ui::Event& event);          // "Windows引导修复(&N)"

void bind_boot_tool_handlers();

}  // namespace qv
