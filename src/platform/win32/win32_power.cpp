#include <windows.h>

#include <string>

#include "encoding.h"
#include "handles.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

#ifdef QV_TEST_HOOKS
// The file that receives session ends instead of the system, or empty.
std::wstring power_log_path() {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(L"QV_POWER_LOG", buf, 1024);
    return n == 0 || n >= 1024 ? std::wstring() : std::wstring(buf, n);
}

bool append_line(const std::wstring& path, const std::string& line) {
    Handle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    std::string bytes = line + "\r\n";
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}
#endif

}  // namespace

void Win32Power::enable_shutdown_privilege() {
#ifdef QV_TEST_HOOKS
    if (!power_log_path().empty()) return;
#endif
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
    Handle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(L"", L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

bool Win32Power::exit_windows(unsigned flags, unsigned reason) {
#ifdef QV_TEST_HOOKS
    // Under Wine a real session end takes every process of the prefix with it, the test runner
    // included; the log lets a test see the request instead.
    std::wstring log = power_log_path();
    if (!log.empty()) {
        std::string what = flags == os::kExitReboot     ? "restart"
                           : flags == os::kExitShutdown ? "shutdown"
                                                        : "exit " + std::to_string(flags);
        return append_line(log, what);
    }
#endif
    return ExitWindowsEx(flags, reason) != FALSE;
}

std::string Win32IniFiles::read_value(const std::string& path, const std::string& section,
                                      const std::string& key) {
    std::wstring file = widen(path), sect = widen(section), name = widen(key);
    // The call fills what fits and reports size - 1 when the value was cut; grow until it fits.
    for (DWORD size = 256; size <= 65536; size *= 4) {
        std::wstring buf(size, L'\0');
        DWORD n = GetPrivateProfileStringW(sect.c_str(), name.c_str(), L"", buf.data(), size,
                                           file.c_str());
        if (n < size - 1) return narrow(buf.substr(0, n));
    }
    return {};
}

}  // namespace qv::win32
