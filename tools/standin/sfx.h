// What the two self-extracting archive stand-ins share: the tool they carry is their own RCDATA
// resource 1, and they unpack it beside themselves (they are written into the Windows folder, so
// that is where the tool lands, and a test that maps another folder keeps everything there).
#pragma once

#include <windows.h>

#include <string>

#include "standin.h"

namespace standin {

inline std::wstring own_folder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

// Writes the carried tool as `name` beside the archive; the exit code of the archive run.
inline int unpack_carried_tool(const std::wstring& name) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10));
    HGLOBAL loaded = found == nullptr ? nullptr : LoadResource(nullptr, found);
    const char* data = loaded == nullptr ? nullptr : static_cast<const char*>(LockResource(loaded));
    if (data == nullptr) return 2;
    std::string bytes(data, SizeofResource(nullptr, found));
    return write_file(own_folder() + name, bytes) ? 0 : 2;
}

}  // namespace standin
