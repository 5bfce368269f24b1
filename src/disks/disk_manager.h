// DiskManager: the general disk and volume class, one program-wide instance (g_disk). It wraps
// the volume functions and the WMI connection that its WMI-based operations share.
//
// Operations that take a drive default to the drive root of the program's own folder, bring the
// text into the form their call needs and report failure by their result, never by a message.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv {

namespace os {
class WmiQuery;
}

class DiskManager {
public:
    DiskManager();
    ~DiskManager();
    // One object owns one connection; a copy would release the same interfaces twice.
    DiskManager(const DiskManager&) = delete;
    DiskManager& operator=(const DiskManager&) = delete;

    // Connects to a WMI namespace and runs one query; on true the result set is walked with
    // wmi_next and wmi_text, and wmi_close ends it. A connection still open is closed first.
    bool wmi_connect(const std::string& name_space, const std::string& query);
    void wmi_close();
    bool wmi_connected() const { return query_ != nullptr; }
    bool wmi_next();
    std::string wmi_text(const std::string& property);

    // Volume queries.
    std::int64_t get_total_bytes(const std::optional<std::string>& drive = std::nullopt);
    double get_used_bytes(const std::optional<std::string>& drive = std::nullopt);
    std::int64_t get_free_bytes(const std::optional<std::string>& drive = std::nullopt);
    int get_usage_percent(const std::optional<std::string>& drive = std::nullopt);
    std::string get_volume_label(const std::optional<std::string>& drive = std::nullopt);
    bool set_volume_label(const std::optional<std::string>& drive, const std::string& label);
    std::string get_file_system_name(const std::optional<std::string>& drive = std::nullopt);
    std::string get_volume_serial(const std::optional<std::string>& drive = std::nullopt);
    int get_drive_type(const std::optional<std::string>& drive = std::nullopt);
    // Appends the roots whose type matches: 0 all, 1 fixed, 2 CD-ROM, 3 removable, 4 network.
    int list_drives_of_type(std::vector<std::string>& roots, int selector);
    int list_drive_roots();
    // 1 CD, 2 DVD, 255 anything else or no optical drive.
    int optical_drive_kind();
    std::string find_cdrom_drive();
    bool cdrom_has_disc();

    // Drive hiding: the per-user Explorer policy value "NoDrives".
    bool hide_drive(const std::string& drive);
    bool show_all_drives();

    // Win32_DiskDrive "Model" of the n-th disk in the order WMI returns them (n from 1).
    std::string get_disk_model(int n = 1);

private:
    bool com_security_set_ = false;
    std::unique_ptr<os::WmiQuery> query_;
};

extern DiskManager g_disk;

// The forms the operations bring a drive into.
std::string volume_root_of(const std::optional<std::string>& drive);
// Leading and trailing blanks removed: the ASCII space and the full-width space of code page 936.
std::string trim_label_blanks(const std::string& label);
// The drive-hiding bit of "C:" to "L:" (C: 4 ... L: 2048), 0 for any other text.
std::uint32_t drive_hide_bit(const std::string& drive);
// The command that restarts Explorer after the hiding value changed.
std::string explorer_restart_command();

extern const char* const kExplorerPolicyKey;

}  // namespace qv
