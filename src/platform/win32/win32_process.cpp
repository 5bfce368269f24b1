#include "win32_process.h"

#include <windows.h>

#include <tlhelp32.h>

#include <vector>

#include "encoding.h"
#include "handles.h"

namespace qv::win32 {
namespace {

constexpr DWORD kPipeBytes = 64 * 1024;

WORD show_command(int show) {
    switch (show) {
        case os::kShowHidden:
            return SW_HIDE;
        case os::kShowMinimized:
            return SW_SHOWMINIMIZED;
        case os::kShowMaximized:
            return SW_SHOWMAXIMIZED;
        case os::kShowNoActivate:
            return SW_SHOWNOACTIVATE;
        case os::kShowMinimizedNoActivate:
            return SW_MINIMIZE;
        default:
            return SW_SHOWNORMAL;
    }
}

// CreateProcessW may write into the command line, so it gets a copy of its own.
std::vector<wchar_t> command_buffer(const std::string& command_line) {
    std::wstring wide = widen(command_line);
    std::vector<wchar_t> buf(wide.begin(), wide.end());
    buf.push_back(L'\0');
    return buf;
}

// The process half of every wait. A wait that fails can never succeed later, so it counts as
// the end: nothing is left to wait for, and the caller must not wait on it for ever.
bool wait_on(HANDLE process, int timeout_ms, os::Wake wake) {
    const DWORD timeout = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
    const DWORD count = process != nullptr ? 1 : 0;
    if (wake == os::Wake::OnMessages) {
        // MWMO_INPUTAVAILABLE: messages already in the queue wake it too, not only new ones.
        DWORD got = MsgWaitForMultipleObjectsEx(count, count != 0 ? &process : nullptr, timeout,
                                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (got == WAIT_FAILED) return count != 0;
        return count != 0 && got == WAIT_OBJECT_0;
    }
    if (count == 0) {
        Sleep(timeout);
        return false;
    }
    return WaitForSingleObject(process, timeout) != WAIT_TIMEOUT;
}

bool has_ended(HANDLE process) {
    return WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
}

int exit_code_of(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    // A tool whose exit code happens to be 259 has still ended once its handle is signalled.
    if (!has_ended(process) || !GetExitCodeProcess(process, &code)) return os::kStillActive;
    return static_cast<int>(code);
}

// A process without a message queue (a console tool) or one that has ended gives WAIT_FAILED:
// there is nothing to wait for.
bool is_input_idle(HANDLE process) {
    return WaitForInputIdle(process, 0) != WAIT_TIMEOUT;
}

class Win32Captured : public os::CapturedProcess {
public:
    Win32Captured(Handle read_end, Handle process)
        : read_(std::move(read_end)), process_(std::move(process)) {}

    std::size_t bytes_waiting() override {
        DWORD available = 0;
        if (!PeekNamedPipe(read_.get(), nullptr, 0, nullptr, &available, nullptr)) return 0;
        return available;
    }

    std::string read(std::size_t max_bytes) override {
        std::string chunk(max_bytes, '\0');
        DWORD got = 0;
        if (!ReadFile(read_.get(), chunk.data(), static_cast<DWORD>(max_bytes), &got, nullptr))
            return {};
        chunk.resize(got);
        return chunk;
    }

    bool ended() override { return has_ended(process_.get()); }
    int exit_code() override { return exit_code_of(process_.get()); }
    bool wait(int timeout_ms, os::Wake wake) override {
        return wait_on(process_.get(), timeout_ms, wake);
    }
    bool input_idle() override { return is_input_idle(process_.get()); }

private:
    Handle read_;
    Handle process_;
};

class Win32Watch : public os::ProcessWatch {
public:
    explicit Win32Watch(Handle process) : process_(std::move(process)) {}
    bool ended() override { return has_ended(process_.get()); }
    int exit_code() override { return exit_code_of(process_.get()); }
    bool wait(int timeout_ms, os::Wake wake) override {
        return wait_on(process_.get(), timeout_ms, wake);
    }
    bool input_idle() override { return is_input_idle(process_.get()); }

private:
    Handle process_;
};

class Win32Processes : public os::Processes {
public:
    bool nt_family() override {
        // Every system that runs this Unicode program is of the NT family; the query stays so
        // that the interpreter choice reads the platform rather than assuming it.
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExW(&info)) return true;
#pragma GCC diagnostic pop
        return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }

    std::unique_ptr<os::ProcessWatch> start(const std::string& command_line, int show) override {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = show_command(show);
        PROCESS_INFORMATION pi{};
        std::vector<wchar_t> cmd = command_buffer(command_line);
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return nullptr;
        Handle thread(pi.hThread);
        return std::make_unique<Win32Watch>(Handle(pi.hProcess));
    }

    std::unique_ptr<os::CapturedProcess> start_captured(const std::string& command_line) override {
        SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE r = nullptr, w = nullptr;
        // A roomy pipe: a tool that fills it stops until the capture's next look.
        if (!CreatePipe(&r, &w, &sa, kPipeBytes)) return nullptr;
        Handle read_end(r), write_end(w);
        // Only the write end goes to the child; a child holding the read end would gain nothing.
        SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = SW_HIDE;
        si.hStdOutput = write_end.get();
        si.hStdError = write_end.get();
        PROCESS_INFORMATION pi{};
        std::vector<wchar_t> cmd = command_buffer(command_line);
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                            &pi))
            return nullptr;
        Handle thread(pi.hThread);
        // With this process's copy of the write end closed, the pipe breaks once the child is gone.
        write_end.reset();
        return std::make_unique<Win32Captured>(std::move(read_end), Handle(pi.hProcess));
    }

    std::vector<os::ProcessEntry> snapshot() override {
        std::vector<os::ProcessEntry> out;
        // Owned here and closed on every path, whether a caller finds its process or not.
        Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snap.valid()) return out;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snap.get(), &entry); more;
             more = Process32NextW(snap.get(), &entry))
            out.push_back({entry.th32ProcessID, narrow(entry.szExeFile)});
        return out;
    }

    std::unique_ptr<os::ProcessWatch> open(std::uint32_t id) override {
        Handle process(OpenProcess(SYNCHRONIZE, FALSE, id));
        if (!process.valid()) return nullptr;
        return std::make_unique<Win32Watch>(std::move(process));
    }

    bool terminate(std::uint32_t id, int exit_code) override {
        Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        return process.valid() && TerminateProcess(process.get(), static_cast<UINT>(exit_code));
    }

    void wait_for_message(int timeout_ms, os::Wake wake) override {
        wait_on(nullptr, timeout_ms, wake);
    }
};

}  // namespace

os::Processes& win32_processes() {
    static Win32Processes processes;
    return processes;
}

}  // namespace qv::win32
