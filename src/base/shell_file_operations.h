// Single files handed to the shell: move and copy with the shell's progress and prompts, Explorer
// on a file's folder with the file selected, and the properties sheet.
#pragma once

#include <cstdint>
#include <string>

#include "ui/runtime.h"

namespace qv {

// The shell's flags for an option number: 1 everything quiet (0x3FD), 2 no error box (0x400),
// 3 no progress window (0x4), 4 none; any other number counts as 1.
unsigned shell_operation_flags(int option);

// One shell operation from one path to another. True only when the shell reports success and
// the user declined nothing: a declined overwrite prompt leaves the destination as it was.
bool shell_move_file(const std::string& source, const std::string& destination, int option);
bool shell_copy_file(const std::string& source, const std::string& destination, int option);

// Explorer on the path's folder with the path selected; false for a path that does not exist.
bool open_folder_select_item(const std::string& path, bool rename);

// The properties sheet of the path, owned by the window; the shell's instance value, and whether
// that value means the sheet was shown.
std::intptr_t shell_execute_properties(const std::string& path, ui::Window* owner);
bool show_properties(const std::string& path, ui::Window* owner);

}  // namespace qv
