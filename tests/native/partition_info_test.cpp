#include <gtest/gtest.h>

#include <cmath>

#include "base/state.h"
#include "disks/partition_info.h"
#include "disks/partition_list.h"
#include "fakes/main_window_rig.h"

namespace qv {
namespace {

using os::kDriveFixed;
using os::kDriveRemovable;

constexpr std::int64_t kGiB = 1LL << 30;

std::int64_t gib(double n) {
    return std::llround(n * static_cast<double>(kGiB));
}

TEST(PartitionInfoText, SizesUsageAndVersionNames) {
    struct Size {
        std::int64_t bytes;
        const char* text;
    } sizes[] = {{gib(59.99), "59.99"}, {gib(10.5), "10.5"}, {60 * kGiB, "60"}, {0, "0"},
                 {gib(0.125), "0.12"},  {gib(0.135), "0.14"}};
    for (const Size& s : sizes)
        EXPECT_EQ(gigabytes_text(static_cast<std::uint64_t>(s.bytes)), s.text) << s.bytes;

    struct Usage {
        std::uint64_t used, total;
        int percent;
    } usages[] = {{2949, 10000, 29},   {2950, 10000, 30}, {2951, 10000, 30},
                  {10000, 10000, 100}, {0, 10000, 0},     {0, 0, 0}};
    for (const Usage& u : usages)
        EXPECT_EQ(usage_percent_of(u.used, u.total), u.percent) << u.used << "/" << u.total;

    struct Version {
        const char* file_version;
        const char* name;
    } versions[] = {{"5.0.2195", "Windows 2000"},    {"5.1.2600", "Windows XP"},
                    {"5.2.3790", "Windows 2003"},    {"6.0.6002", "Windows Vista"},
                    {"6.1.7601.17514", "Windows 7"}, {"6.2.9200", "Windows 8"},
                    {"6.3.9600", "Windows 8.1"},     {"6.4.9841", "Windows 10技术预览版"},
                    {"10.0.19041.1", "Windows 10"},  {"6.1", "未知的Windows版本"},
                    {"", "未知的Windows版本"},       {"11.0.1", "未知的Windows版本"}};
    for (const Version& v : versions)
        EXPECT_EQ(windows_long_name_for_version(v.file_version), v.name) << v.file_version;
}

class PartitionInfoWindow : public ::testing::Test {
protected:
    PartitionInfoWindow() {
        rig.os.processes.scripts.push_back(fakes::partition_report_tool("[1] C:\\] Active\r\n"));
    }
    // C: 1:1 active with Windows 7, 59.99 GiB of which 10.5 GiB are free; D: 1:2; U: a stick on
    // the second disk.
    ui::Window& open_filled() {
        fakes::FakeDrive& c = rig.os.drives.add("C:\\", kDriveFixed, 0, 1);
        c.space = {1 * kGiB, gib(59.99), gib(10.5)};
        rig.os.drives.add("D:\\", kDriveFixed, 0, 2);
        rig.os.drives.add("U:\\", kDriveRemovable, 1, 1);
        for (const char* root : {"C:\\", "D:\\", "U:\\"}) rig.os.files.add_folder(root);
        rig.os.files.add_file("C:\\windows\\system32\\CMD.EXE");
        rig.os.files.entry("C:\\windows\\system32\\CMD.EXE")->version = "6.1.7601.17514";
        ui::Window& main = rig.open_main_window();
        fill_partition_list_fixed(main);
        fill_partition_list_removable(main);
        select_default_partition_row(main);
        return main;
    }
    fakes::MainWindowRig rig;
};

TEST_F(PartitionInfoWindow, ShowsTheTwelveLinesOfTheSelectedPartition) {
    // WMI lists the stick first; the text must name the model of disk 1 all the same.
    rig.os.wmi.results["Select * From Win32_DiskDrive"] = {{{"Model", "Stick 8G"}, {"Index", "1"}},
                                                           {{"Model", "Disk 64G"}, {"Index", "0"}}};
    ui::Window& main = open_filled();
    std::string text, title;
    rig.ui.on_modal(kPartitionInfoWindowName, [&](ui::Window& w) {
        EXPECT_FALSE(fakes::headless(main).window_enabled());
        text = w.text("info_edit");
        title = w.text("caption_label");
        EXPECT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_FALSE(w.alive());
    });
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_partition_info"));
    EXPECT_EQ(rig.ui.modal_log(), std::vector<std::string>{kPartitionInfoWindowName});
    EXPECT_EQ(title, "C:\\(1:1) 的分区信息");
    EXPECT_EQ(text,
              "盘符：C:\\\r\n"
              "位置：第 1 个硬盘的第 1 分区\r\n"
              "总大小：59.99GB \r\n"
              "可用大小：10.5 GB\r\n"
              "已用大小：49.49GB \r\n"
              "使用率：82%\r\n"
              "磁盘卷标：空\r\n"
              "操作系统：Windows 7\r\n"
              "文件系统：NTFS\r\n"
              "磁盘类型：硬盘驱动器\r\n"
              "活动分区：是\r\n"
              "磁盘型号：Disk 64G");
    EXPECT_EQ(g_info_drive, "C:\\");
    EXPECT_EQ(g_info_label, "空");
    EXPECT_EQ(g_info_model, "Disk 64G");
    EXPECT_EQ(g_info_version_info, "6.1.7601.17514");
    EXPECT_EQ(rig.os.wmi.open_queries, 0);
}

TEST_F(PartitionInfoWindow, UnreadableFactsShowTheirStandIns) {
    rig.os.wmi.namespaces.clear();  // no WMI in this system
    ui::Window& main = open_filled();
    fakes::FakeDrive& u = *rig.os.drives.find("U:");
    u.volume.label = "我的U盘";
    u.space_readable = false;
    ASSERT_TRUE(fakes::select(main, "partition_list", 2));
    u.answers_number = false;  // the stick went away from its port and came back elsewhere
    std::string text;
    rig.ui.on_modal(kPartitionInfoWindowName, [&](ui::Window& w) { text = w.text("info_edit"); });
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_partition_info"));
    EXPECT_EQ(text,
              "盘符：U:\\\r\n"
              "位置：第 -1 个硬盘的第 -1 分区\r\n"
              "总大小：0GB \r\n"
              "可用大小：0 GB\r\n"
              "已用大小：0GB \r\n"
              "使用率：0%\r\n"
              "磁盘卷标：我的U盘\r\n"
              "操作系统：无\r\n"
              "文件系统：NTFS\r\n"
              "磁盘类型：可移动驱动器\r\n"
              "活动分区：否\r\n"
              "磁盘型号：未知型号");
}

TEST_F(PartitionInfoWindow, MissingDriveWarnsInsteadOfOpeningAndPropertiesGoToTheShell) {
    ui::Window& main = open_filled();
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_properties"));
    ASSERT_EQ(rig.os.shell_files.properties.size(), 1u);
    EXPECT_EQ(rig.os.shell_files.properties[0].path, "C:\\");
    EXPECT_EQ(rig.os.shell_files.properties[0].owner, &main);
    EXPECT_TRUE(rig.os.notices.boxes.empty());

    ASSERT_TRUE(fakes::select(main, "partition_list", 1));
    rig.os.files = fakes::FakeFileSystem{};  // D: has no medium any more
    rig.os.files.add_folder("C:\\");
    for (const char* item : {"disk_menu_partition_info", "disk_menu_properties"})
        ASSERT_TRUE(fakes::choose_menu_item(main, item));
    EXPECT_TRUE(rig.ui.modal_log().empty());
    EXPECT_EQ(rig.os.shell_files.properties.size(), 1u);
    ASSERT_EQ(rig.os.notices.boxes.size(), 2u);
    for (const auto& box : rig.os.notices.boxes) {
        EXPECT_EQ(box.text, "D:\\(1:2) 不存在！");
        EXPECT_EQ(box.caption, "提示");
        EXPECT_EQ(box.style, 0x30);
    }
}

}  // namespace
}  // namespace qv
