// The persistent interpreter on Win32: an anonymous pipe for its input and a named pipe for its
// output, whose reading end the program opens for overlapped reads so that a stop can end a
// pending read even while a tool started by the interpreter still holds the writing end.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "handles.h"
#include "platform/os_console.h"

namespace qv::win32 {

class Win32ConsoleProcess : public os::ConsoleProcess {
public:
    Win32ConsoleProcess() = default;
    // Makes the pipes and starts the interpreter; false when any of it fails.
    bool start(const std::string& command_line, const std::string& current_folder);

    std::uint32_t process_id() override { return process_id_; }
    int write_input(const std::string& bytes) override;
    int write_output(const std::string& bytes) override;
    int read_output(char* buffer, int max) override;
    bool stop(std::uint32_t exit_code) override;

    struct PipeEnds {
        HANDLE stdin_read, stdin_write, stdout_read, stdout_write;
    };
    PipeEnds pipe_ends() const;

private:
    static int write_all(HANDLE h, const std::string& bytes);

    Handle stdin_read_, stdin_write_, stdout_read_, stdout_write_;
    Handle process_, thread_;
    Handle stop_event_;
    std::uint32_t process_id_ = 0;
};

class Win32Consoles : public os::Consoles {
public:
    bool nt_family() override;
    std::unique_ptr<os::ConsoleProcess> start_hidden(const std::string& command_line,
                                                     const std::string& current_folder) override;
};

}  // namespace qv::win32
