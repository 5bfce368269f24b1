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

// One Win32_DiskPartition instance.
struct WmiPartitionRecord {
    bool bootable = false;
    bool boot_partition = false;
    std::string name;
    bool primary_partition = false;
    std::int64_t size = 0;
    std::int64_t starting_offset = 0;
    std::string type;
};

// The number of records the last list_partitions_wmi found.
extern int g_wmi_partition_count;

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

    // Win32_DiskDrive properties of the n-th disk in the order in which WMI returns them (n
    // from 1; the walk reads at most ten disks). Without a connection a getter gives "" or -1,
    // without an n-th disk "" or 0. Each call is one connect, walk and close.
    std::string get_disk_name(int n = 1);
    std::string get_disk_model(int n = 1);
    int get_disk_bytes_per_sector(int n = 1);
    std::string get_disk_caption(int n = 1);
    std::string get_disk_media_type(int n = 1);
    int get_disk_partition_count(int n = 1);
    int get_disk_scsi_bus(int n = 1);
    int get_disk_scsi_logical_unit(int n = 1);
    int get_disk_scsi_port(int n = 1);
    int get_disk_scsi_target_id(int n = 1);
    int get_disk_sectors_per_track(int n = 1);
    // Without leading and trailing blanks (the ASCII and the full-width space).
    std::string get_disk_serial_number(int n = 1);
    int get_disk_signature(int n = 1);
    // WMI hands these over as decimal text; the 32-bit ones stop at the largest int.
    std::int64_t get_disk_size(int n = 1);
    int get_disk_total_cylinders(int n = 1);
    int get_disk_total_sectors(int n = 1);
    int get_disk_total_tracks(int n = 1);
    // Appends the name of each disk (at most ten); the array's count, -1 without a connection.
    int get_disk_name_only(std::vector<std::string>& names);
    int get_disk_total_heads(int n = 1);
    // Fills the records of the partitions whose DiskIndex is disk - 1, among the first twenty
    // partitions of the machine, and keeps their count in g_wmi_partition_count. Returns the
    // array's count, -1 without a connection.
    int list_partitions_wmi(std::vector<WmiPartitionRecord>& records, int disk = 1);

    // The model of the disk that the program numbers `disk` (the storage device number plus 1):
    // the Win32_DiskDrive whose Index is disk - 1, among the first ten. WMI's order of disks
    // need not be the order of their numbers, so the position alone could name another disk.
    std::string get_disk_model_of_disk(int disk);

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
// The leading decimal digits (after an optional minus) of a WMI text as a number; 0 when there
// are none, the largest or smallest 64-bit value when they do not fit.
std::int64_t wmi_text_to_number(const std::string& text);

extern const char* const kExplorerPolicyKey;

}  // namespace qv
