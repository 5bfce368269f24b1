// DiskManager: what the storage drivers tell about a physical disk: its geometry, the identity
// strings of an ATA drive, the disk and partition of a volume, and SMART vendor data.
#include <climits>
#include <limits>

#include "base/tool_runner.h"
#include "disks/disk_manager.h"
#include "platform/os.h"
#include "platform/os_disk_devices.h"
#include "platform/os_wmi.h"

namespace qv {
namespace {

const char* const kFirstDisk = "\\\\.\\PhysicalDrive0";
const char* const kPhysicalDrivePrefix = "\\\\.\\PhysicalDrive";
const char* const kOldSmartDriver = "\\\\.\\SMARTVSD";
// The vendor-data request names its devices with a doubled separator after the dot.
const char* const kVendorDisk = "\\\\.\\\\PhysicalDrive0";
const char* const kVendorScsi = "\\\\.\\\\Scsi0";
const char* const kVendorNamespace = "root\\WMI";
const char* const kVendorQuery = "SELECT VendorSpecific FROM MSStorageDriver_ATAPISmartData";

constexpr std::size_t kGeometryBytes = 24;
constexpr std::size_t kIdentifyRequestBytes = 32;
constexpr std::size_t kIdentifyAnswerBytes = 528;
constexpr std::size_t kIdentifyDataOffset = 16;
constexpr std::size_t kDeviceNumberBytes = 16;
constexpr std::size_t kPredictFailureBytes = 516;
constexpr std::size_t kVendorDataOffset = 4;
constexpr int kWmiInstanceLimit = 10;
constexpr std::uint8_t kIdentifyDevice = 0xEC;
constexpr std::uint8_t kSmartDriveCount = 4;

const char* const kMediaTypeTexts[] = {
    "格式是未知的。",
    "指示5.25，1.2 MB，512字节/扇区媒体。",
    "表示3.5英寸，1.44 MB，512字节/扇区媒体。",
    "表示3.5英寸，2.88 MB，512字节/扇区媒体。",
    "表示3.5英寸，20.8百万字节，512字节/扇区媒体。",
    "表示3.5英寸，720 KB，512字节/扇区媒体。",
    "指示5.25，360 KB，512字节/扇区媒体。",
    "指示5.25，320 KB，512字节/扇区媒体。",
    "指示5.25，320 KB，1024字节/扇区媒体。",
    "指示5.25，180 KB，512字节/扇区媒体。",
    "指示5.25，160 KB，512字节/扇区媒体。",
    "表示比软盘其他可移动媒体。",
    "表示固定硬盘媒体。",
    "表示3.5，120 MB媒体。",
    "表示3.5英寸，640 KB，512字节/扇区媒体。",
    "指示5.25，640 KB，512字节/扇区媒体。",
    "指示5.25，720 KB，512字节/扇区媒体。",
    "表示3.5英寸，1.2 MB，512字节/扇区媒体。",
    "表示3.5英寸，1.23 MB，1024字节/扇区媒体。",
    "指示5.25，1.23百万字节，1024字节/扇区媒体。",
    "表示3.5磁光（MO），128 MB，512字节/扇区媒体。",
    "表示3.5磁光（MO），230 MB，512字节/扇区媒体。",
    "表示8 KB，128，256字节/扇区媒体。",
    "200M软驱3.5 ，（HiFD）",
    "3.5，240MB软驱（HiFD）",
    "3.5，32MB软盘",
};
constexpr std::uint32_t kLastMediaType = 25;

os::DiskDevices* devices() {
    return os::os().disk_devices;
}

// A driver's answer, with what it did not return read as zero bytes (the buffer it was given
// starts zero-filled).
std::string padded(std::string answer, std::size_t size) {
    if (answer.size() < size) answer.resize(size, '\0');
    return answer;
}

std::uint8_t byte_at(const std::string& bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

std::uint16_t u16_at(const std::string& bytes, std::size_t i) {
    return static_cast<std::uint16_t>(byte_at(bytes, i) | (byte_at(bytes, i + 1) << 8));
}

std::uint32_t u32_at(const std::string& bytes, std::size_t i) {
    return static_cast<std::uint32_t>(u16_at(bytes, i)) |
           (static_cast<std::uint32_t>(u16_at(bytes, i + 2)) << 16);
}

std::uint64_t u64_at(const std::string& bytes, std::size_t i) {
    return static_cast<std::uint64_t>(u32_at(bytes, i)) |
           (static_cast<std::uint64_t>(u32_at(bytes, i + 4)) << 32);
}

std::int32_t as_int32(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

// The storage device number record of a volume "\\.\E:": false when it does not answer.
bool storage_device_number(const std::optional<std::string>& drive, std::uint32_t& device,
                           std::uint32_t& partition) {
    std::string name = drive ? *drive : os::os().program->run_folder().substr(0, 2);
    if (name.size() > 2) name.resize(2);
    if (devices() == nullptr || name.empty()) return false;
    std::unique_ptr<os::Device> volume = devices()->open("\\\\.\\" + name, os::DeviceOpen::Read);
    std::string answer;
    if (!volume ||
        !volume->control(os::kIoctlStorageGetDeviceNumber, {}, kDeviceNumberBytes, answer))
        return false;
    answer = padded(answer, kDeviceNumberBytes);
    device = u32_at(answer, 4);
    partition = u32_at(answer, 8);
    return true;
}

int as_number(std::uint32_t value) {
    return value > INT_MAX ? -1 : static_cast<int>(value);
}

}  // namespace

std::string media_type_text(std::uint32_t media_type) {
    return kMediaTypeTexts[media_type > kLastMediaType ? 0 : media_type];
}

DiskGeometryInfo parse_drive_geometry(const std::string& answer) {
    std::string bytes = padded(answer, kGeometryBytes);
    std::uint64_t cylinders = u64_at(bytes, 0);
    DiskGeometryInfo info;
    info.cylinders = as_int32(static_cast<std::uint32_t>(cylinders));
    info.media_type_text = media_type_text(u32_at(bytes, 8));
    info.tracks_per_cylinder = as_int32(u32_at(bytes, 12));
    info.sectors_per_track = as_int32(u32_at(bytes, 16));
    info.bytes_per_sector = as_int32(u32_at(bytes, 20));
    double size =
        static_cast<double>(cylinders) * u32_at(bytes, 12) * u32_at(bytes, 16) * u32_at(bytes, 20);
    // Beyond what 64 bits hold no disk exists; such an answer must not wrap into a small size.
    constexpr double kLargest = 9.2e18;
    info.size = size >= kLargest ? std::numeric_limits<std::int64_t>::max()
                                 : static_cast<std::int64_t>(size);
    return info;
}

std::string smart_identify_request(std::uint8_t drive_number) {
    std::string request(kIdentifyRequestBytes, '\0');
    request[0] = '\x00';  // buffer size 512, little-endian
    request[1] = '\x02';
    request[5] = 1;                                                    // sector count
    request[6] = 1;                                                    // sector number
    request[9] = static_cast<char>(0xA0 | ((drive_number & 1) << 4));  // drive and head
    request[10] = static_cast<char>(kIdentifyDevice);
    request[12] = static_cast<char>(drive_number);
    return request;
}

std::string identify_string_to_text(const std::string& field) {
    std::string text = field;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) std::swap(text[i], text[i + 1]);
    return trim_label_blanks(text.substr(0, text.find('\0')));
}

SmartIdentifyInfo parse_smart_identify(const std::string& answer) {
    std::string data = padded(answer, kIdentifyAnswerBytes).substr(kIdentifyDataOffset, 512);
    SmartIdentifyInfo info;
    info.cylinders = u16_at(data, 2 * 1);
    info.heads = u16_at(data, 2 * 3);
    info.sectors_per_track = u16_at(data, 2 * 6);
    info.serial = identify_string_to_text(data.substr(2 * 10, 20));
    info.firmware = identify_string_to_text(data.substr(2 * 23, 8));
    info.model = identify_string_to_text(data.substr(2 * 27, 40));
    return info;
}

int smart_vendor_word_of(const std::uint8_t* data, std::size_t size) {
    return size > 68 ? data[68] * 256 + data[67] : -1;
}

int smart_vendor_byte_of(const std::uint8_t* data, std::size_t size) {
    return size > 173 ? data[173] : -1;
}

DiskGeometryInfo DiskManager::get_drive_geometry() {
    if (devices() == nullptr) return {};
    // The request needs no data access, so the disk is opened for reading only.
    std::unique_ptr<os::Device> disk = devices()->open(kFirstDisk, os::DeviceOpen::Read);
    std::string answer;
    if (!disk || !disk->control(os::kIoctlDiskGetDriveGeometry, {}, kGeometryBytes, answer))
        return {};
    return parse_drive_geometry(answer);
}

std::int64_t DiskManager::get_geometry_size() {
    return get_drive_geometry().size;
}

std::unique_ptr<os::Device> DiskManager::open_smart_device(std::uint8_t drive_number) {
    if (devices() == nullptr) return nullptr;
    int platform = devices()->platform_id();
    if (platform == os::kPlatformWindows9x)
        return devices()->open(kOldSmartDriver, os::DeviceOpen::OldDriver);
    if (platform == os::kPlatformNt && drive_number < kSmartDriveCount)
        return devices()->open(kPhysicalDrivePrefix + std::to_string(drive_number),
                               os::DeviceOpen::ReadWrite);
    return nullptr;
}

SmartIdentifyInfo DiskManager::smart_identify() {
    std::unique_ptr<os::Device> disk = open_smart_device(0);
    std::string answer;
    if (!disk || !disk->control(os::kSmartRcvDriveData, smart_identify_request(0),
                                kIdentifyAnswerBytes, answer))
        return {};
    return parse_smart_identify(answer);
}

std::string DiskManager::get_smart_serial() {
    return smart_identify().serial;
}
std::string DiskManager::get_smart_serial_copy() {
    return smart_identify().serial;
}
std::string DiskManager::get_smart_model() {
    return smart_identify().model;
}
std::string DiskManager::get_smart_firmware() {
    return smart_identify().firmware;
}

int DiskManager::volume_disk_number(const std::optional<std::string>& drive) {
    std::uint32_t device = 0, partition = 0;
    return storage_device_number(drive, device, partition) ? as_number(device) : -1;
}

int DiskManager::volume_partition_number(const std::optional<std::string>& drive) {
    std::uint32_t device = 0, partition = 0;
    return storage_device_number(drive, device, partition) ? as_number(partition) : -1;
}

bool DiskManager::read_vendor_data(std::string& data) {
    if (devices() == nullptr) return false;
    std::unique_ptr<os::Device> disk = devices()->open(kVendorDisk, os::DeviceOpen::Read);
    if (!disk) disk = devices()->open(kVendorScsi, os::DeviceOpen::Read);
    std::string answer;
    if (!disk || !disk->control(os::kIoctlStoragePredictFailure, {}, kPredictFailureBytes, answer))
        return false;
    data = padded(answer, kPredictFailureBytes).substr(kVendorDataOffset);
    return true;
}

int DiskManager::smart_vendor_value(int (*value_of)(const std::uint8_t* data, std::size_t size)) {
    std::string data;
    if (read_vendor_data(data))
        return value_of(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    if (!wmi_connect(kVendorNamespace, kVendorQuery)) return -1;
    // Every instance answers for its own disk; the last one read stands.
    int value = 0;
    for (int i = 0; i < kWmiInstanceLimit && wmi_next(); ++i) {
        std::vector<std::uint8_t> bytes = query_->bytes("VendorSpecific");
        int v = value_of(bytes.data(), bytes.size());
        if (v >= 0) value = v;
        pump_messages();
    }
    wmi_close();
    return value;
}

int DiskManager::get_smart_vendor_word() {
    return smart_vendor_value(smart_vendor_word_of);
}
int DiskManager::get_smart_vendor_byte() {
    return smart_vendor_value(smart_vendor_byte_of);
}

}  // namespace qv
