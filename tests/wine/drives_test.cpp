// The drive code against the real Win32 calls on the test prefix's folder-backed drives
// (scripts/wine-prefix.sh): C: D: G: X: fixed, E: removable, F: optical.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include "base/helpers.h"
#include "base/state.h"
#include "disks/disk_manager.h"
#include "disks/drive_facts.h"
#include "disks/partition_rows.h"
#include "images/image_scan.h"
#include "platform/os_registry.h"
#include "support/files.h"
#include "win32_os.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

class WineDrives : public ::testing::Test {
protected:
    void SetUp() override {
        win32::install_win32_os();
        reset_program_state();
    }
};

TEST_F(WineDrives, NumbersAndTypesOfThePrefixDrives) {
    struct Row {
        const char* drive;
        const char* numbers;
        const char* type;
    } rows[] = {{"C:\\", "1:1", "硬盘驱动器"},
                {"D:\\", "1:2", "硬盘驱动器"},
                {"G:\\", "1:3", "硬盘驱动器"},
                {"E:\\", "2:0", "可移动驱动器"},
                {"F:\\", "", "光盘驱动器"}};
    for (const Row& r : rows) {
        if (*r.numbers != '\0')
            EXPECT_EQ(disk_partition_text(disk_number_of(r.drive), partition_number_of(r.drive)),
                      r.numbers)
                << r.drive;
        EXPECT_EQ(drive_type_name(r.drive), r.type) << r.drive;
    }
    EXPECT_EQ(partition_number_of("F:"), -1);
    EXPECT_EQ(disk_number_of("Q:"), -1);  // no such drive
    EXPECT_EQ(list_drives(kAllDrives), (Lines{"C:\\", "D:\\", "G:\\", "X:\\", "F:\\", "E:\\"}));
    EXPECT_EQ(volume_file_system("F:"), "CDFS");
    EXPECT_EQ(get_firmware_type(), 0);  // Wine's kernel32 has no GetFirmwareType
}

TEST_F(WineDrives, PartitionListFromThePrefixWithTheStandInReport) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring report = std::wstring(temp) + L"qv-omnifs32-report.txt";
    ASSERT_TRUE(wine_support::write_all(
        report, "Disk 1\r\n  [2] D:\\] Active  NTFS\r\n  [1] C:\\]  NTFS\r\n"));
    SetEnvironmentVariableW(L"QV_OMNIFS32_REPORT", report.c_str());

    std::vector<PartitionRow> rows = build_partition_list();
    SetEnvironmentVariableW(L"QV_OMNIFS32_REPORT", nullptr);
    DeleteFileW(report.c_str());

    // Wine reads no version from any file named CMD.EXE, so no row names a Windows here.
    EXPECT_TRUE(path_exists(system_dir() + "omnifs32.exe"));
    Lines keys;
    for (const PartitionRow& r : rows)
        keys.push_back(r.root + " " + r.disk_partition + " " + r.system + " " + r.type_name);
    EXPECT_EQ(keys, (Lines{"C:\\ 1:1  硬盘驱动器", "D:\\ 1:2 A 硬盘驱动器", "G:\\ 1:3  硬盘驱动器",
                           "E:\\ 2:0  可移动驱动器"}));
    for (const PartitionRow& r : rows) {
        EXPECT_NE(r.total, "获取失败") << r.root;
        EXPECT_NE(r.total.find(" "), std::string::npos) << r.total;
    }
    EXPECT_EQ(default_partition_row(rows), 0);
    Lines cd = cd_drive_items();
    ASSERT_EQ(cd.size(), 1u);
    EXPECT_EQ(cd[0].rfind("F:\\ 总大小：", 0), 0u) << cd[0];
    EXPECT_NE(cd[0].find(" MB，文件系统：CDFS"), std::string::npos) << cd[0];
}

TEST_F(WineDrives, LabelReadAndSet) {
    EXPECT_EQ(g_disk.get_volume_label("D:"), "数据");
    EXPECT_EQ(g_disk.get_volume_label("E:\\"), "U盘");
    EXPECT_EQ(g_disk.get_volume_label("Q:"), "");
    // Wine writes the new label into the drive's label file; its volume cache shows it only after
    // the server restarts, so the file is what the test reads.
    ASSERT_TRUE(g_disk.set_volume_label("G:", "　新卷标 "));
    std::string stored = wine_support::read_all(L"G:\\.windows-label");
    EXPECT_EQ(stored.substr(0, stored.find_last_not_of("\r\n") + 1),
              "\xE6\x96\xB0\xE5\x8D\xB7\xE6\xA0\x87");
    EXPECT_TRUE(g_disk.set_volume_label("G:", "备份"));
}

TEST_F(WineDrives, DiskModelThroughWmi) {
    EXPECT_EQ(g_disk.get_disk_model(1), "Wine Disk Drive");
    EXPECT_EQ(g_disk.get_disk_model(11), "");
    EXPECT_FALSE(g_disk.wmi_connect("root\\no_such_namespace", "Select * From Win32_DiskDrive"));
    // The thread's COM stays usable after the connections came and went.
    EXPECT_EQ(g_disk.get_disk_model(1), "Wine Disk Drive");
}

TEST_F(WineDrives, EveryConnectionUndoesExactlyItsOwnComInitialisation) {
    // The window thread has COM of its own (the drop target); connections must leave it as it was.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(g_disk.get_disk_model(1), "Wine Disk Drive");
    EXPECT_FALSE(g_disk.wmi_connect("root\\no_such_namespace", "Select * From Win32_DiskDrive"));
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);  // still initialised
    CoUninitialize();
    CoUninitialize();
    // Nothing is left behind either: the thread can now take the other model.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

TEST_F(WineDrives, ShowAllDrivesDeletesTheHidingValue) {
    os::Registry& registry = *os::os().registry;
    ASSERT_TRUE(
        registry.set_dword(os::RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", 8));
    EXPECT_TRUE(g_disk.show_all_drives());
    std::uint32_t value = 0;
    EXPECT_FALSE(
        registry.read_dword(os::RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", value));
    EXPECT_FALSE(g_disk.show_all_drives());
}

TEST_F(WineDrives, ScanFindsTheSampleImages) {
    Lines hits;
    for (const std::string& p : scan_image_paths())
        if (p.rfind("C:\\", 0) != 0) hits.push_back(p);
    // A folder's files come before its subfolders; D:\a\b\c\deep.gho lies too deep.
    EXPECT_EQ(hits, (Lines{"D:\\small.gho", "D:\\Backup\\win7.GHO", "D:\\系统\\win10.WIM",
                           "G:\\sys.wim", "E:\\GHO\\xp.gho"}));
    ImageScan scan = scan_drives_for_images();
    Lines kept;
    for (const std::string& p : scan.items)
        if (p.rfind("C:\\", 0) != 0) kept.push_back(p);
    EXPECT_EQ(kept, (Lines{"D:\\Backup\\win7.GHO", "D:\\系统\\win10.WIM", "G:\\sys.wim",
                           "E:\\GHO\\xp.gho"}));
    ASSERT_GE(scan.chosen, 0);
    EXPECT_EQ(scan.details.size, "大小： 150 MB");
    EXPECT_EQ(search_result_lines("*.Gho", "3").back(), "搜索3层目录完成，共搜索到2个Gho文件。");
}

}  // namespace
}  // namespace qv
