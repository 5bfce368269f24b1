// Ending the program, and restarting or shutting the machine down: the main menu's exit and power
// items with their busy guards, the disk menu's power items, the exit and close buttons, the end
// of MainWindow, and the one end-of-run unmount of the virtual drive.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

// The PE shell tool's command: "PECMD.EXE SHUT R" for a restart, "PECMD.EXE SHUT" otherwise.
std::string shutdown_command_line(bool restart);
// The virtual-drive tool's command that unmounts its drive.
std::string unmount_command_line();

// Start the PE shell tool hidden without waiting for it, then ask the system to end the session.
// Neither ends the program: Windows does that as it goes down, and a caller that must end it
// (the finish countdown) does so itself.
void shutdown_now();
void restart_system();
void exit_windows_shutdown();
void exit_windows_reboot();
void enable_shutdown_privilege();

// Runs the unmount command hidden and waits for it to end.
void unmount_virtual_drive();

// Ends the program with its exit code. The virtual drive is unmounted first when this run mounted
// an image (g_iso_mounted), at most once per run, however many paths lead to the end.
void end_program(int exit_code = 0);

// The main menu's power items: refused while a job runs; in automatic mode the Ghost restore
// window leaves always-on-top while they speak.
void confirm_shutdown(ui::Event& event);
void confirm_restart(ui::Event& event);
// The disk menu's power items: asked, never refused.
void confirm_shutdown_system(ui::Event& event);
void confirm_restart_system(ui::Event& event);
// The main menu's exit: refused while a job runs.
void quit_unless_busy(ui::Event& event);
void on_main_exit_clicked(ui::Event& event);
void on_main_window_closed(ui::Event& event);
void on_main_window_destroyed(ui::Event& event);

void bind_exit_and_power_handlers();
// A fresh run: the end-of-run unmount has not happened yet.
void reset_end_of_run();

}  // namespace qv
