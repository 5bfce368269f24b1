// DiskManager: the general disk and volume class, one program-wide instance (g_disk). It wraps
// the volume functions and the WMI connection that its WMI-based operations share.
//
// Operations that take a drive default to the drive root of the program's own folder, bring the
// text into the form their call needs and report failure by their result, never by a message.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os_volume_names.h"

namespace qv {

namespace os {
class WmiQuery;
class Device;
}  // namespace os

// The geometry of the first disk as its driver reports it; all zero or empty when it cannot be
// asked.
struct DiskGeometryInfo {
    std::int32_t cylinders = 0;  // the low 32 bits of the cylinder count
    std::string media_type_text;
    std::int32_t tracks_per_cylinder = 0;
    std::int32_t sectors_per_track = 0;
    std::int32_t bytes_per_sector = 0;
    std::int64_t size = 0;  // the product of the four, in bytes
};

// Facts from an ATA drive's IDENTIFY data; all zero or empty when it cannot be asked.
struct SmartIdentifyInfo {
    std::int32_t cylinders = 0;
    std::int32_t heads = 0;
    std::int32_t sectors_per_track = 0;
    std::string serial;
    std::string model;
    std::string firmware;
};

// The caller's view of a running format: the percentage done.
using FormatProgressRoutine = std::function<void(int percent)>;
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

    // Network shares of the local machine: the drive's root shared under a name (a disk share
    // with every permission, no use limit and no password), and a share taken away again.
    bool share_drive(const std::optional<std::string>& drive, const std::string& share_name,
                     const std::string& remark);
    bool unshare_drive(const std::string& share_name);

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

    // Formatting through the platform's formatting library, synchronously; the progress routine
    // gets the library's percentages. True only when the library reported a successful end.
    // A format always names its drive: no default could be safe.
    bool format_volume(const std::string& drive, const std::string& file_system = "NTFS",
                       const std::string& label = "新加卷", std::uint32_t cluster_size = 4096,
                       bool quick = false, FormatProgressRoutine progress_routine = {});
    bool format_volume_legacy(const std::string& drive, const std::string& file_system = "NTFS",
                              const std::string& label = "新加卷", bool quick = false,
                              FormatProgressRoutine progress_routine = {});
    // The library's reports: 0 progress (the value is the percentage), 11 done (the value is the
    // success flag). Always lets the library go on.
    bool on_format_progress(int command, int sub_action, std::uint8_t value);
    bool enable_volume_compression(const std::optional<std::string>& drive = std::nullopt,
                                   int compress = 1);
    bool format_result() const { return format_result_; }

    // DOS device names. Operations that take a name or a letter away always name their drive.
    bool query_dos_device(const std::optional<std::string>& drive = std::nullopt);
    // Refused when the target does not exist or the name is already defined.
    bool add_dos_device(const std::optional<std::string>& drive, const std::string& target_path);
    // Removes the current definition of the name, used as given.
    bool remove_dos_device(const std::string& drive);
    // The device path behind a drive (such as "\Device\HarddiskVolume1").
    std::string get_dos_device_path(const std::optional<std::string>& drive = std::nullopt);

    // Raw sectors of 512 bytes of the first physical disk, within its first 2 GiB
    // (sectors 0 to 4,194,303). A read gives the sector's bytes, or nothing; a write takes at
    // least 512 bytes of data and writes exactly the first 512.
    std::string read_disk0_sector(std::int64_t sector);
    bool write_disk0_sector(std::int64_t sector, const std::string& data);

    // Writes a probe file of that many megabytes at the drive's root and deletes it again:
    // the write speed in MB/s (at least 1), or 0 when the drive takes no such write.
    int is_drive_writable(const std::optional<std::string>& drive, int megabytes);

    // Drive letters and mount points. The letters in use ("C:"), in letter order.
    int list_drive_letters(std::vector<std::string>& letters);
    // The drive loses its letter.
    bool delete_mount_point(const std::string& drive);
    // The mount point leads to the volume of the drive.
    bool set_mount_point(const std::string& mount_point, const std::string& drive);
    std::string get_volume_guid_path(const std::optional<std::string>& drive = std::nullopt);
    std::string get_volume_path_names(const std::string& volume_name);
    std::string get_volume_path_name(const std::string& path);
    // The volume names and one drive's mount points, appended; the array's member count.
    int list_volume_guid_paths(std::vector<std::string>& volume_names);
    int list_mount_points(const std::optional<std::string>& drive,
                          std::vector<std::string>& mount_points);
    // The enumerations themselves; the caller ends each with its close.
    os::VolumeSearch find_first_volume(std::string& volume_name);
    bool find_next_volume(os::VolumeSearch search, std::string& volume_name);
    bool find_volume_close(os::VolumeSearch search);
    os::VolumeSearch find_first_mount_point(const std::string& volume_name,
                                            std::string& mount_point);
    bool find_next_mount_point(os::VolumeSearch search, std::string& mount_point);
    bool find_mount_point_close(os::VolumeSearch search);

    // 0 not a network drive, 1 a connected one, 2 a disconnected one.
    int is_net_drive(const std::optional<std::string>& drive = std::nullopt);
    // The shell's format dialog; true when the user cancelled it.
    bool show_format_dialog(const std::optional<std::string>& drive, std::uint32_t options);
    bool get_volume_info_by_handle(const std::string& file_path, std::string& volume_name,
                                   std::string& file_system);
    bool search_tree_for_file(const std::string& root_path, const std::string& file_name,
                              std::string& found_path);

    // Geometry and identity of the first physical disk; each call asks the drive again.
    DiskGeometryInfo get_drive_geometry();
    std::int64_t get_geometry_size();
    SmartIdentifyInfo smart_identify();
    std::string get_smart_serial();
    std::string get_smart_serial_copy();
    std::string get_smart_model();
    std::string get_smart_firmware();
    // The device number of the disk that holds the volume (from 0) and the volume's partition
    // number (from 1); -1 when the volume does not answer.
    int volume_disk_number(const std::optional<std::string>& drive = std::nullopt);
    int volume_partition_number(const std::optional<std::string>& drive = std::nullopt);
    // Values from the first disk's SMART vendor data, or from WMI's copy of it when the disk
    // does not answer: -1 without either, 0 when WMI has no instance.
    int get_smart_vendor_word();
    int get_smart_vendor_byte();

private:
    bool run_format(const std::string& drive, bool legacy, const std::string& file_system,
                    const std::string& label, std::uint32_t cluster_size, bool quick,
                    FormatProgressRoutine progress_routine);
    std::unique_ptr<os::Device> open_smart_device(std::uint8_t drive_number);
    bool read_vendor_data(std::string& data);
    int smart_vendor_value(int (*value_of)(const std::uint8_t* data, std::size_t size));

    bool com_security_set_ = false;
    std::unique_ptr<os::WmiQuery> query_;
    bool format_result_ = false;
    FormatProgressRoutine progress_routine_;
};

extern DiskManager g_disk;

// The drive as given, or the drive root of the program's own folder ("X:\").
std::string drive_or_program_root(const std::optional<std::string>& drive);
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

// The "E:" form: two characters stay, anything else is its first character and ":".
std::string drive_colon_form(const std::string& drive);
// The "E:\" form: three characters stay, anything else gets ":\" appended.
std::string drive_root_form(const std::string& drive);
// The drive index of a drive's first character (A = 0), -1 for an empty text.
int drive_letter_index(const std::string& drive);

// The byte position of a sector of the first disk, or -1 beyond the reachable sectors.
constexpr std::int64_t kSectorBytes = 512;
constexpr std::int64_t kLastReachableSector = 4194303;
std::int64_t disk0_sector_offset(std::int64_t sector);
// The write speed of the probe: megabytes over the elapsed milliseconds (a write within one
// tick counts as one), rounded to 3 decimals; the whole MB/s, at least 1.
int write_speed_mb_per_s(int megabytes, std::uint32_t elapsed_ms);

// The media-type text of the geometry's media type number.
std::string media_type_text(std::uint32_t media_type);
// A geometry record from the driver's answer (cylinders as 64 bits, then media type, tracks per
// cylinder, sectors per track and bytes per sector as 32 bits); missing bytes count as zero.
DiskGeometryInfo parse_drive_geometry(const std::string& answer);
// The 32 bytes of the IDENTIFY DEVICE request for a drive number.
std::string smart_identify_request(std::uint8_t drive_number);
// The IDENTIFY record from the request's answer (the data begins at byte 16).
SmartIdentifyInfo parse_smart_identify(const std::string& answer);
// An IDENTIFY text field: the two bytes of each word exchanged, cut at the first zero byte and
// trimmed of blanks.
std::string identify_string_to_text(const std::string& field);
// The two values taken from SMART vendor data (512 bytes); -1 when the data is too short.
int smart_vendor_word_of(const std::uint8_t* data, std::size_t size);
int smart_vendor_byte_of(const std::uint8_t* data, std::size_t size);

extern const char* const kExplorerPolicyKey;

}  // namespace qv
