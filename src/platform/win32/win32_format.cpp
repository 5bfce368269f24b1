// Formatting through fmifs.dll's FormatEx, Format and EnableVolumeCompression, looked up at run
// time (Windows PE has them; Wine and some trimmed systems do not), and the shell's format dialog.
// Builds with test hooks neither format nor change a volume: none of these calls is made.
#include <windows.h>

#include <shlobj.h>

#include "encoding.h"
#include "system_library.h"
#include "platform/os_format.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

using FmifsCallback = BOOLEAN(WINAPI*)(int command, DWORD sub_action, PVOID action_info);
using FormatExEntry = VOID(WINAPI*)(PWCHAR root, DWORD media_type, PWCHAR file_system, PWCHAR label,
                                    BOOL quick, ULONG cluster_size, FmifsCallback callback);
using FormatEntry = VOID(WINAPI*)(PWCHAR root, DWORD media_type, PWCHAR file_system, PWCHAR label,
                                  BOOL quick, FmifsCallback callback);
using CompressionEntry = BOOLEAN(WINAPI*)(PWCHAR root, BOOL compress);

#ifdef QV_TEST_HOOKS
// Builds with test hooks run their tests as root, under Wine on the build machine or on a Windows
// test machine: whatever library and shell are there, no volume of that machine may be formatted
// or changed. Every such call is refused before anything is loaded or called, and counts as one
// that did not run.
constexpr bool kVolumeChangesRefused = true;
#else
constexpr bool kVolumeChangesRefused = false;
#endif

// FormatEx calls back without a context of its own; a format runs on one thread at a time.
const os::FormatReport* g_active_report = nullptr;

BOOLEAN WINAPI format_callback_entry(int command, DWORD sub_action, PVOID action_info) {
    std::uint8_t value =
        action_info != nullptr ? *static_cast<const std::uint8_t*>(action_info) : 0;
    if (g_active_report == nullptr) return TRUE;
    return (*g_active_report)(command, static_cast<int>(sub_action), value) ? TRUE : FALSE;
}

class Win32Formatter : public os::VolumeFormatter {
public:
    bool format_ex(const std::string& root, int media_type, const std::string& file_system,
                   const std::string& label, bool quick, std::uint32_t cluster_size,
                   const os::FormatReport& report) override {
        if (kVolumeChangesRefused) return false;
        Module fmifs(load_system_library(L"fmifs.dll"));
        auto entry = entry_of<FormatExEntry>(fmifs.get(), "FormatEx");
        if (entry == nullptr) return false;
        std::wstring wide_root = widen(root), wide_system = widen(file_system),
                     wide_label = widen(label);
        g_active_report = &report;
        entry(wide_root.data(), static_cast<DWORD>(media_type), wide_system.data(),
              wide_label.data(), quick ? TRUE : FALSE, cluster_size, format_callback_entry);
        g_active_report = nullptr;
        return true;
    }

    bool format(const std::string& drive, int media_type, const std::string& file_system,
                const std::string& label, bool quick, const os::FormatReport& report) override {
        if (kVolumeChangesRefused) return false;
        Module fmifs(load_system_library(L"fmifs.dll"));
        auto entry = entry_of<FormatEntry>(fmifs.get(), "Format");
        if (entry == nullptr) return false;
        std::wstring wide_drive = widen(drive), wide_system = widen(file_system),
                     wide_label = widen(label);
        g_active_report = &report;
        entry(wide_drive.data(), static_cast<DWORD>(media_type), wide_system.data(),
              wide_label.data(), quick ? TRUE : FALSE, format_callback_entry);
        g_active_report = nullptr;
        return true;
    }

    bool enable_compression(const std::string& drive, int compress) override {
        if (kVolumeChangesRefused) return false;
        Module fmifs(load_system_library(L"fmifs.dll"));
        auto entry = entry_of<CompressionEntry>(fmifs.get(), "EnableVolumeCompression");
        if (entry == nullptr) return false;
        std::wstring wide_drive = widen(drive);
        return entry(wide_drive.data(), compress) != FALSE;
    }

    std::uint32_t format_dialog(int drive_index, std::uint32_t format_id,
                                std::uint32_t options) override {
        // Answered as a dialog that failed: every caller reads that as nothing formatted.
        if (kVolumeChangesRefused) return os::kFormatDialogError;
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
