// Scripted processes: launches are recorded with their exact command lines, and each one follows
// the first script whose `match` its command line contains (case ignored). A process stays alive
// for `polls` questions about it - each snapshot that lists it and each has-it-ended question or
// wait of an opened, started or captured process counts one, and the question after the last
// sees it ended; -1 keeps it alive until it is terminated.
//
// Waits pass time on the installed clock: a wait that its process does not end, and a wait for
// messages, passes 10 ms (or its time-out when that is shorter), as if a window message woke the
// waiter every 10 ms; the window runtime's pump then runs. So native tests stay deterministic.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/os_process.h"

namespace qv::fakes {

class FakeProcesses : public os::Processes {
public:
    struct Script {
        std::string match;        // part of the command line; empty matches every launch
        std::string name;         // executable name in the snapshot; empty: the command's file name
        std::string output;       // in the pipe from the start
        std::string last_output;  // written just as the process ends
        int exit_code = 0;
        int polls = 0;
        bool fails = false;  // the launch fails
        // Questions whether it is idle for input answered "not yet" (-1: never idle).
        int busy_for_input = 0;
    };
    struct Launch {
        std::string command_line;
        bool captured = false;
        // The program waited on this process through the process it got from the start (it did
        // not go on before the process had ended or its wait's time was up).
        bool wait = false;
        int show = 0;
    };

    static constexpr int kWaitStepMs = 10;

    std::vector<Script> scripts;
    std::vector<Launch> launches;
    std::vector<std::size_t> read_sizes;  // every pipe read's requested size, in order
    bool nt = true;
    bool open_fails = false;  // processes cannot be opened for waiting
    int snapshots = 0;
    std::vector<os::Wake> wakes;  // what each wait, with or without a process, woke for
    // Called with each command line just before its process starts (tests look at what runs then).
    std::function<void(const std::string&)> on_launch;

    // A process that already runs; returns its id.
    std::uint32_t add_process(const std::string& name, int polls = -1);
    bool running(const std::string& name) const;
    std::vector<std::string> commands() const;

    bool nt_family() override { return nt; }
    std::unique_ptr<os::ProcessWatch> start(const std::string& command_line, int show) override;
    std::unique_ptr<os::CapturedProcess> start_captured(const std::string& command_line) override;
    std::vector<os::ProcessEntry> snapshot() override;
    std::unique_ptr<os::ProcessWatch> open(std::uint32_t id) override;
    bool terminate(std::uint32_t id, int exit_code) override;
    void wait_for_message(int timeout_ms, os::Wake wake) override;

    struct Proc {
        std::string name;
        std::string pipe;
        std::string last_output;
        int exit_code = 0;
        int polls = 0;
        int busy_for_input = 0;
        bool ended = false;
    };
    // Counts one question about the process; true once it has ended.
    bool poll(std::uint32_t id);
    // One wait on the process: a question, and the time of a wait step when it has not ended.
    bool wait_on(std::uint32_t id, int timeout_ms);
    Proc* find(std::uint32_t id);

private:
    const Script* script_for(const std::string& command_line) const;
    std::uint32_t spawn(const std::string& command_line, const Script* script);
    std::map<std::uint32_t, Proc> procs_;
    std::uint32_t next_id_ = 100;
};

}  // namespace qv::fakes
