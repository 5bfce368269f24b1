#include "app/exit_and_power.h"

#include "app/state.h"
#include "app/tool_runner.h"
#include "platform/os.h"
#include "platform/os_power.h"
#include "ui/info_windows.h"
#include "ui/main_window.h"
#include "ui/main_window_def.h"

namespace qv {
namespace {

// Whether the end-of-run unmount was decided: every end path reaches the main window's end, and
// the drive must not be unmounted twice, nor by a later path after one that chose to leave it.
bool g_end_unmount_settled = false;

void settle_end_unmount(bool unmount) {
    if (g_end_unmount_settled) return;
    g_end_unmount_settled = true;
    if (unmount && g_iso_mounted) unmount_virtual_drive();
}

void quit(int exit_code) {
    if (ui::Runtime* runtime = os::os().ui) runtime->quit(exit_code);
}

// The main menu's power items: lower the automatic-mode window, refuse while busy, ask, raise it
// again whatever the answer.
void confirm_power_item(const char* question, void (*act)()) {
    ui::lower_ghost_restore_window();
    if (g_busy) {
        ui::raise_ghost_restore_window();
        ui::show_notice("程序正在操作，请等待！", 0x30);
        return;
    }
    int answer = ui::show_notice(question, 0x44);
    ui::raise_ghost_restore_window();
    if (answer == os::kIdYes) act();
}

void confirm_system_item(const char* question, void (*act)()) {
    if (ui::show_notice(question, 0x44) == os::kIdYes) act();
}

}  // namespace

std::string shutdown_command_line(bool restart) {
    return restart ? "PECMD.EXE SHUT R" : "PECMD.EXE SHUT";
}

std::string unmount_command_line() {
    return "iso.exe /q";
}

void enable_shutdown_privilege() {
    if (os::Power* power = os::os().power) power->enable_shutdown_privilege();
}

void exit_windows_shutdown() {
    enable_shutdown_privilege();
    if (os::Power* power = os::os().power) power->exit_windows(os::kExitShutdown, 0xFFFF);
}

void exit_windows_reboot() {
    enable_shutdown_privilege();
    if (os::Power* power = os::os().power) power->exit_windows(os::kExitReboot, 0);
}

// The shell tool is not waited for: outside Windows PE it is missing, and the session end follows
// at once either way.
void shutdown_now() {
    run_hidden(shutdown_command_line(false), false);
    exit_windows_shutdown();
}

void restart_system() {
    run_hidden(shutdown_command_line(true), false);
    exit_windows_reboot();
}

void unmount_virtual_drive() {
    run_hidden(unmount_command_line(), true);
}

void end_program(int exit_code) {
    settle_end_unmount(true);
    quit(exit_code);
}

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
        ui::show_notice("正在执行任务，无法退出！", 0x30);
        return;
    }
    // An automatic run leaves the drive mounted for whoever started it.
    settle_end_unmount(!g_automatic_mode);
    quit(0);
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

void reset_end_of_run() {
    g_end_unmount_settled = false;
}

}  // namespace qv
