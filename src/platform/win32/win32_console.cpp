#include "win32_console.h"

#include <cstdio>
#include <vector>

#include "encoding.h"

namespace qv::win32 {
namespace {

std::wstring new_pipe_name() {
    static std::atomic<unsigned> counter{0};
    wchar_t name[96];
    swprintf(name, 96, L"\\\\.\\pipe\\QuennixVelquist.console.%lu.%u",
             static_cast<unsigned long>(GetCurrentProcessId()), counter.fetch_add(1));
    return name;
}

void set_inheritable(HANDLE h, bool on) {
    SetHandleInformation(h, HANDLE_FLAG_INHERIT, on ? HANDLE_FLAG_INHERIT : 0);
}

}  // namespace

bool Win32ConsoleProcess::start(const std::string& command_line,
                                const std::string& current_folder) {
    // Every end is made non-inheritable: the interpreter's two ends are opened to inheritance only
    // for its own start, so the tools that other runners start never carry a console pipe.
    HANDLE in_read = nullptr, in_write = nullptr;
    if (!CreatePipe(&in_read, &in_write, nullptr, 0)) return false;
    stdin_read_.reset(in_read);
    stdin_write_.reset(in_write);

    std::wstring name = new_pipe_name();
    stdout_read_.reset(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    if (!stdout_read_.valid()) return false;
    stdout_write_.reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!stdout_write_.valid()) return false;
    stop_event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_event_.valid()) return false;

    STARTUPINFOW si;
    GetStartupInfoW(&si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = stdin_read_.get();
    si.hStdOutput = stdout_write_.get();
    si.hStdError = stdout_write_.get();
    PROCESS_INFORMATION pi{};
    std::wstring line = widen(command_line);
    std::wstring folder = widen(current_folder);
    set_inheritable(stdin_read_.get(), true);
    set_inheritable(stdout_write_.get(), true);
    BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &si, &pi);
    set_inheritable(stdin_read_.get(), false);
    set_inheritable(stdout_write_.get(), false);
    if (!started) return false;
    process_.reset(pi.hProcess);
    thread_.reset(pi.hThread);
    process_id_ = pi.dwProcessId;
    return true;
}

int Win32ConsoleProcess::write_all(HANDLE h, const std::string& bytes) {
    if (h == nullptr) return -1;
    DWORD written = 0;
    if (!bytes.empty() &&
        !WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return -1;
    return static_cast<int>(written);
}

int Win32ConsoleProcess::write_input(const std::string& bytes) {
    return write_all(stdin_write_.get(), bytes);
}

int Win32ConsoleProcess::write_output(const std::string& bytes) {
    return write_all(stdout_write_.get(), bytes);
}

int Win32ConsoleProcess::read_output(char* buffer, int max) {
    if (WaitForSingleObject(stop_event_.get(), 0) == WAIT_OBJECT_0) return 0;
    Handle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid()) return 0;
    OVERLAPPED ov{};
    ov.hEvent = done.get();
    DWORD n = 0;
    if (!ReadFile(stdout_read_.get(), buffer, static_cast<DWORD>(max), nullptr, &ov) &&
        GetLastError() != ERROR_IO_PENDING) {
        return 0;  // the pipe has ended (every writer is gone)
    }
    HANDLE waits[2] = {done.get(), stop_event_.get()};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        // Stopped: the read was started by this thread, so CancelIo (present on every NT) ends it.
        CancelIo(stdout_read_.get());
        GetOverlappedResult(stdout_read_.get(), &ov, &n, TRUE);
        return 0;
    }
    if (!GetOverlappedResult(stdout_read_.get(), &ov, &n, FALSE)) return 0;
    return static_cast<int>(n);
}

bool Win32ConsoleProcess::stop(std::uint32_t exit_code) {
    SetEvent(stop_event_.get());
    // The interpreter is ended before its input is closed: with its input gone it would end by
    // itself, with its own exit code instead of the stop's.
    bool stopped = true;
    // The kept handle, never the id: a process id can be reused once the interpreter has gone.
    if (process_.valid() && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
        if (TerminateProcess(process_.get(), exit_code))
            WaitForSingleObject(process_.get(), 2000);
        else
            stopped = WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
    }
    // The reading end stays open until the last reader has let go of this object.
    stdin_read_.reset();
    stdin_write_.reset();
    stdout_write_.reset();
    return stopped;
}

Win32ConsoleProcess::PipeEnds Win32ConsoleProcess::pipe_ends() const {
    return {stdin_read_.get(), stdin_write_.get(), stdout_read_.get(), stdout_write_.get()};
}

bool Win32Consoles::nt_family() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::unique_ptr<os::ConsoleProcess> Win32Consoles::start_hidden(const std::string& command_line,
                                                                const std::string& current_folder) {
    auto process = std::make_unique<Win32ConsoleProcess>();
    if (!process->start(command_line, current_folder)) return nullptr;
    return process;
}

}  // namespace qv::win32
