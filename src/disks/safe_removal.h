// Safe removal of a removable drive from the partition menu "磁盘": after a question, the handles
// that the program itself holds on the drive are closed, then the Plug and Play manager is asked
// to eject the device that carries the drive. The partition list is left as it is; the notices
// ask the user to refresh it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os_removal.h"
#include "ui/runtime.h"

namespace qv {

// One entry of the system handle table (16 bytes in the table).
struct HandleTableEntry {
    std::uint16_t process_id = 0;
    std::uint16_t creator_back_trace = 0;
    std::uint8_t object_type = 0;
    std::uint8_t attributes = 0;
    std::uint16_t handle = 0;
    std::uint32_t object = 0;
    std::uint32_t granted_access = 0;
};

// The entries of a table as the query writes it: a 32-bit count, then the entries; never more
// entries than the bytes hold.
std::vector<HandleTableEntry> parse_handle_table(const std::string& bytes);
// Queries the table with a buffer of 1 byte, doubled while the system answers that it is too
// small; false for any other failure, or when the buffer would reach 2 GiB.
bool read_handle_table(std::vector<HandleTableEntry>& entries);

// Results of eject_volume.
enum : int {
    kEjectRemoved = 0,
    kEjectHandlesHeld = 1,  // the program's handles on the drive could not be released
    kEjectRefused = 2,      // the device could not be ejected
};

// Only the first character of `drive` counts: its letter.
int eject_volume(const std::string& drive, bool show_system_notice = true);
// Closes every file handle of the process whose path lies on the drive ("E:"). False when the
// table cannot be read or a handle could not be closed; a drive text that is not a letter and a
// colon closes nothing and gives false.
bool close_volume_handles(const std::string& drive, std::uint32_t process_id);
// The file type of a handle, asked in a thread that may take at most 100 ms; 0 otherwise.
int safe_get_file_type(std::uint32_t handle);
// The handle's object name with its device part replaced by the drive ("E:\dir\file"), or "".
std::string handle_dos_path(std::uint32_t handle);
// Closes one handle inside its owner. False only when the copy made on the way cannot be
// closed; a process or handle that cannot be reached counts as done.
bool close_remote_handle(std::uint32_t process_id, std::uint32_t handle);
// Ejects the device behind "\\.\E:"; up to four tries, 300 ms apart.
bool request_device_eject(const std::string& device_path, bool show_system_notice);
// The device instance carrying a volume, 0 when none: searched among the interfaces of the class
// that the drive type (and a floppy device name) calls for.
std::uint32_t find_device_instance(std::uint32_t device_number, int drive_type,
                                   const std::string& dos_device_name);

// The drive a device path stands for, in the system's order of drives.
struct DosDevice {
    std::string drive;   // "E:"
    std::string device;  // "\Device\HarddiskVolume3"
};
// An object name on a drive as a drive path: the first drive whose device path is the whole
// first part of the name (letter case ignored), followed by the rest; "" when none is.
std::string dos_path_of_name(const std::string& name, const std::vector<DosDevice>& devices);
// The interface class for a drive type; false for types that no storage class carries.
bool interface_class_for(int drive_type, const std::string& dos_device_name,
                         os::DeviceInterfaceClass& out);

constexpr std::uint32_t ctl_code(std::uint32_t device_type, std::uint32_t function,
                                 std::uint32_t method, std::uint32_t access) {
    return device_type * 65536u | access * 16384u | function * 4u | method;
}
constexpr std::uint32_t storage_device_number_ioctl() {
    return ctl_code(0x2D, 0x420, 0, 0);
}
static_assert(storage_device_number_ioctl() == 0x2D1080u);
constexpr bool nt_success(std::uint32_t status) {
    return (status & 0x80000000u) == 0;
}

// The texts of the removal, by the caption of the selected partition ("E:\(2:1)").
std::string remove_question_text(const std::string& caption);
std::string removed_balloon_text(const std::string& caption);
std::string removed_box_text(const std::string& caption);
std::string remove_failed_text(const std::string& caption);

// Handler of "移    除(&J)".
void remove_removable_drive(ui::Event& event);

void bind_safe_removal_handlers();

}  // namespace qv
