// DiskManager's WMI operations: the Win32_DiskDrive properties of one disk, the names of all
// disks and the Win32_DiskPartition records of one disk.
#include <cstdint>
#include <limits>

#include "disks/disk_manager.h"
#include "platform/os.h"
#include "ui/runtime.h"

namespace qv {

int g_wmi_partition_count = 0;

namespace {

constexpr const char* kNamespace = "root\\cimv2";
constexpr const char* kDiskDriveQuery = "Select * From Win32_DiskDrive";
constexpr int kMostDisks = 10;
constexpr int kMostPartitions = 20;

void pump_window_messages() {
    if (ui::Runtime* ui = os::os().ui) ui->pump();
}

// What one walk over the disks found for one property.
struct DiskProperty {
    bool connected = false;
    bool found = false;  // the n-th disk was there
    std::string text;
};

// The walk goes on past the n-th disk until the set ends or ten disks were read, as every
// getter of the class does.
DiskProperty read_disk_property(DiskManager& disk, int n, const char* property,
                                const char* query = kDiskDriveQuery) {
    DiskProperty result;
    if (!disk.wmi_connect(kNamespace, query)) return result;
    result.connected = true;
    for (int i = 1; i <= kMostDisks && disk.wmi_next(); ++i) {
        if (i == n) {
            result.found = true;
            result.text = disk.wmi_text(property);
        }
        pump_window_messages();
    }
    disk.wmi_close();
    return result;
}

std::string text_value(const DiskProperty& p) {
    return p.found ? p.text : std::string();
}

// A 32-bit property keeps its bits, as its variant's value would.
int int_value(const DiskProperty& p) {
    if (!p.connected) return -1;
    if (!p.found) return 0;
    return static_cast<int>(static_cast<std::uint32_t>(wmi_text_to_number(p.text)));
}

std::int64_t int64_value(const DiskProperty& p) {
    if (!p.connected) return -1;
    return p.found ? wmi_text_to_number(p.text) : 0;
}

// A 64-bit count read as a 32-bit one: a disk beyond the range reads as the largest int rather
// than as a wrapped, possibly negative number.
int saturated_int_value(const DiskProperty& p) {
    std::int64_t v = int64_value(p);
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

bool bool_value(const std::string& text) {
    return wmi_text_to_number(text) != 0;
}

}  // namespace

std::int64_t wmi_text_to_number(const std::string& text) {
    std::size_t i = 0;
    bool negative = !text.empty() && text[0] == '-';
    if (negative) ++i;
    std::uint64_t value = 0;
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1u : 0u);
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        std::uint64_t digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (!negative) return static_cast<std::int64_t>(value);
    return value == limit ? std::numeric_limits<std::int64_t>::min()
                          : -static_cast<std::int64_t>(value);
}

std::string DiskManager::get_disk_name(int n) {
    return text_value(read_disk_property(*this, n, "Name"));
}
std::string DiskManager::get_disk_model(int n) {
    return text_value(read_disk_property(*this, n, "Model"));
}
int DiskManager::get_disk_bytes_per_sector(int n) {
    return int_value(read_disk_property(*this, n, "BytesPerSector"));
}
std::string DiskManager::get_disk_caption(int n) {
    return text_value(read_disk_property(*this, n, "Caption"));
}
std::string DiskManager::get_disk_media_type(int n) {
    return text_value(read_disk_property(*this, n, "MediaType"));
}
int DiskManager::get_disk_partition_count(int n) {
    return int_value(read_disk_property(*this, n, "Partitions"));
}
int DiskManager::get_disk_scsi_bus(int n) {
    return int_value(read_disk_property(*this, n, "SCSIBus"));
}
int DiskManager::get_disk_scsi_logical_unit(int n) {
    return int_value(read_disk_property(*this, n, "SCSILogicalUnit"));
}
int DiskManager::get_disk_scsi_port(int n) {
    return int_value(read_disk_property(*this, n, "SCSIPort"));
}
int DiskManager::get_disk_scsi_target_id(int n) {
    return int_value(read_disk_property(*this, n, "SCSITargetId"));
}
int DiskManager::get_disk_sectors_per_track(int n) {
    return int_value(read_disk_property(*this, n, "SectorsPerTrack"));
}
std::string DiskManager::get_disk_serial_number(int n) {
    return trim_label_blanks(text_value(read_disk_property(*this, n, "SerialNumber")));
}
int DiskManager::get_disk_signature(int n) {
    return int_value(read_disk_property(*this, n, "Signature"));
}
std::int64_t DiskManager::get_disk_size(int n) {
    return int64_value(read_disk_property(*this, n, "Size"));
}
int DiskManager::get_disk_total_cylinders(int n) {
    return saturated_int_value(read_disk_property(*this, n, "TotalCylinders"));
}
int DiskManager::get_disk_total_sectors(int n) {
    return saturated_int_value(read_disk_property(*this, n, "TotalSectors"));
}
int DiskManager::get_disk_total_tracks(int n) {
    return saturated_int_value(read_disk_property(*this, n, "TotalTracks"));
}
int DiskManager::get_disk_total_heads(int n) {
    return int_value(
        read_disk_property(*this, n, "TotalHeads", "Select TotalHeads From Win32_DiskDrive"));
}

int DiskManager::get_disk_name_only(std::vector<std::string>& names) {
    if (!wmi_connect(kNamespace, "Select Name From Win32_DiskDrive")) return -1;
    for (int i = 1; i <= kMostDisks && wmi_next(); ++i) {
        names.push_back(wmi_text("Name"));
        pump_window_messages();
    }
    wmi_close();
    return static_cast<int>(names.size());
}

int DiskManager::list_partitions_wmi(std::vector<WmiPartitionRecord>& records, int disk) {
    if (!wmi_connect(kNamespace, "Select * From Win32_DiskPartition")) return -1;
    const std::string sought = std::to_string(disk - 1);
    g_wmi_partition_count = 0;
    for (int i = 1; i <= kMostPartitions && wmi_next(); ++i) {
        if (wmi_text("DiskIndex") == sought) {
            ++g_wmi_partition_count;
            records.resize(static_cast<std::size_t>(g_wmi_partition_count));
            WmiPartitionRecord& r = records.back();
            r = WmiPartitionRecord{};
            r.primary_partition = bool_value(wmi_text("PrimaryPartition"));
            r.bootable = bool_value(wmi_text("Bootable"));
            r.boot_partition = bool_value(wmi_text("BootPartition"));
            r.name = wmi_text("Name");
            r.size = wmi_text_to_number(wmi_text("Size"));
            r.starting_offset = wmi_text_to_number(wmi_text("StartingOffset"));
            r.type = wmi_text("Type");
        }
        pump_window_messages();
    }
    wmi_close();
    return static_cast<int>(records.size());
}

std::string DiskManager::get_disk_model_of_disk(int disk) {
    if (!wmi_connect(kNamespace, kDiskDriveQuery)) return {};
    const std::string sought = std::to_string(disk - 1);
    std::string model;
    std::string model_at_position;
    bool matched = false;
    bool any_index = false;
    for (int i = 1; i <= kMostDisks && wmi_next(); ++i) {
        std::string index = wmi_text("Index");
        if (!index.empty()) any_index = true;
        if (!matched && index == sought) {
            matched = true;
            model = wmi_text("Model");
        }
        if (i == disk) model_at_position = wmi_text("Model");
        pump_window_messages();
    }
    wmi_close();
    // A provider that numbers no disk leaves only the position to go by.
    return any_index ? model : model_at_position;
}

}  // namespace qv
