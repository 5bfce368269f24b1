// Formatting through fmifs.dll's FormatEx, looked up at run time (Windows PE has it; Wine and some
// trimmed systems do not), and the shell's format dialog.
#include <windows.h>

#include <shlobj.h>

#include "encoding.h"
#include "platform/os_format.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

using FmifsCallback = BOOLEAN(WINAPI*)(int command, DWORD sub_action, PVOID action_info);
using FormatExEntry = VOID(WINAPI*)(PWCHAR root, DWORD media_type, PWCHAR file_system,
                                    PWCHAR label, BOOL quick, ULONG cluster_size,
                                    FmifsCallback callback);

// FormatEx calls back without a context of its own; a format runs on one thread at a time.
const os::FormatReport* g_active_report = nullptr;

BOOLEAN WINAPI format_callback_entry(int command, DWORD sub_action, PVOID action_info) {
    std::uint8_t value =
        action_info != nullptr ? *static_cast<const std::uint8_t*>(action_info) : 0;
    if (g_active_report == nullptr) return TRUE;
    return (*g_active_report)(command, static_cast<int>(sub_action), value) ? TRUE : FALSE;
}

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

// The library is taken from the system folder only, never from beside the program.
HMODULE load_system_library(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::wstring path = std::wstring(folder, n) + L"\\" + name;
    return LoadLibraryW(path.c_str());
}

class Win32Formatter : public os::VolumeFormatter {
public:
    bool format_ex(const std::string& root, int media_type, const std::string& file_system,
                   const std::string& label, bool quick, std::uint32_t cluster_size,
                   const os::FormatReport& report) override {
        Module fmifs(load_system_library(L"fmifs.dll"));
        if (fmifs.get() == nullptr) return false;
        auto entry = reinterpret_cast<FormatExEntry>(
            reinterpret_cast<void*>(GetProcAddress(fmifs.get(), "FormatEx")));
        if (entry == nullptr) return false;
        std::wstring wide_root = widen(root), wide_system = widen(file_system),
                     wide_label = widen(label);
        g_active_report = &report;
        entry(wide_root.data(), static_cast<DWORD>(media_type), wide_system.data(),
              wide_label.data(), quick ? TRUE : FALSE, cluster_size, format_callback_entry);
        g_active_report = nullptr;
        return true;
    }

    std::uint32_t format_dialog(int drive_index, std::uint32_t format_id,
                                std::uint32_t options) override {
        HWND owner = GetActiveWindow();
        if (owner == nullptr) owner = first_visible_window_of_process();
        return static_cast<std::uint32_t>(
            SHFormatDrive(owner, static_cast<UINT>(drive_index), format_id, options));
    }
};

}  // namespace

os::VolumeFormatter* win32_formatter() {
    static Win32Formatter formatter;
    return &formatter;
}

}  // namespace qv::win32
