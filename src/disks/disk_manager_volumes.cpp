// DiskManager: DOS device names, raw sectors of the first disk, the write probe, drive letters,
// volume names and mount points, and a few lookups on volumes.
#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "base/helpers.h"
#include "base/tool_runner.h"
#include "disks/disk_manager.h"
#include "platform/os.h"
#include "platform/os_disk_devices.h"
#include "platform/os_format.h"
#include "platform/os_volume_names.h"

namespace qv {
namespace {

constexpr std::size_t kDosDeviceBuffer = 256;
constexpr std::size_t kDevicePathBuffer = 260;
constexpr std::size_t kVolumeNameChars = 51;
constexpr std::size_t kPathBuffer = 260;
constexpr std::size_t kTreeSearchBuffer = 256;
constexpr std::uint32_t kFormatDialogDefaultId = 0xFFFF;
constexpr int kDriveLetters = 26;

const char* const kFirstDisk = "\\\\.\\PhysicalDrive0";
const char* const kProbeFileName = "@test";

os::VolumeNames* names() {
    return os::os().volume_names;
}
os::DiskDevices* devices() {
    return os::os().disk_devices;
}

}  // namespace

std::string drive_colon_form(const std::string& drive) {
    if (drive.size() == 2 || drive.empty()) return drive;
    return drive.substr(0, 1) + ":";
}

std::string drive_root_form(const std::string& drive) {
    if (drive.size() == 3 || drive.empty()) return drive;
    // "E:" is a drive already: a second colon would name nothing.
    if (drive.size() == 2 && drive[1] == ':') return drive + "\\";
    return drive + ":\\";
}

int drive_letter_index(const std::string& drive) {
    if (drive.empty()) return -1;
    char letter = upper_ascii(drive.substr(0, 1))[0];
    return letter >= 'A' && letter <= 'Z' ? letter - 'A' : -1;
}

std::int64_t disk0_sector_offset(std::int64_t sector) {
    if (sector < 0 || sector > kLastReachableSector) return -1;
    return sector * kSectorBytes;
}

int write_speed_mb_per_s(int megabytes, std::uint32_t elapsed_ms) {
    double seconds = static_cast<double>(std::max<std::uint32_t>(elapsed_ms, 1)) / 1000.0;
    double speed = std::round(megabytes / seconds * 1000.0) / 1000.0;
    // A drive that took the whole write is writable, however slowly it took it.
    return std::max(1, static_cast<int>(std::min(speed, static_cast<double>(INT_MAX))));
}

bool DiskManager::query_dos_device(const std::optional<std::string>& drive) {
    std::string name = drive_colon_form(drive_or_program_root(drive));
    std::string target;
    return names() != nullptr && !name.empty() &&
           names()->query_dos_device(name, kDosDeviceBuffer, target);
}

bool DiskManager::add_dos_device(const std::optional<std::string>& drive,
                                 const std::string& target_path) {
    std::string name = drive_colon_form(drive_or_program_root(drive));
    if (names() == nullptr || name.empty() || !path_exists(target_path) || query_dos_device(name))
        return false;
    return names()->define_dos_device(os::kDefineDosDevice, name, target_path);
}

bool DiskManager::remove_dos_device(const std::string& drive) {
    return names() != nullptr && !drive.empty() &&
           names()->define_dos_device(os::kRemoveDosDevice, drive, "");
}

std::string DiskManager::get_dos_device_path(const std::optional<std::string>& drive) {
    std::string name = drive_colon_form(drive_or_program_root(drive));
    std::string target;
    if (names() == nullptr || name.empty() ||
        !names()->query_dos_device(name, kDevicePathBuffer, target))
        return {};
    return target;
}

std::string DiskManager::read_disk0_sector(std::int64_t sector) {
    std::int64_t offset = disk0_sector_offset(sector);
    if (offset < 0 || devices() == nullptr) return {};
    std::unique_ptr<os::Device> disk = devices()->open(kFirstDisk, os::DeviceOpen::Read);
    std::string block;
    if (!disk || !disk->read_at(static_cast<std::uint64_t>(offset), kSectorBytes, block)) return {};
    return block;
}

bool DiskManager::write_disk0_sector(std::int64_t sector, const std::string& data) {
    std::int64_t offset = disk0_sector_offset(sector);
    // Short data would send whatever lies behind it to the disk.
    if (offset < 0 || data.size() < static_cast<std::size_t>(kSectorBytes) || devices() == nullptr)
        return false;
    std::unique_ptr<os::Device> disk = devices()->open(kFirstDisk, os::DeviceOpen::Write);
    return disk && disk->write_at(static_cast<std::uint64_t>(offset), data.substr(0, kSectorBytes));
}

int DiskManager::is_drive_writable(const std::optional<std::string>& drive, int megabytes) {
    std::string root = drive_root_form(drive_or_program_root(drive));
    if (root.empty() || megabytes <= 0) return 0;
    std::string block;
    std::uint64_t bytes = static_cast<std::uint64_t>(megabytes) << 20;
    if (bytes > block.max_size()) return 0;
    try {
        block.assign(static_cast<std::size_t>(bytes), '\0');
    } catch (const std::bad_alloc&) {
        return 0;
    }
    os::FileSystem& files = *os::os().files;
    os::Clock& clock = *os::os().clock;
    std::string probe = root + kProbeFileName;
    std::uint32_t first = clock.tick_ms();
    pump_messages();
    // A probe left by an earlier run is replaced; a write that falls short leaves no file.
    files.delete_file(probe);
    if (!files.write_new_file(probe, block)) return 0;
    std::uint32_t elapsed = clock.tick_ms() - first;
    files.delete_file(probe);
    return write_speed_mb_per_s(megabytes, elapsed);
}

int DiskManager::list_drive_letters(std::vector<std::string>& letters) {
    letters.clear();
    std::uint32_t mask = names() != nullptr ? names()->logical_drives() : 0;
    for (int bit = 0; bit < kDriveLetters; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        letters.push_back(std::string(1, static_cast<char>('A' + bit)) + ":");
        pump_messages();
    }
    return static_cast<int>(letters.size());
}

bool DiskManager::delete_mount_point(const std::string& drive) {
    std::string root = drive_root_form(drive);
    return names() != nullptr && !root.empty() && names()->delete_mount_point(root);
}

bool DiskManager::set_mount_point(const std::string& mount_point, const std::string& drive) {
    std::string volume = get_volume_guid_path(drive);
    return !volume.empty() && !mount_point.empty() && names()->set_mount_point(mount_point, volume);
}

std::string DiskManager::get_volume_guid_path(const std::optional<std::string>& drive) {
    std::string root = drive_root_form(drive_or_program_root(drive));
    std::string volume;
    if (names() == nullptr || root.empty() ||
        !names()->volume_name_of(root, kVolumeNameChars, volume))
        return {};
    return volume;
}

std::string DiskManager::get_volume_path_names(const std::string& volume_name) {
    std::string paths;
    if (names() == nullptr || !names()->volume_path_names(volume_name, kPathBuffer, paths))
        return {};
    return paths.substr(0, paths.find('\0'));
}

std::string DiskManager::get_volume_path_name(const std::string& path) {
    std::string mount_point;
    if (names() == nullptr || !names()->volume_path_of(path, kPathBuffer, mount_point)) return {};
    return mount_point;
}

os::VolumeSearch DiskManager::find_first_volume(std::string& volume_name) {
    if (names() == nullptr) return os::kNoVolumeSearch;
    return names()->find_first_volume(kVolumeNameChars, volume_name);
}

bool DiskManager::find_next_volume(os::VolumeSearch search, std::string& volume_name) {
    return names() != nullptr && search != os::kNoVolumeSearch &&
           names()->find_next_volume(search, kVolumeNameChars, volume_name);
}

bool DiskManager::find_volume_close(os::VolumeSearch search) {
    return names() != nullptr && search != os::kNoVolumeSearch &&
           names()->find_volume_close(search);
}

os::VolumeSearch DiskManager::find_first_mount_point(const std::string& volume_name,
                                                     std::string& mount_point) {
    if (names() == nullptr) return os::kNoVolumeSearch;
    return names()->find_first_mount_point(volume_name, kPathBuffer, mount_point);
}

bool DiskManager::find_next_mount_point(os::VolumeSearch search, std::string& mount_point) {
    return names() != nullptr && search != os::kNoVolumeSearch &&
           names()->find_next_mount_point(search, kPathBuffer, mount_point);
}

bool DiskManager::find_mount_point_close(os::VolumeSearch search) {
    return names() != nullptr && search != os::kNoVolumeSearch &&
           names()->find_mount_point_close(search);
}

int DiskManager::list_volume_guid_paths(std::vector<std::string>& volume_names) {
    std::string name;
    os::VolumeSearch search = find_first_volume(name);
    if (search == os::kNoVolumeSearch) return static_cast<int>(volume_names.size());
    volume_names.push_back(name);
    while (find_next_volume(search, name)) {
        volume_names.push_back(name);
        pump_messages();
    }
    find_volume_close(search);
    return static_cast<int>(volume_names.size());
}

int DiskManager::list_mount_points(const std::optional<std::string>& drive,
                                   std::vector<std::string>& mount_points) {
    std::string volume = get_volume_guid_path(drive);
    std::string mount_point;
    os::VolumeSearch search =
        volume.empty() ? os::kNoVolumeSearch : find_first_mount_point(volume, mount_point);
    if (search == os::kNoVolumeSearch) return static_cast<int>(mount_points.size());
    mount_points.push_back(mount_point);
    while (find_next_mount_point(search, mount_point)) {
        mount_points.push_back(mount_point);
        pump_messages();
    }
    find_mount_point_close(search);
    return static_cast<int>(mount_points.size());
}

int DiskManager::is_net_drive(const std::optional<std::string>& drive) {
    int index = drive_letter_index(drive_or_program_root(drive));
    return names() != nullptr && index >= 0 ? names()->net_drive_state(index) : 0;
}

bool DiskManager::show_format_dialog(const std::optional<std::string>& drive,
                                     std::uint32_t options) {
    int index = drive_letter_index(drive_or_program_root(drive));
    os::VolumeFormatter* formatter = os::os().formatter;
    if (formatter == nullptr || index < 0) return false;
    return formatter->format_dialog(index, kFormatDialogDefaultId, options) ==
           os::kFormatDialogCancelled;
}

bool DiskManager::get_volume_info_by_handle(const std::string& file_path, std::string& volume_name,
                                            std::string& file_system) {
    return names() != nullptr && names()->volume_of_file(file_path, volume_name, file_system);
}

bool DiskManager::search_tree_for_file(const std::string& root_path, const std::string& file_name,
                                       std::string& found_path) {
    std::string found;
    if (names() == nullptr || !names()->search_tree(root_path, file_name, kTreeSearchBuffer, found))
        return false;
    found_path = trim_label_blanks(found);
    return true;
}

}  // namespace qv
