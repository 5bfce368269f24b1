#include "disks/safe_removal.h"

#include "base/helpers.h"
#include "disks/drive_facts.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "platform/os_drives.h"

namespace qv {
namespace {

constexpr std::size_t kEntryBytes = 16;
constexpr std::uint32_t kLargestTableBuffer = 1u << 30;  // doubling it would reach 2 GiB
constexpr int kHandleQueryTimeoutMs = 100;
constexpr int kFileTypeDisk = 1;
constexpr int kEjectTries = 4;
constexpr int kEjectPauseMs = 300;

os::HandleTable& handles() {
    return *os::os().handles;
}
os::DeviceEjector& ejector() {
    return *os::os().ejector;
}

std::uint32_t read_le(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

// The table carries only the low 16 bits of process ids and handle values; they are compared as
// such, so that ids of 32768 and more still match.
std::uint16_t low16(std::uint32_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFFu);
}

bool is_letter_and_colon(const std::string& drive) {
    if (drive.size() != 2 || drive[1] != ':') return false;
    char c = drive[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The type number of file objects: the table entry of a handle that is known to be a file.
std::uint8_t file_object_type(const std::vector<HandleTableEntry>& entries, std::uint32_t probe,
                              std::uint32_t own_process) {
    for (const HandleTableEntry& e : entries)
        if (e.handle == low16(probe) && e.process_id == low16(own_process)) return e.object_type;
    return 0;
}

}  // namespace

std::vector<HandleTableEntry> parse_handle_table(const std::string& bytes) {
    std::vector<HandleTableEntry> entries;
    if (bytes.size() < 4) return entries;
    std::size_t count = read_le(bytes, 0, 4);
    std::size_t room = (bytes.size() - 4) / kEntryBytes;
    if (count > room) count = room;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t at = 4 + i * kEntryBytes;
        HandleTableEntry e;
        e.process_id = static_cast<std::uint16_t>(read_le(bytes, at, 2));
        e.creator_back_trace = static_cast<std::uint16_t>(read_le(bytes, at + 2, 2));
        e.object_type = static_cast<std::uint8_t>(read_le(bytes, at + 4, 1));
        e.attributes = static_cast<std::uint8_t>(read_le(bytes, at + 5, 1));
        e.handle = static_cast<std::uint16_t>(read_le(bytes, at + 6, 2));
        e.object = read_le(bytes, at + 8, 4);
        e.granted_access = read_le(bytes, at + 12, 4);
        entries.push_back(e);
    }
    return entries;
}

bool read_handle_table(std::vector<HandleTableEntry>& entries) {
    std::string buffer;
    for (std::uint32_t size = 1;; size *= 2) {
        std::uint32_t status = handles().query_handle_table(size, buffer);
        if (nt_success(status)) {
            entries = parse_handle_table(buffer);
            return true;
        }
        if (status != os::kStatusInfoLengthMismatch || size >= kLargestTableBuffer) return false;
    }
}

int safe_get_file_type(std::uint32_t handle) {
    return handles().file_type_within(handle, kHandleQueryTimeoutMs);
}

std::string dos_path_of_name(const std::string& name, const std::vector<DosDevice>& devices) {
    for (const DosDevice& d : devices) {
        // A failed device query must not match every name, and "\Device\HarddiskVolume1" is
        // not the device of "\Device\HarddiskVolume10\...": the device path ends where the name
        // goes on with a backslash, or with the name itself.
        if (d.device.empty() || !starts_with_ignore_case(name, d.device)) continue;
        if (name.size() > d.device.size() && name[d.device.size()] != '\\') continue;
        return d.drive + name.substr(d.device.size());
    }
    return {};
}

std::string handle_dos_path(std::uint32_t handle) {
    std::string name;
    if (!handles().object_name(handle, kHandleQueryTimeoutMs, name)) return {};
    std::vector<std::string> roots = split_drive_strings(os::os().drives->logical_drive_strings());
    if (roots.empty()) return {};
    std::vector<DosDevice> devices;
    for (const std::string& root : roots) {
        std::string drive = root.substr(0, 2);
        devices.push_back({drive, handles().dos_device(drive)});
    }
    return dos_path_of_name(name, devices);
}

bool close_remote_handle(std::uint32_t process_id, std::uint32_t handle) {
    std::uint32_t process = handles().open_process(process_id);
    if (static_cast<std::int32_t>(process) <= 0) return true;
    bool closed = true;
    std::uint32_t copy = 0;
    if (nt_success(handles().duplicate(
            process, handle, os::kDuplicateCloseSource | os::kDuplicateSameAccess, copy))) {
        closed = nt_success(handles().close(copy));
    }
    handles().close(process);
    return closed;
}

bool close_volume_handles(const std::string& drive, std::uint32_t process_id) {
    // Every path contains ":"; only a whole drive may decide what is closed.
    if (!is_letter_and_colon(drive)) return false;
    std::uint32_t probe = handles().open_null_probe();
    if (probe == 0) return false;
    std::vector<HandleTableEntry> entries;
    bool read = read_handle_table(entries);
    std::uint8_t file_type =
        read ? file_object_type(entries, probe, handles().current_process_id()) : 0;
    handles().close(probe);
    if (!read) return false;

    bool result = true;
    for (const HandleTableEntry& e : entries) {
        if (e.object_type != file_type || e.process_id != low16(process_id)) continue;
        std::uint32_t process = handles().open_process(process_id);
        if (process == 0) continue;
        std::uint32_t copy = 0;
        if (!nt_success(
                handles().duplicate(process, e.handle, os::kDuplicateSameAttributes, copy))) {
            handles().close(process);
            continue;
        }
        // Only a disk file can lie on a volume; the name of a pipe is never asked, since that
        // query can block on a pipe with a read pending (and any name query is given up after
        // the same wait as the type query).
        std::string path;
        if (safe_get_file_type(copy) == kFileTypeDisk) path = handle_dos_path(copy);
        handles().close(copy);
        if (!path.empty() && contains_ignore_case(path, drive) &&
            !close_remote_handle(process_id, e.handle)) {
            result = false;
        }
        handles().close(process);
    }
    return result;
}

bool interface_class_for(int drive_type, const std::string& dos_device_name,
                         os::DeviceInterfaceClass& out) {
    switch (drive_type) {
        case os::kDriveRemovable:
            out = contains_ignore_case(dos_device_name, "\\Floppy")
                      ? os::DeviceInterfaceClass::Floppy
                      : os::DeviceInterfaceClass::Disk;
            return true;
        case os::kDriveFixed:
            out = os::DeviceInterfaceClass::Disk;
            return true;
        case os::kDriveCdrom:
            out = os::DeviceInterfaceClass::Cdrom;
            return true;
        default:
            return false;
    }
}

std::uint32_t find_device_instance(std::uint32_t device_number, int drive_type,
                                   const std::string& dos_device_name) {
    os::DeviceInterfaceClass interface_class;
    if (!interface_class_for(drive_type, dos_device_name, interface_class)) return 0;
    return ejector().find_device_instance(interface_class, device_number);
}

bool request_device_eject(const std::string& device_path, bool show_system_notice) {
    if (device_path.size() < 2) return false;
    std::string drive = device_path.substr(device_path.size() - 2);
    os::DeviceNumber number;
    if (!os::os().drives->device_number(drive[0], number)) return false;
    int drive_type = os::os().drives->drive_type(drive + "\\");
    std::string dos_device_name = handles().dos_device(drive);
    if (dos_device_name.empty()) return false;
    std::uint32_t instance = find_device_instance(number.device, drive_type, dos_device_name);
    if (instance == 0) return false;
    // The volume's own device cannot be ejected; its parent (the stick, the card reader) can.
    std::uint32_t parent = 0;
    if (!ejector().parent_of(instance, parent)) return false;
    for (int i = 0; i < kEjectTries; ++i) {
        os::EjectAnswer answer = ejector().request_eject(parent, show_system_notice);
        if (answer.result == 0 && answer.veto_type == 0) return true;
        os::os().clock->sleep_ms(kEjectPauseMs);
    }
    return false;
}

int eject_volume(const std::string& drive, bool show_system_notice) {
    std::string letter_and_colon = drive.substr(0, 1) + ":";
    if (!close_volume_handles(letter_and_colon, handles().current_process_id()))
        return kEjectHandlesHeld;
    return request_device_eject("\\\\.\\" + letter_and_colon, show_system_notice) ? kEjectRemoved
                                                                                  : kEjectRefused;
}

std::string remove_question_text(const std::string& caption) {
    return "是否移除可移动驱动器 " + caption + " ？";
}

std::string removed_balloon_text(const std::string& caption) {
    return "可移动驱动器 " + caption + " 被移除，请刷新分区列表！";
}

std::string removed_box_text(const std::string& caption) {
    return "可移动驱动器 " + caption + " 被移除！";
}

std::string remove_failed_text(const std::string& caption) {
    return "移除可移动驱动器 " + caption + " 失败！";
}

void remove_removable_drive(ui::Event& event) {
    ui::Window& main = *event.window;
    std::string caption = main.text("selected_caption_label");
    os::Notices& notices = *os::os().notices;
    if (notices.message_box(remove_question_text(caption), "提示", os::kBoxYesNo | os::kIconInfo) !=
        os::kIdYes)
        return;
    if (eject_volume(main.text("selected_drive_label"), false) == kEjectRemoved) {
        ui::show_tray_balloon("提示", removed_balloon_text(caption), ui::kBalloonInfo, 0);
        notices.message_box(removed_box_text(caption), "提示", os::kIconInfo);
    } else {
        ui::show_tray_balloon("提示", remove_failed_text(caption), ui::kBalloonInfo, 0);
        notices.message_box(remove_failed_text(caption), "提示", os::kIconError);
    }
}

void bind_safe_removal_handlers() {
    ui::bind_handler(ui::kMainWindowName, "disk_menu_remove", ui::EventKind::Menu,
                     remove_removable_drive);
}

}  // namespace qv
