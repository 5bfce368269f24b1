#include "disks/disk_manager.h"

#include <cstdio>

#include "base/helpers.h"
#include "base/tool_runner.h"
#include "platform/os.h"
#include "platform/os_drives.h"
#include "platform/os_registry.h"
#include "platform/os_shares.h"
#include "platform/os_wmi.h"
#include "ui/runtime.h"

namespace qv {

DiskManager g_disk;

const char* const kExplorerPolicyKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

namespace {

const char* const kFullWidthSpace = "　";
// Read, write, create, run, delete, attributes and permissions: the server's full set.
constexpr std::uint32_t kShareAllPermissions = 127;

os::Drives& drives() {
    return *os::os().drives;
}

void pump_window_messages() {
    if (ui::Runtime* ui = os::os().ui) ui->pump();
}

std::string program_drive_root() {
    return os::os().program->run_folder().substr(0, 3);
}

bool clusters_of(const std::optional<std::string>& drive, os::ClusterCounts& counts) {
    return drives().cluster_counts(volume_root_of(drive), counts);
}

double cluster_bytes(const os::ClusterCounts& c) {
    return static_cast<double>(c.sectors_per_cluster) * static_cast<double>(c.bytes_per_sector);
}

bool is_blank_at(const std::string& text, std::size_t i) {
    return text[i] == ' ' || text.compare(i, 2, kFullWidthSpace) == 0;
}

}  // namespace

std::string drive_or_program_root(const std::optional<std::string>& drive) {
    return drive ? *drive : program_drive_root();
}

std::string volume_root_of(const std::optional<std::string>& drive) {
    std::string root = drive_or_program_root(drive);
    return root.size() == 3 ? root : root + "\\";
}

std::string trim_label_blanks(const std::string& label) {
    // Walk by character from the start, so the trail byte of a double-byte character is never
    // taken for half of a blank.
    std::size_t first = std::string::npos;
    std::size_t end = 0;
    for (std::size_t i = 0; i < label.size(); i = next_char(label, i)) {
        if (is_blank_at(label, i)) continue;
        if (first == std::string::npos) first = i;
        end = next_char(label, i);
    }
    return first == std::string::npos ? std::string() : label.substr(first, end - first);
}

std::uint32_t drive_hide_bit(const std::string& drive) {
    std::string text = drive.size() == 2 ? drive : drive + ":";
    if (text.size() != 2 || text[1] != ':' || text[0] < 'C' || text[0] > 'L') return 0;
    return 1u << (text[0] - 'A');
}

std::string explorer_restart_command() {
    // "/c": the hidden interpreter ends with its command; one left waiting for input would stay
    // behind, unseen, after every hiding.
    return "cmd.exe /c taskkill /f /im explorer.exe & @explorer.exe";
}

DiskManager::DiskManager() = default;
DiskManager::~DiskManager() = default;

bool DiskManager::wmi_connect(const std::string& name_space, const std::string& query) {
    wmi_close();
    os::Wmi* wmi = os::os().wmi;
    if (wmi == nullptr) return false;
    bool init_security = !com_security_set_;
    com_security_set_ = true;
    query_ = wmi->connect(name_space, query, init_security);
    return query_ != nullptr;
}

void DiskManager::wmi_close() {
    query_.reset();
}

bool DiskManager::wmi_next() {
    return query_ != nullptr && query_->next();
}

std::string DiskManager::wmi_text(const std::string& property) {
    return query_ != nullptr ? query_->text(property) : std::string();
}

std::int64_t DiskManager::get_total_bytes(const std::optional<std::string>& drive) {
    os::ClusterCounts c;
    if (!clusters_of(drive, c)) return -1;
    return static_cast<std::int64_t>(cluster_bytes(c) * static_cast<double>(c.total_clusters));
}

double DiskManager::get_used_bytes(const std::optional<std::string>& drive) {
    os::ClusterCounts c;
    if (!clusters_of(drive, c)) return -1.0;
    return static_cast<double>(get_total_bytes(drive)) -
           cluster_bytes(c) * static_cast<double>(c.free_clusters);
}

std::int64_t DiskManager::get_free_bytes(const std::optional<std::string>& drive) {
    os::ClusterCounts c;
    if (!clusters_of(drive, c)) return -1;
    return static_cast<std::int64_t>(cluster_bytes(c) * static_cast<double>(c.free_clusters));
}

int DiskManager::get_usage_percent(const std::optional<std::string>& drive) {
    std::int64_t total = get_total_bytes(drive);
    std::int64_t free = get_free_bytes(drive);
    // A volume that cannot be asked has no share in use, rather than a division by -1 or 0.
    if (total <= 0 || free < 0) return 0;
    return static_cast<int>((total - free) * 100 / total);
}

std::string DiskManager::get_volume_label(const std::optional<std::string>& drive) {
    os::VolumeInformation info;
    if (!drives().volume_information(volume_root_of(drive), info)) return {};
    return info.label;
}

bool DiskManager::set_volume_label(const std::optional<std::string>& drive,
                                   const std::string& label) {
    return drives().set_volume_label(volume_root_of(drive), trim_label_blanks(label));
}

std::string DiskManager::get_file_system_name(const std::optional<std::string>& drive) {
    os::VolumeInformation info;
    if (!drives().volume_information(volume_root_of(drive), info)) return {};
    return info.file_system;
}

std::string DiskManager::get_volume_serial(const std::optional<std::string>& drive) {
    os::VolumeInformation info;
    if (!drives().volume_information(volume_root_of(drive), info)) return "0";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(info.serial));
    return buf;
}

int DiskManager::get_drive_type(const std::optional<std::string>& drive) {
    std::string name = drive ? *drive : os::os().program->run_folder().substr(0, 2);
    int type = drives().drive_type(name);
    return type >= os::kDriveRemovable && type <= os::kDriveRamDisk ? type - 1 : 0;
}

int DiskManager::list_drives_of_type(std::vector<std::string>& roots, int selector) {
    static const int kTypes[] = {0, os::kDriveFixed, os::kDriveCdrom, os::kDriveRemovable,
                                 os::kDriveRemote};
    std::string buffer = drives().logical_drive_strings();
    std::size_t start = 0;
    while (start < buffer.size()) {
        std::size_t zero = buffer.find('\0', start);
        if (zero == std::string::npos) zero = buffer.size();
        std::string root = buffer.substr(start, zero - start);
        start = zero + 1;
        if (root.empty()) continue;
        if (selector == 0 ||
            (selector >= 1 && selector <= 4 && drives().drive_type(root) == kTypes[selector])) {
            roots.push_back(root);
        }
        pump_window_messages();
    }
    return static_cast<int>(roots.size());
}

int DiskManager::list_drive_roots() {
    std::string buffer = drives().logical_drive_strings();
    int count = 0;
    std::size_t start = 0;
    while (start < buffer.size()) {
        std::size_t zero = buffer.find('\0', start);
        if (zero == std::string::npos) zero = buffer.size();
        if (zero > start) ++count;
        start = zero + 1;
    }
    return count;
}

std::string DiskManager::find_cdrom_drive() {
    std::vector<std::string> roots;
    list_drives_of_type(roots, 2);
    return roots.empty() ? std::string() : roots.front();
}

int DiskManager::optical_drive_kind() {
    std::string root = find_cdrom_drive();
    std::uint32_t type = 0;
    if (root.empty() || !drives().media_device_type(root[0], type)) return 255;
    if (type == 2) return 1;
    if (type == 51) return 2;
    return 255;
}

bool DiskManager::cdrom_has_disc() {
    std::string root = find_cdrom_drive();
    os::VolumeInformation info;
    return !root.empty() && drives().volume_information(root, info);
}

bool DiskManager::share_drive(const std::optional<std::string>& drive,
                              const std::string& share_name, const std::string& remark) {
    os::NetworkShares* shares = os::os().shares;
    if (shares == nullptr) return false;
    os::ShareRecord share;
    share.name = share_name;
    share.type = os::kShareTypeDisk;
    share.remark = remark;
    share.permissions = kShareAllPermissions;
    share.max_uses = os::kShareUsesUnlimited;
    share.path = volume_root_of(drive);
    return shares->add_share(share);
}

bool DiskManager::unshare_drive(const std::string& share_name) {
    os::NetworkShares* shares = os::os().shares;
    return shares != nullptr && shares->delete_share(share_name);
}

bool DiskManager::hide_drive(const std::string& drive) {
    if (!os::os().registry->set_dword(os::RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives",
                                      drive_hide_bit(drive))) {
        return false;
    }
    // Only Explorer is restarted: ending every command interpreter as well would end the
    // program's own console and runners.
    if (os::os().notices->message_box("如果要隐藏需要刷新explorer，是否刷新？", "提示",
                                      os::kBoxYesNo) == os::kIdYes) {
        run_hidden(explorer_restart_command());
    }
    return true;
}

bool DiskManager::show_all_drives() {
    os::Registry& registry = *os::os().registry;
    if (registry.delete_value(os::RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives"))
        return true;
    return registry.delete_key(os::RegistryRoot::CurrentUser,
                               std::string(kExplorerPolicyKey) + "\\NoDrives");
}

}  // namespace qv
