// The disk class's read-only queries against the real Win32 calls on the test prefix's drives
// (scripts/wine-prefix.sh: C: D: G: X: fixed, E: removable, F: optical). Nothing here writes to a
// device, defines a device name, changes a mount point or formats: Wine runs as root on the build
// machine, where such a call could reach a real disk. For the same reason no test here opens a
// physical disk at all, not even for reading: geometry, IDENTIFY and SMART are tested natively.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "disks/disk_manager.h"
#include "encoding.h"
#include "platform/os.h"
#include "platform/os_disk_devices.h"
#include "platform/os_wmi.h"
#include "win32_os.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

class WineDiskManager : public ::testing::Test {
protected:
    void SetUp() override { win32::install_win32_os(); }
    DiskManager disk;
};

TEST_F(WineDiskManager, DiskAndPartitionNumbersOfTheVolumes) {
    struct Row {
        const char* drive;
        int disk_number;
        int partition;
    } rows[] = {{"C:", 0, 1}, {"D:\\", 0, 2}, {"G:", 0, 3}, {"Q:", -1, -1}};
    for (const Row& r : rows) {
        EXPECT_EQ(disk.volume_disk_number(r.drive), r.disk_number) << r.drive;
        EXPECT_EQ(disk.volume_partition_number(r.drive), r.partition) << r.drive;
    }
    std::string own = os::os().program->run_folder().substr(0, 2);
    EXPECT_EQ(disk.volume_partition_number(), disk.volume_partition_number(own)) << own;
}

TEST_F(WineDiskManager, DosDevicesAndDriveLetters) {
    EXPECT_TRUE(disk.query_dos_device("C"));
    EXPECT_TRUE(disk.query_dos_device("D:\\"));
    EXPECT_FALSE(disk.query_dos_device("Q:"));
    EXPECT_EQ(disk.get_dos_device_path("C:"), "\\Device\\HarddiskVolume1");
    EXPECT_EQ(disk.get_dos_device_path("Q:"), "");
    Lines letters{"old"};
    EXPECT_EQ(disk.list_drive_letters(letters), 6);
    EXPECT_EQ(letters, (Lines{"C:", "D:", "E:", "F:", "G:", "X:"}));
    EXPECT_EQ(disk.is_net_drive("C:"), 0);
}

TEST_F(WineDiskManager, VolumeNamesAndTheirPaths) {
    std::string c = disk.get_volume_guid_path("C:");
    std::string d = disk.get_volume_guid_path("D:\\");
    EXPECT_EQ(c.rfind("\\\\?\\Volume{", 0), 0u) << c;
    EXPECT_NE(c, d);
    EXPECT_EQ(disk.get_volume_path_names(c), "C:\\");
    EXPECT_EQ(disk.get_volume_guid_path("Q:"), "");

    Lines names{"kept"};
    int count = disk.list_volume_guid_paths(names);
    EXPECT_EQ(count, static_cast<int>(names.size()));
    EXPECT_EQ(names.front(), "kept");
    Lines roots;
    for (std::size_t i = 1; i < names.size(); ++i)
        roots.push_back(disk.get_volume_path_names(names[i]));
    EXPECT_EQ(roots, (Lines{"C:\\", "D:\\", "E:\\", "F:\\", "G:\\", "X:\\"}));

    // Wine keeps no mount points inside volumes: the list stays as it was.
    Lines points{"kept"};
    EXPECT_EQ(disk.list_mount_points("C:", points), 1);
    EXPECT_EQ(points, Lines{"kept"});
    EXPECT_EQ(disk.get_volume_path_name("D:\\Backup\\win7.GHO"), "D:\\");
}

TEST_F(WineDiskManager, VolumeOfAFileAndTreeSearch) {
    std::string label, file_system;
    ASSERT_TRUE(disk.get_volume_info_by_handle("D:\\small.gho", label, file_system));
    EXPECT_EQ(label, "数据");
    EXPECT_EQ(file_system, "NTFS");
    EXPECT_FALSE(disk.get_volume_info_by_handle("D:\\missing.gho", label, file_system));

    std::string found;
    ASSERT_TRUE(disk.search_tree_for_file("D:\\", "deep.gho", found));
    EXPECT_EQ(found, "D:\\a\\b\\c\\deep.gho");
    EXPECT_FALSE(disk.search_tree_for_file("D:\\", "nothing-by-this-name.gho", found));
}

// Arrays of integers come out element by element (the SMART vendor data is a byte array; Wine has
// none, but the enclosure's type list is an array of the same kind).
TEST(WineWmiArrays, ElementsByTheirLowestByte) {
    std::unique_ptr<os::WmiQuery> query =
        win32::win32_wmi()->connect("root\\cimv2", "SELECT * FROM Win32_SystemEnclosure", false);
    ASSERT_TRUE(query);
    ASSERT_TRUE(query->next());
    EXPECT_EQ(query->bytes("ChassisTypes"), std::vector<std::uint8_t>{2});
    EXPECT_TRUE(query->bytes("Caption").empty());  // a text, not an array
    EXPECT_TRUE(query->bytes("NoSuchProperty").empty());
}

// The device layer itself, on a plain file of the prefix's temporary folder rather than a disk.
TEST(WineDiskDevices, TransfersAtTheirPositionAndNoWritableOpenInATestBuild) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring path = std::wstring(temp) + L"qv-device-probe.bin";
    std::string bytes(1024, 'a');
    bytes.replace(512, 512, std::string(512, 'b'));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), 1024, &written, nullptr);
    CloseHandle(file);

    os::DiskDevices* devices = win32::win32_disk_devices();
    std::string narrow_path = win32::narrow(path);
    {
        std::unique_ptr<os::Device> device = devices->open(narrow_path, os::DeviceOpen::Read);
        ASSERT_TRUE(device);
        std::string out;
        EXPECT_TRUE(device->read_at(512, 512, out));
        EXPECT_EQ(out, std::string(512, 'b'));
        EXPECT_FALSE(device->read_at(1000, 512, out));  // past the end: not a whole block
        EXPECT_FALSE(device->control(0x0007C084u, std::string(32, '\0'), 512, out));
        EXPECT_FALSE(device->control(os::kIoctlDiskGetDriveGeometry, {}, 24, out));
    }
#ifdef QV_TEST_HOOKS
    for (os::DeviceOpen mode :
         {os::DeviceOpen::Write, os::DeviceOpen::ReadWrite, os::DeviceOpen::OldDriver})
        EXPECT_FALSE(devices->open(narrow_path, mode)) << static_cast<int>(mode);
    // Disks and their controllers are never opened by a test build, not even for reading.
    for (const char* disk_device :
         {"\\\\.\\PhysicalDrive0", "\\\\.\\physicaldrive1", "\\\\.\\Scsi0:", "\\\\.\\SMARTVSD"})
        EXPECT_FALSE(devices->open(disk_device, os::DeviceOpen::Read)) << disk_device;
#endif
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

}  // namespace
}  // namespace qv
