// Processes: starting tools, reading their output, finding them by name, ending them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::os {

// Window states of a started program (the values of `run_program`'s show argument).
enum : int {
    kShowHidden = 1,
    kShowNormal = 2,
    kShowMinimized = 3,
    kShowMaximized = 4,
    kShowNoActivate = 5,
    kShowMinimizedNoActivate = 6,
};

// The exit code a process reports while it still runs.
constexpr int kStillActive = 259;

// One entry of a process snapshot: its id and its executable's bare file name as the system
// reports it (on-disk case).
struct ProcessEntry {
    std::uint32_t id = 0;
    std::string exe_name;
};

// A hidden process whose standard output and standard error share one anonymous pipe. The
// object owns the pipe's read end and the process handles and closes them when it goes away.
class CapturedProcess {
public:
    virtual ~CapturedProcess() = default;
    // The bytes the pipe holds now without blocking; 0 when none or when the pipe is gone.
    virtual std::size_t bytes_waiting() = 0;
    // Reads up to `max_bytes`; callers ask only after `bytes_waiting` reported some.
    virtual std::string read(std::size_t max_bytes) = 0;
    virtual bool ended() = 0;
    // The exit code, kStillActive while the process runs.
    virtual int exit_code() = 0;
};

// An opened process that can be asked whether it has ended; closes its handle when destroyed.
class ProcessWatch {
public:
    virtual ~ProcessWatch() = default;
    virtual bool ended() = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    // True on the Windows NT family (the command interpreter is cmd.exe there).
    virtual bool nt_family() = 0;
    // Starts a command line with a window state (kShow...), inheriting no handles. With `wait`
    // it blocks until the process ends; otherwise it waits at most a second for it to become
    // idle for input. False when the process could not be created.
    virtual bool run(const std::string& command_line, bool wait, int show) = 0;
    // Starts a command line hidden with its standard output and error on one pipe; null when it
    // could not be started.
    virtual std::unique_ptr<CapturedProcess> start_captured(const std::string& command_line) = 0;
    // Every process of the system, in the order the system lists them.
    virtual std::vector<ProcessEntry> snapshot() = 0;
    // Opens a process for waiting on it; null when it cannot be opened.
    virtual std::unique_ptr<ProcessWatch> open(std::uint32_t id) = 0;
    // Ends a process with the given exit code; false when it cannot be opened or ended.
    virtual bool terminate(std::uint32_t id, int exit_code) = 0;
};

}  // namespace qv::os
