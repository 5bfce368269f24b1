// Processes: starting tools, reading their output, finding them by name, waiting for them and
// ending them.
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

// A wait's time-out that never passes.
constexpr int kWaitForever = -1;

// Whether a wait also ends when a window message or input arrives for the calling thread.
enum class Wake { OnMessages, OnlyOnEnd };

// One entry of a process snapshot: its id and its executable's bare file name as the system
// reports it (on-disk case).
struct ProcessEntry {
    std::uint32_t id = 0;
    std::string exe_name;
};

// A process that this program started or opened; closes its handle when destroyed.
class ProcessWatch {
public:
    virtual ~ProcessWatch() = default;
    // Whether it has ended, asked without waiting.
    virtual bool ended() = 0;
    // The exit code once it has ended; kStillActive while it runs or when it cannot be read.
    virtual int exit_code() = 0;
    // Blocks the calling thread until the process has ended, `timeout_ms` has passed
    // (kWaitForever: never) or, with Wake::OnMessages, a window message or input is waiting for
    // the thread (already waiting counts). True when the process has ended.
    virtual bool wait(int timeout_ms, Wake wake) = 0;
    // True once the process waits for user input with none pending, and for a process that has
    // no input to wait for (a console tool) or has ended.
    virtual bool input_idle() = 0;
};

// A hidden process whose standard output and standard error share one anonymous pipe. The
// object owns the pipe's read end and the process handles and closes them when it goes away.
class CapturedProcess : public ProcessWatch {
public:
    // The bytes the pipe holds now without blocking; 0 when none or when the pipe is gone.
    virtual std::size_t bytes_waiting() = 0;
    // Reads up to `max_bytes`; callers ask only after `bytes_waiting` reported some.
    virtual std::string read(std::size_t max_bytes) = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    // True on the Windows NT family (the command interpreter is cmd.exe there).
    virtual bool nt_family() = 0;
    // Starts a command line with a window state (kShow...), inheriting no handles, and returns
    // at once; null when the process could not be created.
    virtual std::unique_ptr<ProcessWatch> start(const std::string& command_line, int show) = 0;
    // Starts a command line hidden with its standard output and error on one pipe; null when it
    // could not be started.
    virtual std::unique_ptr<CapturedProcess> start_captured(const std::string& command_line) = 0;
    // Every process of the system, in the order the system lists them.
    virtual std::vector<ProcessEntry> snapshot() = 0;
    // Opens a process for waiting on it, and only that: its exit code and input state are not
    // asked for. Null when it cannot be opened.
    virtual std::unique_ptr<ProcessWatch> open(std::uint32_t id) = 0;
    // Ends a process with the given exit code; false when it cannot be opened or ended.
    virtual bool terminate(std::uint32_t id, int exit_code) = 0;
    // Blocks the calling thread until `timeout_ms` has passed or, with Wake::OnMessages, a window
    // message or input is waiting for the thread.
    virtual void wait_for_message(int timeout_ms, Wake wake) = 0;
};

}  // namespace qv::os
