// The seam for the persistent command interpreter: one hidden process with an input pipe and an
// output pipe. The portable console (src/jobs/command_console.h) owns the policy; this is only
// the process and its pipes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qv::os {

// A running interpreter. read_output runs on a reader thread while the user-interface thread
// writes and stops, so an implementation keeps every handle that a read may use open until the
// object is destroyed; stop only ends the pending and later reads.
class ConsoleProcess {
public:
    virtual ~ConsoleProcess() = default;
    virtual std::uint32_t process_id() = 0;
    // One write of exactly these bytes into the interpreter's input; the count written, or -1.
    virtual int write_input(const std::string& bytes) = 0;
    // A write into the interpreter's own output pipe, where a reader meets it like any output.
    virtual int write_output(const std::string& bytes) = 0;
    // Blocks until output comes; the count read (1 to max), or 0 once the pipe has ended or the
    // console was stopped.
    virtual int read_output(char* buffer, int max) = 0;
    // Closes the pipe ends, ends any pending read and terminates the interpreter with this exit
    // code. True when the interpreter is gone (also when it had already ended).
    virtual bool stop(std::uint32_t exit_code) = 0;
};

class Consoles {
public:
    virtual ~Consoles() = default;
    // Whether the system is of the NT family (the console exists only there).
    virtual bool nt_family() = 0;
    // Starts the interpreter hidden, its standard input on one pipe and its standard output and
    // error on the other; null when a pipe or the process cannot be made.
    virtual std::unique_ptr<ConsoleProcess> start_hidden(const std::string& command_line,
                                                         const std::string& current_folder) = 0;
};

}  // namespace qv::os
