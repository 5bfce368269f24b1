#include "support/files.h"

#include <shellapi.h>

#include <gtest/gtest.h>

namespace qv::wine_support {

std::wstring build_folder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring standin(const std::wstring& file) {
    return build_folder() + L"\\standin\\" + file;
}

void remove_folder(const std::wstring& folder) {
    std::wstring from = folder;
    while (from.size() > 3 && from.back() == L'\\') from.pop_back();
    from += L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

std::wstring scratch_folder(const std::wstring& name) {
    std::wstring root = build_folder() + L"\\wine-scratch";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring folder = root + L"\\" + name;
    remove_folder(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring test_scratch_folder(const std::wstring& prefix) {
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return scratch_folder(prefix + L"_" + win32::widen(test));
}

void make_folders_to(const std::wstring& file) {
    for (std::size_t slash = file.find(L'\\', 3); slash != std::wstring::npos;
         slash = file.find(L'\\', slash + 1))
        CreateDirectoryW(file.substr(0, slash).c_str(), nullptr);
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string read_all(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(file);
    return bytes;
}

bool write_all(const std::wstring& path, const std::string& bytes, LONGLONG size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    if (ok && size > 0) {
        LARGE_INTEGER end;
        end.QuadPart = size;
        ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    }
    CloseHandle(file);
    return ok;
}

bool under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void set_env(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

std::wstring get_env(const wchar_t* name) {
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(n);
    return value;
}

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string gbk_from_utf8(const std::string& utf8_text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8_text.data(), static_cast<int>(utf8_text.size()),
                                nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8_text.data(), static_cast<int>(utf8_text.size()),
                        wide.data(), n);
    return win32::narrow(wide);
}

int count_of(const std::string& text, const std::string& sought) {
    int n = 0;
    for (std::size_t at = text.find(sought); at != std::string::npos;
         at = text.find(sought, at + 1))
        ++n;
    return n;
}

}  // namespace qv::wine_support
