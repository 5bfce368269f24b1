#include "win32_os.h"

#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "encoding.h"
#include "handles.h"
#include "win32_com.h"
#include "win32_console.h"
#include "win32_carried.h"
#include "win32_instance.h"
#include "win32_process.h"
#include "win32_shell.h"
#include "win32_shell_files.h"

namespace qv::win32 {
namespace {

os::LocalTime to_local(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return {};
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string folder_of(UINT (*query)(LPWSTR, UINT)) {
    wchar_t buf[MAX_PATH + 1] = {};
    UINT n = query(buf, MAX_PATH);
    return n == 0 || n > MAX_PATH ? std::string() : narrow(buf);
}

UINT windows_dir_w(LPWSTR b, UINT n) {
    return GetWindowsDirectoryW(b, n);
}
UINT system_dir_w(LPWSTR b, UINT n) {
    return GetSystemDirectoryW(b, n);
}

std::wstring env_w(const wchar_t* name) {
    wchar_t buf[2048];
    DWORD n = GetEnvironmentVariableW(name, buf, 2048);
    return n == 0 || n >= 2048 ? std::wstring() : std::wstring(buf, n);
}

BOOL CALLBACK find_visible_window_proc(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<std::pair<DWORD, HWND>*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->first && IsWindowVisible(w)) {
        s->second = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool Win32FileSystem::path_exists(const std::string& path) {
    return !path.empty() && PathFileExistsW(widen(path).c_str()) == TRUE;
}

bool Win32FileSystem::find_first_matches(const std::string& pattern) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(widen(pattern).c_str(), &data));
    return find.valid();
}

std::int64_t Win32FileSystem::file_size_bytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32FileSystem::file_times(const std::string& path, os::FileTimes& out) {
    Handle file(CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    FILETIME created, accessed, written;
    if (!GetFileTime(file.get(), &created, &accessed, &written)) return false;
    out.created = to_local(created);
    out.written = to_local(written);
    out.accessed = to_local(accessed);
    return true;
}

namespace {

// One text of the version resource, looked up under the translation the resource declares.
std::string version_text(const std::string& path, const wchar_t* name) {
    std::wstring wpath = widen(path);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(wpath.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(wpath.c_str(), 0, size, block.data())) return {};
    struct Translation {
        WORD language;
        WORD code_page;
    };
    Translation* tr = nullptr;
    UINT tr_len = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr),
                        &tr_len) ||
        tr_len < sizeof(Translation)) {
        return {};
    }
    wchar_t key[96];
    swprintf(key, 96, L"\\StringFileInfo\\%04x%04x\\%ls", tr->language, tr->code_page, name);
    wchar_t* value = nullptr;
    UINT value_len = 0;
    if (!VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&value), &value_len) ||
        value == nullptr) {
        return {};
    }
    return narrow(value);
}

}  // namespace

std::string Win32FileSystem::file_version(const std::string& path) {
    return version_text(path, L"FileVersion");
}

std::string Win32FileSystem::file_description(const std::string& path) {
    return version_text(path, L"FileDescription");
}

bool Win32FileSystem::is_directory(const std::string& path) {
    return PathIsDirectoryW(widen(path).c_str()) != FALSE;
}

std::string Win32FileSystem::full_path(const std::string& path) {
    wchar_t buf[MAX_PATH] = {};
    if (!PathSearchAndQualifyW(widen(path).c_str(), buf, MAX_PATH)) return {};
    return narrow(buf);
}

bool Win32FileSystem::set_current_folder(const std::string& folder) {
    return SetCurrentDirectoryW(widen(folder).c_str()) != FALSE;
}

std::string Win32FileSystem::windows_folder() {
    return folder_of(windows_dir_w);
}
std::string Win32FileSystem::system_folder() {
    return folder_of(system_dir_w);
}

std::string Win32FileSystem::temp_folder() {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, buf);
    return n == 0 || n > MAX_PATH ? std::string() : narrow(buf);
}

std::string Win32FileSystem::special_folder(int csidl) {
    wchar_t buf[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buf, csidl, FALSE)) return {};
    return narrow(buf);
}

bool Win32FileSystem::write_new_file(const std::string& path, const std::string& bytes) {
    std::wstring wpath = widen(path);
    bool whole = false;
    {
        Handle file(CreateFileW(wpath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return false;
        size_t done = 0;
        whole = true;
        while (done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) ||
                written == 0) {
                whole = false;
                break;
            }
            done += written;
        }
    }
    // A short file would be kept forever by the write-when-missing rule: never leave one.
    if (!whole) DeleteFileW(wpath.c_str());
    return whole;
}

bool Win32FileSystem::delete_file(const std::string& path) {
    return DeleteFileW(widen(path).c_str()) != FALSE;
}

bool Win32FileSystem::rename_file(const std::string& from, const std::string& to) {
    return MoveFileW(widen(from).c_str(), widen(to).c_str()) != FALSE;
}

bool Win32FileSystem::copy_file(const std::string& from, const std::string& to,
                                bool fail_if_exists) {
    return CopyFileW(widen(from).c_str(), widen(to).c_str(), fail_if_exists ? TRUE : FALSE) !=
           FALSE;
}

std::string Win32Program::run_folder() {
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    wchar_t* slash = wcsrchr(buf, L'\\');
    if (slash != nullptr) *slash = L'\0';
    return narrow(buf);
}

std::string Win32Program::file_name() {
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    const wchar_t* slash = wcsrchr(buf, L'\\');
    return narrow(slash != nullptr ? slash + 1 : buf);
}

std::string Win32Program::command_line() {
    return narrow(GetCommandLineW());
}

std::uint32_t Win32Clock::tick_ms() {
    return GetTickCount();
}

os::LocalTime Win32Clock::now() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

void Win32Clock::sleep_ms(int ms) {
    Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms));
}

#ifdef QV_TEST_HOOKS
bool notices_scripted() {
    return !env_w(L"QV_NOTICE_LOG").empty();
}

void log_notice(const std::string& kind, const std::string& a, const std::string& b,
                const std::string& c) {
    std::wstring path = env_w(L"QV_NOTICE_LOG");
    if (path.empty()) return;
    std::wstring line = widen(kind) + L"\t" + widen(a) + L"\t" + widen(b) + L"\t" + widen(c);
    for (wchar_t& ch : line)
        if (ch == L'\r' || ch == L'\n') ch = L' ';
    line += L"\n";
    int n = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), n,
                        nullptr, nullptr);
    Handle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return;
    DWORD written = 0;
    WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

namespace {
int next_scripted_answer(int style) {
    static size_t taken = 0;
    std::wstring script = env_w(L"QV_NOTICE_ANSWERS");
    std::vector<std::wstring> answers;
    size_t start = 0;
    while (start <= script.size() && !script.empty()) {
        size_t comma = script.find(L',', start);
        answers.push_back(
            script.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    bool question = (style & 0x0F) == MB_YESNO || (style & 0x0F) == MB_YESNOCANCEL;
    if (taken < answers.size()) {
        const std::wstring& a = answers[taken++];
        if (a == L"yes") return IDYES;
        if (a == L"no") return IDNO;
        if (a == L"cancel") return IDCANCEL;
        return IDOK;
    }
    return question ? IDNO : IDOK;
}
}  // namespace
#else
bool notices_scripted() {
    return false;
}
void log_notice(const std::string&, const std::string&, const std::string&, const std::string&) {}
#endif

int Win32Notices::message_box(const std::string& text, const std::string& caption, int style) {
#ifdef QV_TEST_HOOKS
    if (notices_scripted()) {
        int answer = next_scripted_answer(style);
        log_notice("box", caption, std::to_string(style), text);
        return answer;
    }
#endif
    // The owner is this process's first visible top-level window, so the box stays above it.
    return MessageBoxW(first_visible_window_of_process(), widen(text).c_str(),
                       widen(caption).c_str(), static_cast<UINT>(style));
}

HWND first_visible_window_of_process() {
    std::pair<DWORD, HWND> search{GetCurrentProcessId(), nullptr};
    EnumWindows(find_visible_window_proc, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

void install_win32_os() {
    static Win32FileSystem files;
    static Win32Program program;
    static Win32Clock clock;
    static Win32Notices notices;
    static Win32Power power;
    static Win32IniFiles ini;
    static Win32Com com;
    static Win32TextCodec codec;
    static Win32BinaryTypes binary_types;
    static Win32Consoles consoles;
    os::Os set = os::os();
    set.files = &files;
    set.program = &program;
    set.clock = &clock;
    set.notices = &notices;
    set.power = &power;
    set.ini = &ini;
    set.drives = win32_drives();
    set.registry = win32_registry();
    set.wmi = win32_wmi();
    set.directories = win32_directories();
    set.com = &com;
    set.codec = &codec;
    set.binary_types = &binary_types;
    set.consoles = &consoles;
    set.processes = &win32_processes();
    set.carried = &win32_carried_files();
    set.shell = &win32_shell();
    set.shell_files = &win32_shell_files();
    set.instance = &win32_instance_events();
    set.windows = &win32_top_windows();
    set.formatter = win32_formatter();
    set.api_module = win32_api_module_host();
    set.volume_names = win32_volume_names();
    set.disk_devices = win32_disk_devices();
    set.handles = win32_handle_table();
    set.ejector = win32_device_ejector();
    set.shares = win32_network_shares();
    os::install(set);
}

}  // namespace qv::win32
