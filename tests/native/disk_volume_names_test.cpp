// The disk class's DOS device names, raw sectors, write probe, drive letters, volume names and
// mount points, against the recording fakes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disks/disk_manager.h"
#include "fakes/fake_os.h"
#include "platform/os_disk_devices.h"
#include "platform/os_format.h"
#include "pump_hook_runtime.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

const char* const kDisk0 = "\\\\.\\PhysicalDrive0";
const char* const kVolumeC = "\\\\?\\Volume{11111111-0000-0000-0000-000000000001}\\";
const char* const kVolumeD = "\\\\?\\Volume{11111111-0000-0000-0000-000000000002}\\";

class DiskVolumeNamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.program.folder = "D:\\Tools\\QV";
        os::os().ui = &runtime;
    }
    fakes::FakeOs fake;
    testing_support::PumpHookRuntime runtime;
    DiskManager disk;
};

TEST_F(DiskVolumeNamesTest, DriveForms) {
    struct Row {
        const char* given;
        const char* colon;
        const char* root;
        int index;
    } rows[] = {
        {"E:\\", "E:", "E:\\", 4}, {"E:", "E:", "E:\\", 4},         {"E", "E:", "E:\\", 4},
        {"e:", "e:", "e:\\", 4},   {"Z:\\x", "Z:", "Z:\\x:\\", 25}, {"", "", "", -1},
        {"1:", "1:", "1:\\", -1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(drive_colon_form(r.given), r.colon) << r.given;
        EXPECT_EQ(drive_root_form(r.given), r.root) << r.given;
        EXPECT_EQ(drive_letter_index(r.given), r.index) << r.given;
    }
}

TEST_F(DiskVolumeNamesTest, DosDeviceDefinedOnlyOnAFreeLetterWithAnExistingTarget) {
    fake.files.add_folder("D:\\Images");
    fake.volume_names.dos_devices["F:"] = {"\\Device\\HarddiskVolume3"};
    EXPECT_TRUE(disk.query_dos_device("F:\\"));
    EXPECT_EQ(fake.volume_names.buffers["query_dos_device"], 256u);
    EXPECT_FALSE(disk.query_dos_device("M"));

    EXPECT_FALSE(disk.add_dos_device("F", "D:\\Images"));  // already defined
    EXPECT_FALSE(disk.add_dos_device("M:", "D:\\Missing"));
    EXPECT_TRUE(fake.volume_names.definitions.empty());
    EXPECT_EQ(fake.volume_names.dos_devices["F:"], Lines{"\\Device\\HarddiskVolume3"});

    EXPECT_TRUE(disk.add_dos_device("M:\\", "D:\\Images"));
    EXPECT_TRUE(disk.query_dos_device("M"));
    EXPECT_EQ(disk.get_dos_device_path("M"), "D:\\Images");
    EXPECT_EQ(fake.volume_names.buffers["query_dos_device"], 260u);
    EXPECT_EQ(disk.get_dos_device_path("Q:"), "");
    EXPECT_TRUE(disk.remove_dos_device("M:"));
    EXPECT_FALSE(disk.query_dos_device("M:"));
    EXPECT_FALSE(disk.remove_dos_device(""));
    ASSERT_EQ(fake.volume_names.definitions.size(), 2u);
    EXPECT_EQ(fake.volume_names.definitions[0].flags, 0u);
    EXPECT_EQ(fake.volume_names.definitions[0].name, "M:");
    EXPECT_EQ(fake.volume_names.definitions[0].target, "D:\\Images");
    EXPECT_EQ(fake.volume_names.definitions[1].flags, 2u);
    EXPECT_EQ(fake.volume_names.definitions[1].name, "M:");
    EXPECT_EQ(fake.volume_names.definitions[1].target, "");

    // A target too long for the query's 256 bytes still fits the device path's 260.
    fake.volume_names.dos_devices["N:"] = {std::string(257, 'a')};
    EXPECT_FALSE(disk.query_dos_device("N:"));
    EXPECT_EQ(disk.get_dos_device_path("N:").size(), 257u);
}

TEST_F(DiskVolumeNamesTest, SectorsOfTheFirstDiskWithinItsFirstTwoGibibytes) {
    fakes::FakeDevice& d0 = fake.disk_devices.devices[kDisk0];
    d0.size = 8ull << 30;
    std::string mbr(512, '\0');
    mbr[510] = '\x55';
    mbr[511] = '\xAA';
    d0.blocks[0] = mbr;
    EXPECT_EQ(disk.read_disk0_sector(0), mbr);

    struct Row {
        std::int64_t sector;
        std::int64_t offset;  // -1: refused before the disk is opened
    } rows[] = {{1, 512}, {4194303, 2147483136}, {4194304, -1}, {8388608, -1},
                {-1, -1}, {1LL << 40, -1}};
    for (const Row& r : rows) EXPECT_EQ(disk0_sector_offset(r.sector), r.offset) << r.sector;

    std::string data(600, 'x');
    data.replace(0, 3, "abc");
    EXPECT_TRUE(disk.write_disk0_sector(4194303, data));
    EXPECT_EQ(d0.blocks[2147483136], data.substr(0, 512));
    EXPECT_EQ(disk.read_disk0_sector(4194303), data.substr(0, 512));

    for (std::int64_t sector : {4194304LL, 8388608LL, -1LL}) {
        EXPECT_FALSE(disk.write_disk0_sector(sector, data)) << sector;
        EXPECT_EQ(disk.read_disk0_sector(sector), "") << sector;
    }
    EXPECT_FALSE(disk.write_disk0_sector(2, std::string(511, 'y')));  // short data

    // Only the accepted calls reached the disk, each opened for what it did and closed again.
    ASSERT_EQ(fake.disk_devices.writes.size(), 1u);
    EXPECT_EQ(fake.disk_devices.writes[0].offset, 2147483136u);
    EXPECT_EQ(fake.disk_devices.writes[0].bytes.size(), 512u);
    ASSERT_EQ(fake.disk_devices.opens.size(), 3u);
    EXPECT_EQ(fake.disk_devices.opens[0].path, kDisk0);
    EXPECT_EQ(fake.disk_devices.opens[0].mode, os::DeviceOpen::Read);
    EXPECT_EQ(fake.disk_devices.opens[1].mode, os::DeviceOpen::Write);
    EXPECT_EQ(fake.disk_devices.opens[2].mode, os::DeviceOpen::Read);
    EXPECT_EQ(fake.disk_devices.open_devices, 0);
    EXPECT_EQ(d0.blocks.count(0), 1u);
    EXPECT_EQ(d0.blocks[0], mbr);

    // A disk that cannot be opened or read gives nothing.
    d0.size = 256;
    EXPECT_EQ(disk.read_disk0_sector(0), "");
    d0.openable = false;
    EXPECT_EQ(disk.read_disk0_sector(0), "");
    EXPECT_FALSE(disk.write_disk0_sector(0, mbr));
}

TEST_F(DiskVolumeNamesTest, WriteProbeSpeedAndNoProbeLeftBehind) {
    struct Row {
        std::optional<std::string> drive;
        int megabytes;
        std::uint32_t elapsed_ms;
        const char* probe;
        int speed;
    } rows[] = {
        {"E:\\", 4, 250, "E:\\@test", 16},
        {"E:", 1, 3000, "E:\\@test", 1},  // slower than 1 MB/s still counts as writable
        {"G", 2, 0, "G:\\@test", 2000},   // within one tick: counted as one millisecond
        {std::nullopt, 3, 1500, "D:\\@test", 2},
    };
    for (const Row& r : rows) {
        runtime.on_pump = [&] { fake.clock.ticks += r.elapsed_ms; };
        fake.files.writes.clear();
        EXPECT_EQ(disk.is_drive_writable(r.drive, r.megabytes), r.speed) << r.probe;
        ASSERT_EQ(fake.files.writes, Lines{r.probe});
        EXPECT_FALSE(fake.files.has(r.probe)) << r.probe;
    }
    runtime.on_pump = [&] { fake.clock.ticks += 250; };
    fake.files.add_file("E:\\@test", "left by an earlier run");
    EXPECT_EQ(disk.is_drive_writable("E:", 1), 4);
    EXPECT_FALSE(fake.files.has("E:\\@test"));

    fake.files.writes.clear();
    EXPECT_EQ(disk.is_drive_writable("E:", 0), 0);
    EXPECT_EQ(disk.is_drive_writable("E:", -5), 0);
    EXPECT_TRUE(fake.files.writes.empty());
    fake.files.fail_writes(true);
    EXPECT_EQ(disk.is_drive_writable("E:", 1), 0);
    EXPECT_FALSE(fake.files.has("E:\\@test"));

    EXPECT_EQ(write_speed_mb_per_s(100, 3000), 33);
    EXPECT_EQ(write_speed_mb_per_s(2, 1999), 1);
}

TEST_F(DiskVolumeNamesTest, DriveLettersInLetterOrder) {
    fake.volume_names.drive_mask = (1u << 2) | (1u << 3) | (1u << 23) | (1u << 30);
    Lines letters{"old"};
    EXPECT_EQ(disk.list_drive_letters(letters), 3);
    EXPECT_EQ(letters, (Lines{"C:", "D:", "X:"}));
    EXPECT_EQ(runtime.pumps, 3);
    fake.volume_names.drive_mask = 0;
    EXPECT_EQ(disk.list_drive_letters(letters), 0);
    EXPECT_TRUE(letters.empty());
}

TEST_F(DiskVolumeNamesTest, VolumeNamesAndMountPoints) {
    fake.volume_names.add_volume(kVolumeC, {"C:\\"});
    fake.volume_names.add_volume(kVolumeD, {"D:\\", "C:\\mnt\\data\\"});
    EXPECT_EQ(disk.get_volume_guid_path("C"), kVolumeC);
    EXPECT_EQ(disk.get_volume_guid_path(), kVolumeD);  // the program's drive
    EXPECT_EQ(disk.get_volume_guid_path("Q:"), "");
    EXPECT_EQ(fake.volume_names.buffers["volume_name_of"], 51u);
    EXPECT_EQ(disk.get_volume_path_names(kVolumeD), "D:\\");
    EXPECT_EQ(disk.get_volume_path_name("C:\\mnt\\data\\x.wim"), "C:\\mnt\\data\\");
    EXPECT_EQ(disk.get_volume_path_name("C:\\Windows"), "C:\\");
    EXPECT_EQ(fake.volume_names.buffers["volume_path_names"], 260u);
    EXPECT_EQ(fake.volume_names.buffers["volume_path_of"], 260u);

    Lines names{"kept"};
    EXPECT_EQ(disk.list_volume_guid_paths(names), 3);
    EXPECT_EQ(names, (Lines{"kept", kVolumeC, kVolumeD}));
    Lines points;
    EXPECT_EQ(disk.list_mount_points("D:", points), 2);
    EXPECT_EQ(points, (Lines{"D:\\", "C:\\mnt\\data\\"}));
    Lines untouched{"x"};
    EXPECT_EQ(disk.list_mount_points("Q:", untouched), 1);
    EXPECT_EQ(untouched, Lines{"x"});
    Lines empty;
    EXPECT_EQ(disk.list_mount_points("Q:", empty), 0);
    EXPECT_EQ(fake.volume_names.open_searches, 0);
    EXPECT_EQ(fake.volume_names.buffers["find_next_volume"], 51u);
    EXPECT_EQ(fake.volume_names.buffers["find_next_mount_point"], 260u);

    EXPECT_TRUE(disk.set_mount_point("F:\\", "D:"));
    EXPECT_FALSE(disk.set_mount_point("G:\\", "Q:"));  // no volume behind the drive: nothing asked
    EXPECT_TRUE(disk.delete_mount_point("F:"));
    EXPECT_FALSE(disk.delete_mount_point("F:\\"));
    EXPECT_EQ(fake.volume_names.mount_point_changes,
              (Lines{std::string("set F:\\ ") + kVolumeD, "delete F:\\", "delete F:\\"}));

    fake.volume_names.volumes.clear();
    names = {"kept"};
    EXPECT_EQ(disk.list_volume_guid_paths(names), 1);
    std::string name = "unchanged";
    EXPECT_EQ(disk.find_first_volume(name), os::kNoVolumeSearch);
    EXPECT_FALSE(disk.find_next_volume(os::kNoVolumeSearch, name));
    EXPECT_FALSE(disk.find_volume_close(os::kNoVolumeSearch));
    EXPECT_FALSE(disk.find_mount_point_close(os::kNoVolumeSearch));
    EXPECT_EQ(name, "unchanged");
}

TEST_F(DiskVolumeNamesTest, NetworkDrivesFormatDialogVolumeOfAFileAndTreeSearch) {
    fake.volume_names.net_states[13] = 1;
    fake.volume_names.net_states[3] = 2;
    EXPECT_EQ(disk.is_net_drive("N:\\"), 1);
    EXPECT_EQ(disk.is_net_drive("n"), 1);
    EXPECT_EQ(disk.is_net_drive(), 2);  // the program's drive D:
    EXPECT_EQ(disk.is_net_drive("C:"), 0);
    EXPECT_EQ(disk.is_net_drive(""), 0);

    // The dialog's result is true only when the user cancelled it.
    struct Row {
        std::uint32_t result;
        bool expected;
    } rows[] = {{os::kFormatDialogCancelled, true},
                {0, false},
                {os::kFormatDialogError, false},
                {os::kFormatDialogNoFormat, false}};
    for (const Row& r : rows) {
        fake.formatter.dialog_result = r.result;
        EXPECT_EQ(disk.show_format_dialog("F:", 1), r.expected) << r.result;
    }
    ASSERT_FALSE(fake.formatter.dialogs.empty());
    EXPECT_EQ(fake.formatter.dialogs[0].drive_index, 5);
    EXPECT_EQ(fake.formatter.dialogs[0].format_id, 0xFFFFu);
    EXPECT_EQ(fake.formatter.dialogs[0].options, 1u);
    EXPECT_FALSE(disk.show_format_dialog("", 0));
    EXPECT_TRUE(fake.formatter.calls.empty());

    fake.volume_names.file_volumes["D:\\IMAGES\\A.WIM"] = {"数据", "NTFS"};
    std::string label = "x", file_system = "y";
    EXPECT_FALSE(disk.get_volume_info_by_handle("D:\\none", label, file_system));
    EXPECT_EQ(label, "x");
    EXPECT_TRUE(disk.get_volume_info_by_handle("D:\\Images\\a.wim", label, file_system));
    EXPECT_EQ(label, "数据");
    EXPECT_EQ(file_system, "NTFS");

    fake.volume_names.tree_files["D:\\|BOOTMGR"] = " D:\\boot\\bootmgr　";
    fake.volume_names.tree_files["D:\\|LONG"] = "D:\\" + std::string(253, 'a');
    std::string found = "before";
    EXPECT_TRUE(disk.search_tree_for_file("D:\\", "bootmgr", found));
    EXPECT_EQ(found, "D:\\boot\\bootmgr");
    EXPECT_EQ(fake.volume_names.buffers["search_tree"], 256u);
    found = "before";
    EXPECT_FALSE(disk.search_tree_for_file("D:\\", "long", found));  // 257 bytes with its end
    EXPECT_FALSE(disk.search_tree_for_file("D:\\", "none", found));
    EXPECT_EQ(found, "before");
}

}  // namespace
}  // namespace qv
