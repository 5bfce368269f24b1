#include "disks/drive_facts.h"

#include "base/carried_tools.h"
#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "platform/os.h"
#include "platform/os_drives.h"

namespace qv {
namespace {

os::Drives& drives() {
    return *os::os().drives;
}

// The first character of a drive text, or 0 for an empty text.
char letter_of(const std::string& drive) {
    return drive.empty() ? '\0' : drive[0];
}

bool device_number_of(const std::string& drive, os::DeviceNumber& out) {
    char letter = letter_of(drive);
    return letter != '\0' && drives().device_number(letter, out);
}

}  // namespace

std::vector<std::string> split_drive_strings(const std::string& buffer) {
    std::vector<std::string> roots;
    std::size_t start = 0;
    while (start < buffer.size()) {
        std::size_t zero = buffer.find('\0', start);
        if (zero == std::string::npos) zero = buffer.size();
        if (zero > start) roots.push_back(buffer.substr(start, zero - start));
        start = zero + 1;
    }
    return roots;
}

std::vector<std::string> select_drives(const std::vector<std::string>& roots,
                                       const std::vector<int>& types, int selector) {
    std::vector<std::string> fixed, optical, removable, other;
    for (std::size_t i = 0; i < roots.size() && i < types.size(); ++i) {
        switch (types[i]) {
            case os::kDriveFixed:
                fixed.push_back(roots[i]);
                break;
            case os::kDriveCdrom:
                optical.push_back(roots[i]);
                break;
            case os::kDriveRemovable:
                removable.push_back(roots[i]);
                break;
            default:
                other.push_back(roots[i]);
                break;
        }
    }
    switch (selector) {
        case kAllDrives: {
            std::vector<std::string> all = fixed;
            for (const auto* group : {&optical, &removable, &other})
                all.insert(all.end(), group->begin(), group->end());
            return all;
        }
        case kFixedDrives:
            return fixed;
        case kOpticalDrives:
            return optical;
        case kRemovableDrives:
            return removable;
        default:
            return other;
    }
}

std::vector<std::string> list_drives(int selector) {
    std::vector<std::string> roots = split_drive_strings(drives().logical_drive_strings());
    std::vector<int> types;
    types.reserve(roots.size());
    for (const std::string& root : roots) types.push_back(drives().drive_type(root));
    return select_drives(roots, types, selector);
}

int list_drives(std::vector<std::string>& roots, int selector) {
    roots = list_drives(selector);
    return static_cast<int>(roots.size());
}

int disk_number_of(const std::string& drive) {
    os::DeviceNumber number;
    if (!device_number_of(drive, number)) return -1;
    return static_cast<int>(number.device + 1u);
}

int partition_number_of(const std::string& drive) {
    os::DeviceNumber number;
    if (!device_number_of(drive, number)) return -1;
    return static_cast<int>(number.partition);
}

std::string disk_partition_text(int disk, int partition) {
    return std::to_string(disk) + ":" + std::to_string(partition);
}

std::string disk_partition_of(const std::string& drive) {
    return disk_partition_text(disk_number_of(drive), partition_number_of(drive));
}

std::string drive_type_name_of(int type) {
    switch (type) {
        case os::kDriveRemovable:
            return "可移动驱动器";
        case os::kDriveFixed:
            return "硬盘驱动器";
        case os::kDriveRemote:
            return "网络驱动器";
        case os::kDriveCdrom:
            return "光盘驱动器";
        case os::kDriveRamDisk:
            return "RAM驱动器";
        default:
            return "未知驱动器";
    }
}

std::string drive_type_name(const std::string& drive) {
    return drive_type_name_of(drives().drive_type(drive));
}

std::string volume_file_system(const std::string& drive) {
    os::VolumeInformation info;
    if (drive.empty() || !drives().volume_information(drive.substr(0, 1) + ":\\", info)) return {};
    return info.file_system;
}

std::string partition_info_command() {
    return system_dir() + "omnifs32.exe info";
}

void load_partition_info() {
    std::string tool = system_dir() + "omnifs32.exe";
    if (!path_exists(tool)) write_carried_file(kCarriedGhostUtility, tool);
    g_omnifs_output = run_console_capture(partition_info_command());
}

bool report_marks_active(const std::string& report, const std::string& drive) {
    std::string letter = drive.empty() ? std::string("C") : upper_ascii(drive.substr(0, 1));
    return find_text(report, letter + ":\\] Active") != -1;
}

bool is_active_partition(const std::string& drive) {
    return report_marks_active(g_omnifs_output, drive);
}

std::string windows_short_name_for_version(const std::string& file_version) {
    static const struct {
        const char* key;
        const char* name;
    } kShortNames[] = {
        {"5.0.", "Win2K"},    {"5.1.", "WinXP"}, {"5.2.", "Win03"},
        {"6.0.", "WinVista"}, {"6.1.", "Win7"},  {"6.2.", "Win8"},
        {"6.3.", "Win8.1"},   {"6.4.", "Win10"}, {"10.0", "Win10"},
    };
    std::string key = file_version.substr(0, 4);
    for (const auto& row : kShortNames)
        if (key == row.key) return row.name;
    return {};
}

std::string windows_short_name(const std::string& root) {
    std::string cmd = root + "windows\\system32\\CMD.EXE";
    if (!file_exists(cmd)) return {};
    return windows_short_name_for_version(get_file_version(cmd));
}

int firmware_kind(bool asked, std::uint32_t value) {
    if (!asked) return 0;
    return value == 1 || value == 2 ? static_cast<int>(value) : 0;
}

int get_firmware_type() {
    std::uint32_t value = 0;
    bool asked = drives().firmware_type(value);
    return firmware_kind(asked, value);
}

const char* const kNoMountLetterMessage = "检测到系统盘符异常，部分功能将无法正常使用！";

std::string free_mount_letter() {
    for (const char* letter : {"Z", "Y", "W", "A", "B"})
        if (!drive_exists(letter)) return letter;
    return {};
}

}  // namespace qv
