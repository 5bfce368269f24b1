// Running tools and waiting for processes: a command line started with a window state, the whole
// output of a short command read through a pipe, the look-up of a process by executable name and
// the waits that keep the window alive. Everything runs on the user-interface thread, and every
// wait goes through `wait_pumping`: it sleeps until the process ends, the time is up or a window
// message arrives, and dispatches the messages, so the window always answers, the program uses no
// processor time while it waits, and handlers may nest inside a wait.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/os_process.h"

namespace qv {

// The show argument of `run_program` brought into 1..6: above 6 counts as 6, 0 or below as 1.
int clamp_show_state(int show);

// The one wait of the program: returns when the process has ended (true), or when `timeout_ms`
// has passed (false; os::kWaitForever: never), dispatching window messages as they arrive. Without
// a process it waits the time only. Once the program is ending it no longer wakes for messages:
// the one waiting is the end's own quit message, which would wake it again at once, so it sleeps
// until its process or its time is up.
bool wait_pumping(os::ProcessWatch* process, int timeout_ms);
inline bool wait_for_process(os::ProcessWatch& process, int timeout_ms = os::kWaitForever) {
    return wait_pumping(&process, timeout_ms);
}

// Starts the command line (no handle inheritance) with the window state, without waiting for its
// end: it waits at most a second for the process to become idle for input, and gives it back so
// that the caller can ask that very process whether it has ended and how. Null when the process
// could not be created.
std::unique_ptr<os::ProcessWatch> start_program(const std::string& command_line,
                                                int show = os::kShowNormal);

// Starts the command line as `start_program` does; with `wait` it returns once the process has
// ended, processing window messages meanwhile. True when the process was created.
bool run_program(const std::string& command_line, bool wait, int show = os::kShowNormal);
inline bool run_hidden(const std::string& command_line, bool wait = false) {
    return run_program(command_line, wait, os::kShowHidden);
}
inline bool run_shown(const std::string& command_line, bool wait = false) {
    return run_program(command_line, wait, os::kShowNormal);
}

// The command lines of the two capture runners.
std::string console_capture_command_line(const std::string& command);
std::string command_capture_command_line(const std::string& command);

// The whole standard output and error of the command run through the command interpreter from
// the system folder, read at most 1023 bytes at a time; empty when nothing was written or the
// process did not start.
std::string run_console_capture(const std::string& command);
// The same through "cmd.exe" found on the search path, reading what the pipe reports waiting.
std::string run_command_capture_output(const std::string& command);

// The id of the first process whose executable name equals `name` (case ignored unless
// `exact`), or 0.
std::uint32_t find_process_id(const std::string& name, bool exact = false);
bool is_process_running(const std::string& name, bool exact = false);
// Ends the first process of that executable name (case ignored) with exit code 0; false when
// none runs or it cannot be ended.
bool terminate_process_by_name(const std::string& name);

// Waits for the first process of that executable name (case ignored: the system reports the
// on-disk case) to end, processing window messages. False when no such process runs or it
// cannot be opened, and, with a limit above 0, when that many seconds passed first. Each wait
// counts its own time, so a wait nested in another leaves the outer count alone.
bool wait_process_end(const std::string& name, int limit_seconds = 0);

// Processes the window messages that are waiting, when a window runtime is installed.
void pump_messages();
// Returns after at least `ms` milliseconds, processing window messages meanwhile.
void delay_pumping(int ms);

}  // namespace qv
