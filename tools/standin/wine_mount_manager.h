// Wine's own request to its mount manager for defining or removing a drive letter, as its drive
// settings tool sends it: the record, then the Unix path of the drive's folder. The stand-in
// virtual-drive tool mounts disc images with it, and the end-to-end probe plugs drives in and out
// of a running session. Wine numbers a new hard-disk volume with the lowest partition number that
// no volume holds at that moment, so pulling a drive out and plugging drives in renumbers them the
// way a real machine does.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace wine_mount_manager {

constexpr DWORD kDefineUnixDrive =
    CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};

// Defines the drive on the Unix folder (UTF-8) with the type, or removes it (DRIVE_NO_ROOT_DIR
// and no folder); false without a mount manager to ask.
inline bool define_drive(wchar_t letter, ULONG type, const std::string& unix_folder) {
    HANDLE manager =
        CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    std::vector<char> request(
        sizeof(UnixDrive) + (unix_folder.empty() ? 0 : unix_folder.size() + 1), 0);
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(request.size());
    drive.type = type;
    drive.letter = static_cast<WCHAR>(towlower(letter));
    if (!unix_folder.empty()) {
        drive.mount_point_offset = sizeof(UnixDrive);
        unix_folder.copy(request.data() + sizeof(UnixDrive), unix_folder.size());
    }
    std::memcpy(request.data(), &drive, sizeof drive);
    DWORD returned = 0;
    BOOL done = DeviceIoControl(manager, kDefineUnixDrive, request.data(),
                                static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return done != FALSE;
}

}  // namespace wine_mount_manager
