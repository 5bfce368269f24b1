// Drives and volumes through the kernel32 volume functions and device I/O control.
#include <windows.h>

#include <winioctl.h>

#include "encoding.h"
#include "handles.h"
#include "platform/os_drives.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Only ever a volume by its letter ("\\.\C:"): the drive code never opens a physical disk.
Handle open_volume(char letter) {
    if (!is_letter(letter)) return Handle();
    wchar_t path[] = L"\\\\.\\?:";
    path[4] = static_cast<wchar_t>(letter);
    return Handle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class Win32Drives : public os::Drives {
public:
    std::string logical_drive_strings() override {
        wchar_t buf[256] = {};
        DWORD n = GetLogicalDriveStringsW(256, buf);
        if (n == 0 || n > 256) return {};
        return narrow(std::wstring(buf, n));
    }

    int drive_type(const std::string& root) override {
        return static_cast<int>(GetDriveTypeW(widen(root).c_str()));
    }

    bool device_number(char letter, os::DeviceNumber& out) override {
        Handle volume = open_volume(letter);
        if (!volume.valid()) return false;
        STORAGE_DEVICE_NUMBER number{};
        DWORD returned = 0;
        if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                             sizeof number, &returned, nullptr)) {
            return false;
        }
        out.device = number.DeviceNumber;
        out.partition = number.PartitionNumber;
        return true;
    }

    bool media_device_type(char letter, std::uint32_t& out) override {
        Handle volume = open_volume(letter);
        if (!volume.valid()) return false;
        DWORD block[128] = {};
        DWORD returned = 0;
        if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_GET_MEDIA_TYPES_EX, nullptr, 0, block,
                             sizeof block, &returned, nullptr)) {
            return false;
        }
        out = block[0];
        return true;
    }

    bool volume_information(const std::string& root, os::VolumeInformation& out) override {
        wchar_t label[256] = {}, fs[256] = {};
        DWORD serial = 0, max_component = 0, flags = 0;
        if (!GetVolumeInformationW(widen(root).c_str(), label, 256, &serial, &max_component, &flags,
                                   fs, 256)) {
            return false;
        }
        out.label = narrow(label);
        out.file_system = narrow(fs);
        out.serial = serial;
        return true;
    }

    bool set_volume_label(const std::string& root, const std::string& label) override {
        return SetVolumeLabelW(widen(root).c_str(), widen(label).c_str()) != FALSE;
    }

    bool space_bytes(const std::string& root, os::SpaceBytes& out) override {
        ULARGE_INTEGER caller{}, total{}, total_free{};
        if (!GetDiskFreeSpaceExW(widen(root).c_str(), &caller, &total, &total_free)) return false;
        out.free_to_caller = static_cast<std::int64_t>(caller.QuadPart);
        out.total = static_cast<std::int64_t>(total.QuadPart);
        out.total_free = static_cast<std::int64_t>(total_free.QuadPart);
        return true;
    }

    bool cluster_counts(const std::string& root, os::ClusterCounts& out) override {
        DWORD spc = 0, bps = 0, free_clusters = 0, total_clusters = 0;
        if (!GetDiskFreeSpaceW(widen(root).c_str(), &spc, &bps, &free_clusters, &total_clusters))
            return false;
        out = {spc, bps, free_clusters, total_clusters};
        return true;
    }

    bool firmware_type(std::uint32_t& out) override {
        // Windows 8 and later only: a static import would keep the program from loading in an
        // older PE.
        using GetFirmwareTypeFn = BOOL(WINAPI*)(FIRMWARE_TYPE*);
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        FARPROC entry = kernel != nullptr ? GetProcAddress(kernel, "GetFirmwareType") : nullptr;
        if (entry == nullptr) return false;
        FIRMWARE_TYPE type = FirmwareTypeUnknown;
        if (!reinterpret_cast<GetFirmwareTypeFn>(reinterpret_cast<void*>(entry))(&type))
            return false;
        out = static_cast<std::uint32_t>(type);
        return true;
    }
};

}  // namespace

os::Drives* win32_drives() {
    static Win32Drives drives;
    return &drives;
}

}  // namespace qv::win32
