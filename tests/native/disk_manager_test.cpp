#include <gtest/gtest.h>

#include <type_traits>

#include "disks/disk_manager.h"
#include "fakes/fake_os.h"

namespace qv {
namespace {

using os::RegistryRoot;

static_assert(!std::is_copy_constructible_v<DiskManager>,
              "a copy would release the connection twice");

class DiskManagerTest : public ::testing::Test {
protected:
    void SetUp() override { fake.program.folder = "D:\\Tools\\QV"; }
    fakes::FakeOs fake;
    DiskManager disk;
};

TEST_F(DiskManagerTest, ShowAllDrivesDeletesTheHidingValueOnce) {
    fake.registry.set_dword(RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", 8);
    fake.registry.set_dword(RegistryRoot::CurrentUser, kExplorerPolicyKey, "Other", 1);
    EXPECT_TRUE(disk.show_all_drives());
    std::uint32_t value = 0;
    EXPECT_FALSE(
        fake.registry.read_dword(RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", value));
    EXPECT_TRUE(
        fake.registry.read_dword(RegistryRoot::CurrentUser, kExplorerPolicyKey, "Other", value));
    // Start-up asks twice; the second finds nothing to delete and changes nothing.
    EXPECT_FALSE(disk.show_all_drives());
    EXPECT_TRUE(fake.registry.has_key(RegistryRoot::CurrentUser, kExplorerPolicyKey));
}

TEST_F(DiskManagerTest, ShowAllDrivesFallsBackToAKeyNamedNoDrives) {
    std::string sub = std::string(kExplorerPolicyKey) + "\\NoDrives";
    fake.registry.add_key(RegistryRoot::CurrentUser, sub);
    EXPECT_TRUE(disk.show_all_drives());
    EXPECT_FALSE(fake.registry.has_key(RegistryRoot::CurrentUser, sub));
    EXPECT_FALSE(disk.show_all_drives());
}

TEST_F(DiskManagerTest, HideDriveWritesOneBitAndRestartsOnlyExplorer) {
    struct Row {
        const char* drive;
        std::uint32_t bit;
    } rows[] = {{"C:", 4}, {"D", 8}, {"L:", 2048}, {"M:", 0}, {"B:", 0}, {"C:\\", 0}, {"c:", 0}};
    for (const Row& r : rows) EXPECT_EQ(drive_hide_bit(r.drive), r.bit) << r.drive;

    fake.notices.answers = {os::kIdNo, os::kIdYes};
    std::uint32_t value = 1;
    EXPECT_TRUE(disk.hide_drive("M:"));
    EXPECT_TRUE(
        fake.registry.read_dword(RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(fake.processes.launches.empty());
    EXPECT_TRUE(disk.hide_drive("E"));
    fake.registry.read_dword(RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", value);
    EXPECT_EQ(value, 16u);
    EXPECT_EQ(fake.processes.commands(),
              std::vector<std::string>{"cmd.exe /c taskkill /f /im explorer.exe & @explorer.exe"});
    EXPECT_EQ(fake.processes.launches[0].show, os::kShowHidden);
    EXPECT_FALSE(fake.processes.launches[0].wait);
    ASSERT_EQ(fake.notices.boxes.size(), 2u);
    EXPECT_EQ(fake.notices.boxes[0].text, "如果要隐藏需要刷新explorer，是否刷新？");
    EXPECT_EQ(fake.notices.boxes[0].caption, "提示");
    EXPECT_EQ(fake.notices.boxes[0].style, 4);
}

TEST_F(DiskManagerTest, LabelsByRootWithTheProgramDriveAsDefault) {
    fake.drives.add("C:\\", os::kDriveFixed).volume.label = "系统";
    fake.drives.add("D:\\", os::kDriveFixed).volume.label = "";
    fake.drives.add("E:\\", os::kDriveCdrom).volume_readable = false;
    EXPECT_EQ(disk.get_volume_label("C:"), "系统");
    EXPECT_EQ(disk.get_volume_label("C:\\"), "系统");
    EXPECT_EQ(disk.get_volume_label("C"), "");  // "C\" names no volume
    EXPECT_EQ(disk.get_volume_label("D:"), "");
    EXPECT_EQ(disk.get_volume_label("E:"), "");  // no medium
    EXPECT_EQ(disk.get_volume_label("Q:"), "");
    fake.drives.drives[1].volume.label = "程序盘";
    EXPECT_EQ(disk.get_volume_label(), "程序盘");  // D:\Tools\QV

    struct Row {
        std::string typed, stored;
    } rows[] = {
        {"  数据 ", "数据"},
        {"　新 卷　", "新 卷"},  // full-width blanks at both ends, the inner blank kept
        {"   ", ""},
        {"　", ""},
        {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},  // a character ending in A1 before a full-width blank
        {"\xA1\xA1\xB0\xA1", "\xB0\xA1"},
        {"Data", "Data"},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(disk.set_volume_label("C:", r.typed));
        EXPECT_EQ(fake.drives.drives[0].volume.label, r.stored) << r.typed;
    }
    EXPECT_FALSE(disk.set_volume_label("E:", "x"));
}

TEST_F(DiskManagerTest, ShareDriveHandsTheRootOverAsAFullDiskShareWithoutLimit) {
    struct Row {
        std::optional<std::string> drive;
        const char* path;
    } rows[] = {{std::nullopt, "D:\\"},  // D:\Tools\QV
                {"E:", "E:\\"},
                {"E:\\", "E:\\"},
                {"E", "E\\"}};  // the "\" rule alone: no colon is made up
    int n = 0;
    for (const Row& r : rows) {
        std::string name = "资料" + std::to_string(n++);
        EXPECT_TRUE(disk.share_drive(r.drive, name, "共享的数据盘")) << r.path;
        ASSERT_EQ(fake.shares.added.size(), static_cast<std::size_t>(n));
        const os::ShareRecord& share = fake.shares.added.back();
        EXPECT_EQ(share.name, name);
        EXPECT_EQ(share.type, 0u);
        EXPECT_EQ(share.remark, "共享的数据盘");
        EXPECT_EQ(share.permissions, 127u);
        EXPECT_EQ(share.max_uses, 0xFFFFFFFFu);
        EXPECT_EQ(share.path, r.path);
    }
    EXPECT_FALSE(disk.share_drive("E:", "资料0", ""));  // the name is taken

    EXPECT_TRUE(disk.unshare_drive("资料0"));
    EXPECT_FALSE(disk.unshare_drive("资料0"));  // gone already
    EXPECT_EQ(fake.shares.deleted, (std::vector<std::string>{"资料0", "资料0"}));
    fake.shares.refuse = true;
    EXPECT_FALSE(disk.share_drive("E:", "备份", ""));
    EXPECT_FALSE(disk.unshare_drive("资料1"));
}

TEST_F(DiskManagerTest, VolumeFiguresFromClusterCounts) {
    fakes::FakeDrive& c = fake.drives.add("C:\\", os::kDriveFixed);
    c.clusters = {8, 512, 1, 1000};  // 4096-byte clusters, 99.9 % in use
    c.volume.serial = 0x0A0B0C0D;
    fake.drives.add("E:\\", os::kDriveCdrom).clusters_readable = false;
    fake.drives.drives[1].volume_readable = false;
    EXPECT_EQ(disk.get_total_bytes("C:"), 4096000);
    EXPECT_EQ(disk.get_free_bytes("C:"), 4096);
    EXPECT_DOUBLE_EQ(disk.get_used_bytes("C:"), 4091904.0);
    EXPECT_EQ(disk.get_usage_percent("C:"), 99);
    EXPECT_EQ(disk.get_volume_serial("C:"), "A0B0C0D");
    EXPECT_EQ(disk.get_file_system_name("C:"), "NTFS");
    EXPECT_EQ(disk.get_total_bytes("E:"), -1);
    EXPECT_EQ(disk.get_free_bytes("E:"), -1);
    EXPECT_DOUBLE_EQ(disk.get_used_bytes("E:"), -1.0);
    EXPECT_EQ(disk.get_usage_percent("E:"), 0);
    EXPECT_EQ(disk.get_volume_serial("E:"), "0");
}

TEST_F(DiskManagerTest, DriveTypesListsAndOpticalDrives) {
    fake.drives.add("A:\\", os::kDriveRemovable);
    fake.drives.add("D:\\", os::kDriveFixed);
    fake.drives.add("E:\\", os::kDriveCdrom).media_type = 51;
    fake.drives.add("N:\\", os::kDriveRemote);
    EXPECT_EQ(disk.get_drive_type(), 2);  // "D:" of the program's folder
    EXPECT_EQ(disk.get_drive_type("A:\\"), 1);
    EXPECT_EQ(disk.get_drive_type("N:\\"), 3);
    EXPECT_EQ(disk.get_drive_type("E:\\"), 4);
    EXPECT_EQ(disk.get_drive_type("Q:\\"), 0);

    std::vector<std::string> roots{"kept"};
    EXPECT_EQ(disk.list_drives_of_type(roots, 2), 2);
    EXPECT_EQ(roots, (std::vector<std::string>{"kept", "E:\\"}));
    roots.clear();
    EXPECT_EQ(disk.list_drives_of_type(roots, 0), 4);
    EXPECT_EQ(disk.list_drives_of_type(roots, 9), 4);  // no such type: unchanged
    EXPECT_EQ(disk.list_drive_roots(), 4);

    EXPECT_EQ(disk.find_cdrom_drive(), "E:\\");
    EXPECT_EQ(disk.optical_drive_kind(), 2);
    fake.drives.drives[2].media_type = 2;
    EXPECT_EQ(disk.optical_drive_kind(), 1);
    fake.drives.drives[2].media_type = 7;
    EXPECT_EQ(disk.optical_drive_kind(), 255);
    EXPECT_TRUE(disk.cdrom_has_disc());
    fake.drives.drives[2].volume_readable = false;
    EXPECT_FALSE(disk.cdrom_has_disc());
    fake.drives.drives.erase(fake.drives.drives.begin() + 2);
    EXPECT_EQ(disk.find_cdrom_drive(), "");
    EXPECT_EQ(disk.optical_drive_kind(), 255);
}

TEST_F(DiskManagerTest, WmiSecurityOnceAndEveryConnectionReleased) {
    fake.wmi.results["Select * From Win32_DiskDrive"] = {{{"Model", "Disk One"}, {"Index", "1"}},
                                                         {{"Model", "Disk Two"}, {"Index", "0"}}};
    struct Row {
        int n;
        const char* model;
    } rows[] = {{1, "Disk One"}, {2, "Disk Two"}, {3, ""}, {0, ""}, {-1, ""}, {11, ""}};
    for (const Row& r : rows) {
        EXPECT_EQ(disk.get_disk_model(r.n), r.model) << r.n;
        EXPECT_EQ(fake.wmi.open_queries, 0) << r.n;
        EXPECT_FALSE(disk.wmi_connected());
    }
    ASSERT_EQ(fake.wmi.connections.size(), 6u);
    EXPECT_EQ(fake.wmi.connections[0].name_space, "root\\cimv2");
    EXPECT_EQ(fake.wmi.connections[0].query, "Select * From Win32_DiskDrive");
    EXPECT_TRUE(fake.wmi.connections[0].init_security);
    for (std::size_t i = 1; i < fake.wmi.connections.size(); ++i)
        EXPECT_FALSE(fake.wmi.connections[i].init_security) << i;

    EXPECT_FALSE(disk.wmi_connect("root\\nothing", "Select * From Win32_DiskDrive"));
    EXPECT_EQ(fake.wmi.open_queries, 0);
    // A connection left open is released by the next one, not kept twice.
    EXPECT_TRUE(disk.wmi_connect("root\\cimv2", "Select * From Win32_DiskDrive"));
    EXPECT_TRUE(disk.wmi_connect("root\\cimv2", "Select * From Win32_DiskDrive"));
    EXPECT_EQ(fake.wmi.open_queries, 1);
    disk.wmi_close();
    EXPECT_EQ(fake.wmi.open_queries, 0);
}

TEST_F(DiskManagerTest, NoWmiMeansAnEmptyModel) {
    fake.wmi.namespaces.clear();
    EXPECT_EQ(disk.get_disk_model(1), "");
    EXPECT_EQ(fake.wmi.open_queries, 0);
}

}  // namespace
}  // namespace qv
