// The stand-in tools in the Wine tests: their log, Ghost's map of disks and partitions to folders,
// a Windows folder of the test's own for the tools the program writes and runs, a tool run with its
// output captured, and the job windows' timers let run while the tools work.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/headless_runtime.h"
#include "win32_os.h"

namespace qv::wine_support {

using Lines = std::vector<std::string>;

// One line of the stand-ins' log (QV_STANDIN_LOG): tool, event, time, detail.
struct LogLine {
    std::string tool, event, time, detail;
};
std::vector<LogLine> read_standin_log(const std::wstring& log);
// The details of one tool's events of one kind, in order ("start": the raw command lines).
Lines standin_details(const std::wstring& log, const std::string& tool, const std::string& event);
// The raw command lines of every tool's starts, in order.
Lines started_commands(const std::wstring& log);
// The arguments of each start of the tool as its runtime reads the logged command line (the
// program's name left out), in the program's GBK: what the tool received.
std::vector<Lines> started_arguments(const std::wstring& log, const std::string& tool);
// Waits (10 s at most) until the log holds that many ends of runs.
void wait_for_ends(const std::wstring& log, int ends);

// Writes the stand-in Ghost's map (UTF-8 lines "disk:partition=folder" or "disk=folder") as
// <folder>\map.txt and names it in QV_GHOST_MAP.
void use_ghost_map(const std::wstring& folder, const std::string& lines);

// The real file system with the PE's Windows folder elsewhere (the carried tools are written and
// run there) and, when one is given, its system folder too.
class MovedWindowsFolder : public win32::Win32FileSystem {
public:
    explicit MovedWindowsFolder(std::string windows, std::string system = {})
        : windows_(std::move(windows)), system_(std::move(system)) {}
    std::string windows_folder() override { return windows_; }
    std::string system_folder() override {
        return system_.empty() ? Win32FileSystem::system_folder() : system_;
    }

private:
    std::string windows_, system_;
};

struct Finished {
    bool started = false;
    int exit_code = -1;
    std::string output;
};
// Runs the command line hidden through the program's capture seam, with its output on one pipe,
// and waits for its end (30 s at most).
Finished run_captured(const std::string& command_line);

// Lets the headless runtime's timers fire in real time, a step at a time, until `done` holds or
// the limit passed; returns `done`.
bool run_timers_until(fakes::HeadlessRuntime& runtime, const std::function<bool()>& done,
                      int limit_ms = 60000, int step_ms = 50);

// Stops the program's console and waits (5 s at most) for its readers to leave.
void stop_console_and_readers();

}  // namespace qv::wine_support
