// Geometry, IDENTIFY data, volume numbers and SMART vendor data, from recorded driver answers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "disks/disk_manager.h"
#include "fakes/fake_os.h"
#include "platform/os_disk_devices.h"

namespace qv {
namespace {

const char* const kDisk0 = "\\\\.\\PhysicalDrive0";
const char* const kVendorDisk = "\\\\.\\\\PhysicalDrive0";
const char* const kVendorScsi = "\\\\.\\\\Scsi0";
const char* const kVendorQuery = "SELECT VendorSpecific FROM MSStorageDriver_ATAPISmartData";

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

std::string geometry_answer(std::uint64_t cylinders, std::uint32_t media, std::uint32_t tracks,
                            std::uint32_t sectors, std::uint32_t bytes) {
    std::string a(24, '\0');
    put32(a, 0, static_cast<std::uint32_t>(cylinders));
    put32(a, 4, static_cast<std::uint32_t>(cylinders >> 32));
    put32(a, 8, media);
    put32(a, 12, tracks);
    put32(a, 16, sectors);
    put32(a, 20, bytes);
    return a;
}

// IDENTIFY strings as a drive sends them: two characters a word, the first in the high byte.
void put_identify_text(std::string& data, std::size_t word, std::size_t bytes,
                       const std::string& text) {
    std::string field = text + std::string(bytes - text.size(), ' ');
    for (std::size_t i = 0; i < bytes; i += 2) {
        data[2 * word + i] = field[i + 1];
        data[2 * word + i + 1] = field[i];
    }
}

std::string identify_answer() {
    std::string answer(528, '\0');
    std::string data(512, '\0');
    put16(data, 2 * 1, 16383);
    put16(data, 2 * 3, 16);
    put16(data, 2 * 6, 63);
    put_identify_text(data, 10, 20, "      5LR0ABCD");
    put_identify_text(data, 23, 8, "3.AAK");
    put_identify_text(data, 27, 40, "ST3400620AS");
    answer.replace(16, 512, data);
    return answer;
}

class DiskGeometryTest : public ::testing::Test {
protected:
    void SetUp() override { fake.program.folder = "D:\\Tools\\QV"; }
    fakes::FakeOs fake;
    DiskManager disk;
};

TEST_F(DiskGeometryTest, GeometryOfTheFirstDisk) {
    fake.disk_devices.add(kDisk0, os::kIoctlDiskGetDriveGeometry,
                          geometry_answer(1024, 12, 255, 63, 512));
    DiskGeometryInfo g = disk.get_drive_geometry();
    EXPECT_EQ(g.cylinders, 1024);
    EXPECT_EQ(g.media_type_text, "表示固定硬盘媒体。");
    EXPECT_EQ(g.tracks_per_cylinder, 255);
    EXPECT_EQ(g.sectors_per_track, 63);
    EXPECT_EQ(g.bytes_per_sector, 512);
    EXPECT_EQ(g.size, 1024LL * 255 * 63 * 512);
    EXPECT_EQ(disk.get_geometry_size(), 1024LL * 255 * 63 * 512);
    ASSERT_EQ(fake.disk_devices.controls.size(), 2u);  // every call asks again
    EXPECT_EQ(fake.disk_devices.controls[0].path, kDisk0);
    EXPECT_EQ(fake.disk_devices.controls[0].output_size, 24u);
    EXPECT_EQ(fake.disk_devices.controls[0].input, "");
    for (const auto& open : fake.disk_devices.opens) EXPECT_EQ(open.mode, os::DeviceOpen::Read);
    EXPECT_EQ(fake.disk_devices.open_devices, 0);

    // A cylinder count beyond 32 bits keeps its low bits in the field, its whole in the size.
    g = parse_drive_geometry(geometry_answer((1ull << 32) + 5, 12, 255, 63, 512));
    EXPECT_EQ(g.cylinders, 5);
    EXPECT_EQ(g.size, ((1LL << 32) + 5) * 255 * 63 * 512);
    g = parse_drive_geometry(geometry_answer(~0ull, 12, ~0u, ~0u, ~0u));
    EXPECT_EQ(g.size, INT64_MAX);

    struct Row {
        std::uint32_t media;
        const char* text;
    } rows[] = {{0, "格式是未知的。"},
                {1, "指示5.25，1.2 MB，512字节/扇区媒体。"},
                {11, "表示比软盘其他可移动媒体。"},
                {12, "表示固定硬盘媒体。"},
                {20, "表示3.5磁光（MO），128 MB，512字节/扇区媒体。"},
                {23, "200M软驱3.5 ，（HiFD）"},
                {25, "3.5，32MB软盘"},
                {26, "格式是未知的。"},
                {0xFFFFFFFFu, "格式是未知的。"}};
    for (const Row& r : rows) EXPECT_EQ(media_type_text(r.media), r.text) << r.media;
}

TEST_F(DiskGeometryTest, NoGeometryGivesTheEmptyRecord) {
    EXPECT_EQ(disk.get_drive_geometry().media_type_text, "");   // no such device
    fakes::FakeDevice& d0 = fake.disk_devices.devices[kDisk0];  // opens, answers nothing
    DiskGeometryInfo g = disk.get_drive_geometry();
    EXPECT_EQ(g.cylinders, 0);
    EXPECT_EQ(g.size, 0);
    EXPECT_EQ(g.media_type_text, "");
    d0.answers[os::kIoctlDiskGetDriveGeometry] = geometry_answer(1024, 12, 255, 63, 512);
    d0.openable = false;
    EXPECT_EQ(disk.get_geometry_size(), 0);
    EXPECT_EQ(fake.disk_devices.open_devices, 0);
}

TEST_F(DiskGeometryTest, IdentifyRequestAndItsFields) {
    fake.disk_devices.add(kDisk0, os::kSmartRcvDriveData, identify_answer());
    SmartIdentifyInfo id = disk.smart_identify();
    EXPECT_EQ(id.cylinders, 16383);
    EXPECT_EQ(id.heads, 16);
    EXPECT_EQ(id.sectors_per_track, 63);
    EXPECT_EQ(id.serial, "5LR0ABCD");
    EXPECT_EQ(id.firmware, "3.AAK");
    EXPECT_EQ(id.model, "ST3400620AS");
    EXPECT_EQ(disk.get_smart_serial(), "5LR0ABCD");
    EXPECT_EQ(disk.get_smart_serial_copy(), "5LR0ABCD");
    EXPECT_EQ(disk.get_smart_model(), "ST3400620AS");
    EXPECT_EQ(disk.get_smart_firmware(), "3.AAK");

    ASSERT_EQ(fake.disk_devices.controls.size(), 5u);  // nothing is cached
    const auto& request = fake.disk_devices.controls[0];
    EXPECT_EQ(request.code, 0x7C088u);
    EXPECT_EQ(request.output_size, 528u);
    std::string expected(32, '\0');
    expected[1] = 0x02;  // 512 bytes of answer
    expected[5] = 1;     // sector count
    expected[6] = 1;     // sector number
    expected[9] = static_cast<char>(0xA0);
    expected[10] = static_cast<char>(0xEC);
    EXPECT_EQ(request.input, expected);
    EXPECT_EQ(smart_identify_request(1)[9], static_cast<char>(0xB0));
    EXPECT_EQ(smart_identify_request(1)[12], 1);
    EXPECT_EQ(fake.disk_devices.opens[0].path, kDisk0);
    EXPECT_EQ(fake.disk_devices.opens[0].mode, os::DeviceOpen::ReadWrite);
    EXPECT_EQ(fake.disk_devices.open_devices, 0);

    struct Row {
        std::string field;
        const char* text;
    } rows[] = {
        {"TS4300    ", "ST3400"},
        {"TS4", "ST4"},  // an odd last byte stays where it is
        {std::string("TS\0\0BA", 6), "ST"},
        {"  ", ""},
        // A full-width blank: its two bytes exchange onto themselves.
        {std::string("\xA1\xA1") + "BA", "AB"},
        {"", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(identify_string_to_text(r.field), r.text) << r.field;
}

TEST_F(DiskGeometryTest, IdentifyDeviceByPlatform) {
    fake.disk_devices.add("\\\\.\\SMARTVSD", os::kSmartRcvDriveData, identify_answer());
    struct Row {
        int platform;
        const char* path;  // nullptr: nothing is opened
        os::DeviceOpen mode;
        const char* model;
    } rows[] = {
        {os::kPlatformWindows9x, "\\\\.\\SMARTVSD", os::DeviceOpen::OldDriver, "ST3400620AS"},
        {os::kPlatformNt, kDisk0, os::DeviceOpen::ReadWrite, ""},
        {os::kPlatformWin32s, nullptr, os::DeviceOpen::Read, ""}};
    for (const Row& r : rows) {
        fake.disk_devices.platform = r.platform;
        fake.disk_devices.opens.clear();
        EXPECT_EQ(disk.get_smart_model(), r.model) << r.platform;
        if (r.path == nullptr) {
            EXPECT_TRUE(fake.disk_devices.opens.empty());
            continue;
        }
        ASSERT_EQ(fake.disk_devices.opens.size(), 1u) << r.platform;
        EXPECT_EQ(fake.disk_devices.opens[0].path, r.path);
        EXPECT_EQ(fake.disk_devices.opens[0].mode, r.mode);
    }
    SmartIdentifyInfo none = disk.smart_identify();
    EXPECT_EQ(none.cylinders, 0);
    EXPECT_EQ(none.serial, "");
}

TEST_F(DiskGeometryTest, DiskAndPartitionNumbersOfAVolume) {
    std::string second_disk(12, '\0');
    put32(second_disk, 0, 7);
    put32(second_disk, 4, 1);
    put32(second_disk, 8, 1);
    fake.disk_devices.add("\\\\.\\C:", os::kIoctlStorageGetDeviceNumber, second_disk);
    std::string cdrom(12, '\0');
    put32(cdrom, 4, 0);
    put32(cdrom, 8, 0xFFFFFFFFu);
    fake.disk_devices.add("\\\\.\\D:", os::kIoctlStorageGetDeviceNumber, cdrom);

    struct Row {
        std::optional<std::string> drive;
        int disk_number;
        int partition;
    } rows[] = {{"C:\\", 1, 1}, {"C:", 1, 1}, {std::nullopt, 0, -1}, {"Q:", -1, -1}, {"", -1, -1}};
    for (const Row& r : rows) {
        EXPECT_EQ(disk.volume_disk_number(r.drive), r.disk_number) << r.drive.value_or("none");
        EXPECT_EQ(disk.volume_partition_number(r.drive), r.partition) << r.drive.value_or("none");
    }
    EXPECT_EQ(fake.disk_devices.opens[0].path, "\\\\.\\C:");
    EXPECT_EQ(fake.disk_devices.opens[4].path, "\\\\.\\D:");  // the program's own drive
    EXPECT_EQ(fake.disk_devices.controls[0].output_size, 16u);
    for (const auto& open : fake.disk_devices.opens) EXPECT_EQ(open.mode, os::DeviceOpen::Read);
}

TEST_F(DiskGeometryTest, VendorDataFromTheDiskOrElseTheLastWmiInstance) {
    std::string answer(516, '\0');
    answer[4 + 67] = '\x34';
    answer[4 + 68] = '\x12';
    answer[4 + 173] = '\x2A';
    fake.disk_devices.add(kVendorScsi, os::kIoctlStoragePredictFailure, answer);
    EXPECT_EQ(disk.get_smart_vendor_word(), 0x1234);
    EXPECT_EQ(disk.get_smart_vendor_byte(), 42);
    ASSERT_EQ(fake.disk_devices.opens.size(), 4u);
    EXPECT_EQ(fake.disk_devices.opens[0].path, kVendorDisk);
    EXPECT_EQ(fake.disk_devices.opens[1].path, kVendorScsi);
    EXPECT_EQ(fake.disk_devices.opens[1].mode, os::DeviceOpen::Read);
    EXPECT_EQ(fake.disk_devices.controls[0].output_size, 516u);
    EXPECT_TRUE(fake.wmi.connections.empty());

    fake.disk_devices.add(kVendorDisk, os::kIoctlStoragePredictFailure, std::string(516, '\0'));
    EXPECT_EQ(disk.get_smart_vendor_word(), 0);  // the first device answers for itself

    // Neither device answers: WMI's copy, where each instance overwrites the one before.
    fake.disk_devices.devices.clear();
    fake.wmi.namespaces.insert("root\\WMI");
    std::string first(512, '\0'), last(512, '\0');
    first[67] = 1;
    last[67] = 2;
    last[68] = 1;
    last[173] = 9;
    fake.wmi.results[kVendorQuery] = {{{"VendorSpecific", first}},
                                      {{"VendorSpecific", last}},
                                      {{"VendorSpecific", std::string(60, '\x7F')}}};
    EXPECT_EQ(disk.get_smart_vendor_word(), 0x0102);
    EXPECT_EQ(disk.get_smart_vendor_byte(), 9);
    EXPECT_EQ(fake.wmi.connections.back().name_space, "root\\WMI");
    EXPECT_EQ(fake.wmi.open_queries, 0);
    fake.wmi.results[kVendorQuery].clear();
    EXPECT_EQ(disk.get_smart_vendor_word(), 0);
    fake.wmi.namespaces.erase("root\\WMI");
    EXPECT_EQ(disk.get_smart_vendor_word(), -1);
    EXPECT_EQ(disk.get_smart_vendor_byte(), -1);
}

}  // namespace
}  // namespace qv
