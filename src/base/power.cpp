#include "base/power.h"

#include "base/state.h"
#include "base/tool_runner.h"
#include "platform/os.h"
#include "platform/os_power.h"
#include "ui/runtime.h"

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
    end_program_unmounting(true, exit_code);
}

void end_program_unmounting(bool unmount, int exit_code) {
    settle_end_unmount(unmount);
    if (ui::Runtime* runtime = os::os().ui) runtime->quit(exit_code);
}

void reset_end_of_run() {
    g_end_unmount_settled = false;
}

}  // namespace qv
