// DOS device names, volume names and mount points through the kernel32 volume functions, and
// the lookups that need entry points found at run time: the shell's network-drive test (by
// ordinal), volume facts through a file handle (Vista and later) and dbghelp's tree search.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "encoding.h"
#include "handles.h"
#include "platform/os_volume_names.h"
#include "system_library.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

using IsNetDriveEntry = int(WINAPI*)(int drive);
using VolumeByHandleEntry = BOOL(WINAPI*)(HANDLE file, LPWSTR label, DWORD label_size,
                                          LPDWORD serial, LPDWORD max_component, LPDWORD flags,
                                          LPWSTR file_system, DWORD file_system_size);
using SearchTreeWEntry = BOOL(WINAPI*)(PCWSTR root, PCWSTR name, PWSTR found);
using SearchTreeAEntry = BOOL(WINAPI*)(PCSTR root, PCSTR name, PSTR found);

constexpr int kIsNetDriveOrdinal = 66;
constexpr DWORD kVolumeTextChars = 260;

// The program's text of what the system wrote, when it fits the caller's buffer as the
// system's A functions would have filled it (terminator included).
bool fitting_text(const std::wstring& wide, std::size_t buffer, std::string& out) {
    std::string text = narrow(wide);
    if (text.size() + 1 > buffer) return false;
    out = text;
    return true;
}

std::wstring up_to_zero(const std::vector<wchar_t>& buffer) {
    std::size_t n = 0;
    while (n < buffer.size() && buffer[n] != L'\0') ++n;
    return std::wstring(buffer.data(), n);
}

std::vector<wchar_t> wide_buffer(std::size_t chars) {
    return std::vector<wchar_t>(chars + 1, L'\0');
}

HANDLE as_handle(os::VolumeSearch search) {
    return reinterpret_cast<HANDLE>(search);
}
os::VolumeSearch as_search(HANDLE handle) {
    return reinterpret_cast<os::VolumeSearch>(handle);
}

class Win32VolumeNames : public os::VolumeNames {
public:
    bool query_dos_device(const std::string& name, std::size_t buffer_bytes,
                          std::string& target) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_bytes);
        DWORD n =
            QueryDosDeviceW(widen(name).c_str(), buf.data(), static_cast<DWORD>(buffer_bytes));
        if (n == 0) return false;
        // The whole list of targets, terminators included, has to fit the caller's buffer; the
        // first target is kept.
        std::string all = narrow(std::wstring(buf.data(), n));
        if (all.size() > buffer_bytes) return false;
        target = all.substr(0, all.find('\0'));
        return true;
    }

    bool define_dos_device(std::uint32_t flags, const std::string& name,
                           const std::string& target) override {
        std::wstring wide_target = widen(target);
        return DefineDosDeviceW(flags, widen(name).c_str(),
                                target.empty() ? nullptr : wide_target.c_str()) != FALSE;
    }

    std::uint32_t logical_drives() override { return GetLogicalDrives(); }

    bool volume_name_of(const std::string& mount_point, std::size_t buffer_chars,
                        std::string& volume_name) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_chars);
        if (!GetVolumeNameForVolumeMountPointW(widen(mount_point).c_str(), buf.data(),
                                               static_cast<DWORD>(buffer_chars)))
            return false;
        return fitting_text(up_to_zero(buf), buffer_chars, volume_name);
    }

    bool volume_path_names(const std::string& volume_name, std::size_t buffer_bytes,
                           std::string& paths) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_bytes);
        DWORD needed = 0;
        if (!GetVolumePathNamesForVolumeNameW(widen(volume_name).c_str(), buf.data(),
                                              static_cast<DWORD>(buffer_bytes), &needed))
            return false;
        // The list ends at its empty member.
        std::size_t end = 0;
        while (end < buffer_bytes && buf[end] != L'\0') {
            while (buf[end] != L'\0') ++end;
            ++end;
        }
        return fitting_text(std::wstring(buf.data(), end), buffer_bytes, paths);
    }

    bool volume_path_of(const std::string& path, std::size_t buffer_bytes,
                        std::string& mount_point) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_bytes);
        if (!GetVolumePathNameW(widen(path).c_str(), buf.data(), static_cast<DWORD>(buffer_bytes)))
            return false;
        return fitting_text(up_to_zero(buf), buffer_bytes, mount_point);
    }

    bool set_mount_point(const std::string& mount_point, const std::string& volume_name) override {
        return SetVolumeMountPointW(widen(mount_point).c_str(), widen(volume_name).c_str()) !=
               FALSE;
    }

    bool delete_mount_point(const std::string& mount_point) override {
        return DeleteVolumeMountPointW(widen(mount_point).c_str()) != FALSE;
    }

    os::VolumeSearch find_first_volume(std::size_t buffer_chars,
                                       std::string& volume_name) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_chars);
        HANDLE search = FindFirstVolumeW(buf.data(), static_cast<DWORD>(buffer_chars));
        if (search == INVALID_HANDLE_VALUE) return os::kNoVolumeSearch;
        if (!fitting_text(up_to_zero(buf), buffer_chars, volume_name)) {
            FindVolumeClose(search);
            return os::kNoVolumeSearch;
        }
        return as_search(search);
    }

    bool find_next_volume(os::VolumeSearch search, std::size_t buffer_chars,
                          std::string& volume_name) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_chars);
        if (!FindNextVolumeW(as_handle(search), buf.data(), static_cast<DWORD>(buffer_chars)))
            return false;
        return fitting_text(up_to_zero(buf), buffer_chars, volume_name);
    }

    bool find_volume_close(os::VolumeSearch search) override {
        return FindVolumeClose(as_handle(search)) != FALSE;
    }

    os::VolumeSearch find_first_mount_point(const std::string& volume_name,
                                            std::size_t buffer_bytes,
                                            std::string& mount_point) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_bytes);
        HANDLE search = FindFirstVolumeMountPointW(widen(volume_name).c_str(), buf.data(),
                                                   static_cast<DWORD>(buffer_bytes));
        if (search == INVALID_HANDLE_VALUE) return os::kNoVolumeSearch;
        if (!fitting_text(up_to_zero(buf), buffer_bytes, mount_point)) {
            FindVolumeMountPointClose(search);
            return os::kNoVolumeSearch;
        }
        return as_search(search);
    }

    bool find_next_mount_point(os::VolumeSearch search, std::size_t buffer_bytes,
                               std::string& mount_point) override {
        std::vector<wchar_t> buf = wide_buffer(buffer_bytes);
        if (!FindNextVolumeMountPointW(as_handle(search), buf.data(),
                                       static_cast<DWORD>(buffer_bytes)))
            return false;
        return fitting_text(up_to_zero(buf), buffer_bytes, mount_point);
    }

    bool find_mount_point_close(os::VolumeSearch search) override {
        return FindVolumeMountPointClose(as_handle(search)) != FALSE;
    }

    int net_drive_state(int drive_index) override {
        auto entry = entry_of<IsNetDriveEntry>(GetModuleHandleW(L"shell32.dll"),
                                               MAKEINTRESOURCEA(kIsNetDriveOrdinal));
        return entry != nullptr ? entry(drive_index) : 0;
    }

    bool volume_of_file(const std::string& path, std::string& label,
                        std::string& file_system) override {
        auto entry = entry_of<VolumeByHandleEntry>(GetModuleHandleW(L"kernel32.dll"),
                                                   "GetVolumeInformationByHandleW");
        Handle file(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (entry == nullptr || !file.valid()) return false;
        wchar_t wide_label[kVolumeTextChars] = {}, wide_system[kVolumeTextChars] = {};
        if (!entry(file.get(), wide_label, kVolumeTextChars, nullptr, nullptr, nullptr, wide_system,
                   kVolumeTextChars))
            return false;
        label = narrow(wide_label);
        file_system = narrow(wide_system);
        return true;
    }

    bool search_tree(const std::string& root, const std::string& file_name,
                     std::size_t buffer_bytes, std::string& found) override {
        Module dbghelp(load_system_library(L"dbghelp.dll"));
        // The library writes up to a whole path into its buffer whatever the caller's size, so
        // it always gets room for one; the caller's size applies to the answer.
        if (auto wide_entry = entry_of<SearchTreeWEntry>(dbghelp.get(), "SearchTreeForFileW")) {
            wchar_t buf[MAX_PATH + 1] = {};
            if (!wide_entry(widen(root).c_str(), widen(file_name).c_str(), buf)) return false;
            return fitting_text(buf, buffer_bytes, found);
        }
        // Older libraries have only the form in the system's code page, which in the systems
        // this program runs on is the program's own.
        if (auto entry = entry_of<SearchTreeAEntry>(dbghelp.get(), "SearchTreeForFile")) {
            char buf[MAX_PATH + 1] = {};
            if (!entry(root.c_str(), file_name.c_str(), buf)) return false;
            std::string text(buf);
            if (text.size() + 1 > buffer_bytes) return false;
            found = text;
            return true;
        }
        return false;
    }
};

}  // namespace

os::VolumeNames* win32_volume_names() {
    static Win32VolumeNames names;
    return &names;
}

}  // namespace qv::win32
