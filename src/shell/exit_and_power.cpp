#include "shell/exit_and_power.h"

#include "base/power.h"
#include "base/state.h"
#include "main_window/info_windows.h"
#include "main_window/main_window.h"
#include "main_window/main_window_def.h"
#include "platform/os.h"

namespace qv {
namespace {

// The main menu's power items: lower the automatic-mode window, refuse while busy, ask, raise it
// again whatever the answer.
void confirm_power_item(const char* question, void (*act)()) {
    ui::lower_ghost_restore_window();
    if (g_busy) {
        ui::raise_ghost_restore_window();
        ui::show_notice(ui::kBusyText, os::kIconWarning);
        return;
    }
    int answer = ui::show_notice(question, os::kBoxYesNo | os::kIconInfo);
    ui::raise_ghost_restore_window();
    if (answer == os::kIdYes) act();
}

void confirm_system_item(const char* question, void (*act)()) {
    if (ui::show_notice(question, os::kBoxYesNo | os::kIconInfo) == os::kIdYes) act();
}

}  // namespace

void confirm_shutdown(ui::Event&) {
    confirm_power_item("是否立即关机？", shutdown_now);
}
void confirm_restart(ui::Event&) {
    confirm_power_item("是否立即重启？", restart_system);
}
void confirm_shutdown_system(ui::Event&) {
    confirm_system_item("是否关闭系统？", shutdown_now);
}
void confirm_restart_system(ui::Event&) {
    confirm_system_item("是否重启系统？", restart_system);
}

void quit_unless_busy(ui::Event&) {
    if (g_busy) {
        ui::show_notice("正在执行任务，无法退出！", os::kIconWarning);
        return;
    }
    // An automatic run leaves the drive mounted for whoever started it.
    end_program_unmounting(!g_automatic_mode, 0);
}

void on_main_exit_clicked(ui::Event&) {
    end_program(0);
}
void on_main_window_closed(ui::Event&) {
    end_program(0);
}
void on_main_window_destroyed(ui::Event&) {
    end_program(0);
}

void bind_exit_and_power_handlers() {
    const std::string w = ui::kMainWindowName;
    ui::bind_handler(w, "main_menu_shutdown_now", ui::EventKind::Menu, confirm_shutdown);
    ui::bind_handler(w, "main_menu_restart_now", ui::EventKind::Menu, confirm_restart);
    ui::bind_handler(w, "disk_menu_shutdown_system", ui::EventKind::Menu, confirm_shutdown_system);
    ui::bind_handler(w, "disk_menu_restart_system", ui::EventKind::Menu, confirm_restart_system);
    ui::bind_handler(w, "main_menu_exit", ui::EventKind::Menu, quit_unless_busy);
    ui::bind_handler(w, "exit_button", ui::EventKind::Click, on_main_exit_clicked);
    ui::bind_handler(w, "close_button", ui::EventKind::Click, on_main_window_closed);
    ui::bind_handler(w, "", ui::EventKind::Destroyed, on_main_window_destroyed);
}

}  // namespace qv
