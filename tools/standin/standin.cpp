#include "standin.h"

#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwctype>

namespace standin {
namespace {

std::wstring g_tool;

std::wstring now_text() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t buf[64];
    swprintf(buf, 64, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond, st.wMilliseconds);
    return buf;
}

void log_line(const std::wstring& event, const std::wstring& detail) {
    std::wstring path = env(L"QV_STANDIN_LOG");
    if (path.empty()) return;
    std::string line = to_utf8(g_tool + L"\t" + event + L"\t" + now_text() + L"\t" + detail) + "\n";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

std::wstring upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::string to_utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring from_utf8(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring env(const std::wstring& name) {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name.c_str(), buf, 4096);
    return n == 0 || n >= 4096 ? std::wstring() : std::wstring(buf, n);
}

int env_int(const std::wstring& name, int fallback) {
    std::wstring v = env(name);
    return v.empty() ? fallback : _wtoi(v.c_str());
}

std::wstring tool_switch(const std::wstring& name) {
    return env(L"QV_" + upper(g_tool) + L"_" + name);
}

int tool_switch_int(const std::wstring& name, int fallback) {
    return env_int(L"QV_" + upper(g_tool) + L"_" + name, fallback);
}

std::wstring raw_command_line() {
    return GetCommandLineW();
}

std::vector<std::wstring> arguments() {
    std::vector<std::wstring> out;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return out;
    for (int i = 1; i < argc; ++i) out.emplace_back(argv[i]);
    LocalFree(argv);
    return out;
}

void begin(const std::wstring& tool) {
    g_tool = tool;
    // The tools print "\r\n" themselves, as the real ones do; text mode would double the "\r".
    _setmode(_fileno(stdout), _O_BINARY);
    log_line(L"start", raw_command_line());
    int delay = tool_switch_int(L"DELAY_MS", 0);
    if (delay > 0) Sleep(static_cast<DWORD>(delay));
    if (tool_switch_int(L"HANG", 0) != 0) {
        for (;;) Sleep(1000);
    }
}

void note(const std::wstring& event, const std::wstring& detail) {
    log_line(event, detail);
}

int finish(int code) {
    std::wstring forced = tool_switch(L"EXIT");
    if (!forced.empty()) code = _wtoi(forced.c_str());
    log_line(L"end", std::to_wstring(code));
    return code;
}

void print_bytes(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void print(const std::wstring& text) {
    if (text.empty()) return;
    int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    print_bytes(out);
}

bool read_file(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buf[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buf, sizeof buf, &got, nullptr) != FALSE) && got > 0)
        bytes.append(buf, got);
    CloseHandle(file);
    return ok;
}

bool write_file(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

}  // namespace standin
