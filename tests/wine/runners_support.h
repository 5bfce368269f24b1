// What the Wine tests of the tool runners share: the Win32 seam, a scratch folder of the test's
// own inside the build folder (C:\qv), the stand-in tools and their switches.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "encoding.h"
#include "platform/os.h"
#include "win32_os.h"

namespace qv::wine_support {

// The folder of the test program (the build folder), without a trailing backslash.
inline std::wstring build_folder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

inline std::wstring standin(const std::wstring& file) {
    return build_folder() + L"\\standin\\" + file;
}

// Empties and makes build\wine-scratch\<name>.
inline std::wstring scratch_folder(const std::wstring& name) {
    std::wstring root = build_folder() + L"\\wine-scratch";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring folder = root + L"\\" + name;
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

inline void set_env(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

inline std::string read_all(const std::wstring& path) {
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

inline bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline int count_of(const std::string& text, const std::string& sought) {
    int n = 0;
    for (size_t at = text.find(sought); at != std::string::npos; at = text.find(sought, at + 1))
        ++n;
    return n;
}

}  // namespace qv::wine_support
