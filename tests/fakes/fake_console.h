// An in-memory interpreter for the persistent console: tests print into its output pipe write by
// write and see every line typed into it. Reads block like a pipe read until output comes or the
// console is stopped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/os_console.h"

namespace qv::fakes {

class FakeConsoleState {
public:
    std::uint32_t pid = 4242;
    bool stop_fails = false;  // the termination fails (the pipes are closed all the same)

    // What the interpreter prints; each call is one write, and a read never joins two writes.
    void print(const std::string& bytes);
    // Every writer of the output pipe is gone: reads end.
    void end_output();

    std::vector<std::string> inputs() const;  // each write into the input, in order
    bool stopped() const;
    std::uint32_t exit_code() const;
    int largest_read() const;  // the largest buffer a read offered

    // Used by the fake process.
    int read(char* buffer, int max);
    int write_input(const std::string& bytes);
    int write_output(const std::string& bytes);
    bool stop(std::uint32_t code);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> output_;
    std::vector<std::string> inputs_;
    bool stopped_ = false;
    bool ended_ = false;
    std::uint32_t exit_code_ = 0;
    int largest_read_ = 0;
};

class FakeConsoles : public os::Consoles {
public:
    bool nt = true;
    bool fail_start = false;
    struct Start {
        std::string command_line;
        std::string folder;
    };
    std::vector<Start> starts;
    std::shared_ptr<FakeConsoleState> last;  // the state of the last interpreter started
    std::uint32_t next_pid = 4242;

    bool nt_family() override { return nt; }
    std::unique_ptr<os::ConsoleProcess> start_hidden(const std::string& command_line,
                                                     const std::string& current_folder) override;
};

}  // namespace qv::fakes
