#include "shell/boot_tools.h"

#include "base/carried_tools.h"
#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/tool_runner.h"
#include "main_window/main_window_def.h"

namespace qv {
namespace {

std::string boot_tool_path() {
    return windows_dir() + kCarriedBootRepair;
}

}  // namespace

std::string bootice_command() {
    return quote_path_for_cmd(windows_dir() + "BOOTICE.EXE");
}

std::string bootice_edit_bcd_command(const std::string& bcd_file) {
    // Unquoted, a file with a blank would reach the editor as two arguments.
    return bootice_command() + " /edit_bcd  /file=" + quote_path_for_cmd(bcd_file);
}

std::string boot_tool_command() {
    return quote_path_for_cmd(boot_tool_path());
}

void run_bootice(ui::Event&) {
    run_program(bootice_command(), false, os::kShowNormal);
}

void edit_bcd_with_bootice(ui::Event& event) {
    const std::string file = event.window->run_file_dialog("bcd_open_dialog");
    if (file.empty()) return;
    run_program(bootice_edit_bcd_command(file), false, os::kShowNormal);
}

void run_boot_tool(ui::Event&) {
    // Written whole or not at all, so a failed write never leaves a broken package to be run.
    if (!file_exists(boot_tool_path())) write_carried_file(kCarriedBootRepair, boot_tool_path());
    run_program(boot_tool_command(), false, os::kShowNormal);
}

void bind_boot_tool_handlers() {
    const std::string w = ui::kMainWindowName;
    ui::bind_handler(w, "main_menu_rebuild_mbr", ui::EventKind::Menu, run_bootice);
    ui::bind_handler(w, "main_menu_edit_bcd", ui::EventKind::Menu, edit_bcd_with_bootice);
    ui::bind_handler(w, "main_menu_boot_repair", ui::EventKind::Menu, run_boot_tool);
}

}  // namespace qv
