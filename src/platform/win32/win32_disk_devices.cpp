// Storage devices opened by name: the control requests of the disk class and raw transfers at
// 64-bit byte positions.
#include <windows.h>

#include <winioctl.h>

#include <cstdint>
#include <cwctype>
#include <memory>

#include "encoding.h"
#include "handles.h"
#include "platform/os_disk_devices.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

#ifdef QV_TEST_HOOKS
// A whole disk or a disk controller ("\\.\PhysicalDrive0", "\\.\Scsi0", "\\.\SMARTVSD"), as
// opposed to a volume ("\\.\C:") or a plain file.
bool names_a_disk_device(const std::string& path) {
    std::wstring name = widen(path);
    for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
    for (const wchar_t* word : {L"PHYSICALDRIVE", L"SCSI", L"SMARTVSD"})
        if (name.find(word) != std::wstring::npos) return true;
    return false;
}
#endif

// Only the requests that ask a driver for facts may be sent.
bool allowed_request(std::uint32_t code) {
    switch (code) {
        case os::kIoctlDiskGetDriveGeometry:
        case os::kSmartRcvDriveData:
        case os::kIoctlStorageGetDeviceNumber:
        case os::kIoctlStoragePredictFailure:
            return true;
        default:
            return false;
    }
}

class Win32Device : public os::Device {
public:
    explicit Win32Device(Handle device) : device_(std::move(device)) {}

    bool control(std::uint32_t code, const std::string& input, std::size_t output_size,
                 std::string& output) override {
        if (!allowed_request(code)) return false;
        std::string in = input;
        std::string out(output_size, '\0');
        DWORD returned = 0;
        if (!DeviceIoControl(device_.get(), code, in.empty() ? nullptr : in.data(),
                             static_cast<DWORD>(in.size()), out.empty() ? nullptr : out.data(),
                             static_cast<DWORD>(out.size()), &returned, nullptr)) {
            return false;
        }
        if (returned < out.size()) out.resize(returned);
        output = out;
        return true;
    }

    bool read_at(std::uint64_t offset, std::size_t count, std::string& out) override {
        if (count > MAXDWORD || !position(offset)) return false;
        std::string block(count, '\0');
        DWORD got = 0;
        if (!ReadFile(device_.get(), block.data(), static_cast<DWORD>(count), &got, nullptr) ||
            got != count) {
            return false;
        }
        out = block;
        return true;
    }

    bool write_at(std::uint64_t offset, const std::string& bytes) override {
        if (bytes.size() > MAXDWORD || !position(offset)) return false;
        DWORD written = 0;
        return WriteFile(device_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) &&
               written == bytes.size();
    }

private:
    // A transfer never starts anywhere but where it was asked to: a position that cannot be
    // reached fails the transfer instead of leaving it at the device's start.
    bool position(std::uint64_t offset) {
        if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
        LARGE_INTEGER distance{};
        distance.QuadPart = static_cast<LONGLONG>(offset);
        LARGE_INTEGER reached{};
        return SetFilePointerEx(device_.get(), distance, &reached, FILE_BEGIN) &&
               reached.QuadPart == distance.QuadPart;
    }

    Handle device_;
};

class Win32DiskDevices : public os::DiskDevices {
public:
    int platform_id() override {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (!GetVersionExW(&info)) return os::kPlatformWin32s;
        return static_cast<int>(info.dwPlatformId);
    }

    std::unique_ptr<os::Device> open(const std::string& path, os::DeviceOpen mode) override {
#ifdef QV_TEST_HOOKS
        // Builds with test hooks run under Wine on the build machine, as root, where a device
        // could reach a real disk: they open no disk or disk controller at all, and other devices
        // (volumes, plain files) for reading only.
        if (mode != os::DeviceOpen::Read || names_a_disk_device(path)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
#endif
        DWORD access = GENERIC_READ;
        DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        DWORD creation = OPEN_EXISTING;
        DWORD flags = FILE_ATTRIBUTE_NORMAL;
        switch (mode) {
            case os::DeviceOpen::Read:
                break;
            case os::DeviceOpen::ReadWrite:
                access = GENERIC_READ | GENERIC_WRITE;
                break;
            case os::DeviceOpen::Write:
                access = GENERIC_WRITE;
                share = FILE_SHARE_WRITE;
                break;
            case os::DeviceOpen::OldDriver:
                access = 0;
                share = 0;
                creation = CREATE_NEW;
                flags = 0;
                break;
        }
        Handle device(
            CreateFileW(widen(path).c_str(), access, share, nullptr, creation, flags, nullptr));
        if (!device.valid()) return nullptr;
        return std::make_unique<Win32Device>(std::move(device));
    }
};

}  // namespace

os::DiskDevices* win32_disk_devices() {
    static Win32DiskDevices devices;
    return &devices;
}

}  // namespace qv::win32
