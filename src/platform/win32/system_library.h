// Libraries loaded at run time for entry points that some systems lack: always from the system
// folder, never from beside the program, and freed when their owner goes.
#pragma once

#include <windows.h>

#include <string>

namespace qv::win32 {

class Module {
public:
    explicit Module(HMODULE m) : m_(m) {}
    ~Module() {
        if (m_ != nullptr) FreeLibrary(m_);
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    HMODULE get() const { return m_; }

private:
    HMODULE m_;
};

inline HMODULE load_system_library(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::wstring path = std::wstring(folder, n) + L"\\" + name;
    return LoadLibraryW(path.c_str());
}

// An entry point of a module by name (or by ordinal, as MAKEINTRESOURCEA gives it); null when
// the module or the entry is missing.
template <typename Entry>
Entry entry_of(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace qv::win32
