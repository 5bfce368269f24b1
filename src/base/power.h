// Restarting or shutting the machine down, and ending the program: what the finish countdown,
// the automatic-mode ends and the main window's menus share.
#pragma once

#include <string>

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
// The same, leaving the drive mounted when `unmount` is false; the first path to the end decides.
void end_program_unmounting(bool unmount, int exit_code);
// A fresh run: the end-of-run unmount has not happened yet.
void reset_end_of_run();

}  // namespace qv
