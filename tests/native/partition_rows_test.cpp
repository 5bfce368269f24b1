#include <gtest/gtest.h>

#include "base/state.h"
#include "disks/drive_facts.h"
#include "disks/partition_rows.h"
#include "fakes/fake_os.h"
#include "main_window/partition_columns.h"
#include "shell/command_line.h"

namespace qv {
namespace {

using os::kDriveCdrom;
using os::kDriveFixed;
using os::kDriveRemovable;

constexpr std::int64_t kGiB = 1LL << 30;

TEST(PartitionSizeText, UnitsStepAt1024WithTwoDecimals) {
    struct Row {
        std::int64_t kib;
        const char* text;
    } rows[] = {
        {0, "0.00 MB"},           {5, "0.00 MB"},
        {1536, "1.50 MB"},        {1048576, "1024.00 MB"},     // exactly 1024 MiB stays in MB
        {1048577, "1.00 GB"},                                  // 1 GiB and 1 KiB
        {488383201, "465.76 GB"}, {1073741824, "1024.00 GB"},  // exactly 1 TiB stays in GB
        {1073741825, "1.00 TB"},  {3LL * 1073741824, "3.00 TB"},
        {1029, "1.00 MB"},        {1030, "1.01 MB"},  // 1.005859...
        {-1, "0.00 MB"},
    };
    for (const Row& r : rows) EXPECT_EQ(partition_size_text(r.kib), r.text) << r.kib;
}

TEST(PartitionRow, SystemTextHasFourForms) {
    EXPECT_EQ(partition_system_text(true, "Win7"), "A,Win7");
    EXPECT_EQ(partition_system_text(false, "Win7"), "Win7");
    EXPECT_EQ(partition_system_text(true, ""), "A");
    EXPECT_EQ(partition_system_text(false, ""), "");
}

TEST(PartitionRow, DropsDrivesWithoutNumbersAndTheSystemDrive) {
    struct Row {
        const char* root;
        int disk, partition;
        bool kept;
    } rows[] = {
        {"C:\\", 1, 1, true},  {"D:\\", -1, 2, false}, {"D:\\", 1, -1, false},
        {"X:\\", 1, 3, false}, {"E:\\", 2, 0, true},
    };
    for (const Row& r : rows) {
        DriveFacts facts;
        facts.root = r.root;
        facts.type = kDriveFixed;
        facts.disk = r.disk;
        facts.partition = r.partition;
        facts.total_kib = 1048577;
        PartitionRow row;
        EXPECT_EQ(make_partition_row(facts, row), r.kept) << r.root << r.disk << ":" << r.partition;
    }
}

TEST(PartitionRow, UnreadableOrEmptySizesReadGetFailed) {
    DriveFacts facts;
    facts.root = "C:\\";
    facts.disk = 1;
    facts.partition = 1;
    facts.type = kDriveFixed;
    PartitionRow row;
    for (std::int64_t total : {std::int64_t{-1}, std::int64_t{0}, std::int64_t{5}}) {
        facts.total_kib = total;
        facts.free_kib = total;
        ASSERT_TRUE(make_partition_row(facts, row));
        EXPECT_EQ(row.total, "获取失败") << total;
        EXPECT_EQ(row.free, "获取失败") << total;
    }
    facts.total_kib = 6;  // 0.005859 MB rounds up: no longer "0.00"
    facts.free_kib = 0;
    ASSERT_TRUE(make_partition_row(facts, row));
    EXPECT_EQ(row.total, "0.01 MB");
    EXPECT_EQ(row.free, "0.00 MB");
}

class PartitionList : public ::testing::Test {
protected:
    void SetUp() override {
        reset_program_state();
        fake.processes.scripts.push_back(
            fakes::partition_report_tool("[1] C:\\] Active\r\n[2] U:\\] Active\r\n"));
    }
    void windows_on(const std::string& root, const std::string& version) {
        std::string cmd = root + "windows\\system32\\CMD.EXE";
        fake.files.add_file(cmd);
        fake.files.entry(cmd)->version = version;
    }
    fakes::FakeOs fake;
};

TEST_F(PartitionList, FixedDrivesFirstThenRemovableWithTheirFacts) {
    fake.drives.add("A:\\", kDriveRemovable, 2, 0).space = {700 * 1024, 1440 * 1024, 700 * 1024};
    // The free cell is what the program may write: a quota hides the rest of C:.
    fake.drives.add("C:\\", kDriveFixed, 0, 1).space = {10 * kGiB, 60 * kGiB, 12 * kGiB};
    fake.drives.add("D:\\", kDriveFixed, 0, 5).space = {kGiB / 2, 3 * kGiB, kGiB / 2};
    fake.drives.add("E:\\", kDriveCdrom, 3, 0xFFFFFFFFu);
    fake.drives.add("F:\\", kDriveFixed).answers_number = false;
    fake.drives.add("G:\\", kDriveFixed, 0, 6).space_readable = false;
    fake.drives.add("U:\\", kDriveRemovable, 1, 1);
    fake.drives.add("X:\\", kDriveFixed, 0, 7);
    windows_on("C:\\", "6.1.7601.17514");
    windows_on("D:\\", "5.1.2600.5512");
    windows_on("X:\\", "6.3.9600");

    std::vector<PartitionRow> rows = build_partition_list();
    std::vector<std::vector<std::string>> cells;
    for (const PartitionRow& r : rows) cells.push_back(r.cells());
    std::vector<std::vector<std::string>> expected{
        {"C:\\", "1:1", "A,Win7", "硬盘驱动器", "60.00 GB", "10.00 GB"},
        {"D:\\", "1:5", "WinXP", "硬盘驱动器", "3.00 GB", "512.00 MB"},
        {"G:\\", "1:6", "", "硬盘驱动器", "获取失败", "获取失败"},
        {"A:\\", "3:0", "", "可移动驱动器", "1.41 MB", "0.68 MB"},
        {"U:\\", "2:1", "A", "可移动驱动器", "40.00 GB", "20.00 GB"},
    };
    EXPECT_EQ(cells, expected);
    EXPECT_EQ(default_partition_row(rows), 0);
}

// A job compares the number it confirmed with the drive's number asked again; that number is
// made exactly as the list cell was, before and after a renumbering, and the "/DEVICE=" letter
// gives the same. A drive whose volume no longer answers has no row and the number "-1:-1".
TEST_F(PartitionList, JobsLookUpTheNumbersTheListShows) {
    fake.drives.add("C:\\", kDriveFixed, 0, 1);
    fake.drives.add("G:\\", kDriveFixed, 0, 3);
    fake.drives.add("U:\\", kDriveRemovable, 1, 1);
    auto numbers_agree = [this] {
        std::vector<PartitionRow> rows = build_partition_list();
        ASSERT_EQ(rows.size(), 3u);
        for (const PartitionRow& row : rows) {
            EXPECT_EQ(disk_partition_of(row.root), row.disk_partition) << row.root;
            EXPECT_EQ(drive_to_disk_partition(row.root.substr(0, 1)), row.disk_partition);
        }
    };
    numbers_agree();
    fake.drives.find("G:\\")->number = {0, 4};
    fake.drives.find("U:\\")->number = {2, 1};
    numbers_agree();
    EXPECT_EQ(disk_partition_of("G:\\"), "1:4");
    fake.drives.find("G:\\")->answers_number = false;
    EXPECT_EQ(disk_partition_of("G:\\"), "-1:-1");
    EXPECT_EQ(find_partition_row(build_partition_list(), "1:4"), -1);
}

TEST_F(PartitionList, ActiveMarkNeedsTheReportOfThisFill) {
    fake.drives.add("C:\\", kDriveFixed, 0, 1);
    fake.processes.scripts.clear();  // the report tool prints nothing
    std::vector<PartitionRow> rows = build_partition_list();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].system, "");
    // Removable rows alone use the report that is already kept.
    g_omnifs_output = "C:\\] Active";
    fake.drives.drives[0].type = kDriveRemovable;
    rows = partition_rows_removable();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].system, "A");
}

TEST(DiskPartitionLookup, MatchesWholeNumbersOnly) {
    struct Row {
        const char* cell;
        const char* sought;
        bool match;
    } rows[] = {
        {"1:1", "1:1", true},   {"11:1", "1:1", false}, {"1:10", "1:1", false},
        {"1:12", "1:1", false}, {"21:1", "1:1", false}, {"2:1", ":1", true},
        {"1:10", ":1", false},  {"12:1", ":1", true},   {"1:2", "1:2", true},
        {"1:-1", ":1", false},  {"", ":1", false},      {"1:1:1", "1:1", false},
        {"1:1", "", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(disk_partition_matches(r.cell, r.sought), r.match) << r.cell << " / " << r.sought;
}

TEST(DiskPartitionLookup, DefaultRowPrefers1_1Then1_2ThenAnyFirstPartition) {
    struct Row {
        std::vector<std::string> cells;
        int expected;
    } rows[] = {
        {{"2:1", "1:2", "1:1"}, 2},  {{"11:1", "1:10", "1:2"}, 2}, {{"1:12", "2:1"}, 1},
        {{"1:10", "1:3", "3:1"}, 2}, {{"1:10", "11:2"}, -1},       {{}, -1},
    };
    for (const Row& r : rows) {
        std::vector<PartitionRow> list;
        for (const std::string& c : r.cells) list.push_back({"C:\\", c, "", "", "", ""});
        EXPECT_EQ(default_partition_row(list), r.expected) << ::testing::PrintToString(r.cells);
    }
}

TEST(SelectedPartition, CopiesTheRowOrShowsEmptyBrackets) {
    PartitionRow row{"C:\\", "1:1", "A,Win7", "硬盘驱动器", "60.00 GB", "10.00 GB"};
    SelectedPartition s = selected_partition_of(&row);
    EXPECT_EQ(s.caption, "C:\\(1:1)");
    EXPECT_EQ(s.disk_partition, "1:1");
    EXPECT_EQ(s.root, "C:\\");
    EXPECT_EQ(s.system, "A,Win7");
    EXPECT_EQ(s.type_name, "硬盘驱动器");
    SelectedPartition none = selected_partition_of(nullptr);
    EXPECT_EQ(none.caption, "()");
    EXPECT_EQ(none.disk_partition + none.root + none.system + none.type_name, "");
}

TEST(PartitionRefresh, RefusedWhileLockedOrAlreadyRunning) {
    {
        PartitionRefreshGuard locked(true);
        EXPECT_FALSE(locked.entered());
    }
    {
        PartitionRefreshGuard outer(false);
        EXPECT_TRUE(outer.entered());
        PartitionRefreshGuard nested(false);
        EXPECT_FALSE(nested.entered());
    }
    PartitionRefreshGuard again(false);
    EXPECT_TRUE(again.entered());
}

TEST(PartitionClicks, StartButtonAndMenuFollowTheRow) {
    struct Row {
        const char* type;
        const char* total;
        bool start, menu, remove;
    } rows[] = {
        {"可移动驱动器", "14.50 GB", true, true, true},
        {"硬盘驱动器", "465.76 GB", true, true, false},
        {"可移动驱动器", "获取失败", false, false, false},
        {"", "", true, false, false},  // empty space below the rows: no row, no menu
    };
    for (const Row& r : rows) {
        SelectedPartition chosen;
        chosen.type_name = r.type;
        PartitionClick click = partition_click_of(chosen, r.total);
        EXPECT_EQ(click.start_enabled, r.start) << r.type << r.total;
        EXPECT_EQ(click.show_menu, r.menu) << r.type << r.total;
        EXPECT_EQ(click.show_remove, r.remove) << r.type << r.total;
    }
}

TEST(PartitionListTexts, EmptyListWarnsAndSetsTheFlag) {
    fakes::FakeOs fake;
    EXPECT_TRUE(check_partitions_found(2));
    EXPECT_FALSE(g_no_partitions);
    EXPECT_TRUE(fake.notices.boxes.empty());
    EXPECT_FALSE(check_partitions_found(0));
    EXPECT_TRUE(g_no_partitions);
    ASSERT_EQ(fake.notices.boxes.size(), 1u);
    EXPECT_EQ(fake.notices.boxes[0].text, kNoPartitionsMessage);
    EXPECT_EQ(fake.notices.boxes[0].caption, "提示");
    EXPECT_EQ(fake.notices.boxes[0].style, 0x30);
    EXPECT_EQ(std::string(kRefreshingText), "正在刷新列表，请稍候.....");
    EXPECT_EQ(std::string(kRefreshDoneText), "刷新列表完成！");
}

TEST(PartitionColumns, FirstCaptionFollowsTheMode) {
    std::vector<std::string> captions;
    for (const PartitionColumn& c : partition_columns(PartitionListMode::Restore))
        captions.push_back(c.caption);
    EXPECT_EQ(captions,
              (std::vector<std::string>{"还原", "盘号", "系统", "类型", "总大小", "可用空间"}));
    EXPECT_EQ(partition_columns(PartitionListMode::Backup)[0].caption, "备份");
    EXPECT_EQ(partition_columns(PartitionListMode::Install)[0].caption, "安装");
    EXPECT_EQ(partition_columns(PartitionListMode::Restore)[3].width, 84);
}

TEST(PartitionListTexts, EmptyListMessage) {
    EXPECT_EQ(std::string(kNoPartitionsMessage),
              "程序未检测到可用的硬盘分区！\r\n请检查WinPE是否正确识别到硬盘驱动器且已分区或硬盘\r"
              "\n驱动器是否有故障！\r\n\r\n"
              "注意：如磁盘已分区且确定无故障，则说明是由于WinPE缺少\r\n自带磁盘驱动程序，导致无法"
              "识别磁盘分区。\r\n"
              "建议更换更高版本的WinPE即可，推荐使用Win8PE。");
}

TEST_F(PartitionList, OpticalComboItems) {
    EXPECT_EQ(cd_drive_items(), std::vector<std::string>{"未检测到光盘驱动器"});
    fakes::FakeDrive& e = fake.drives.add("E:\\", kDriveCdrom);
    e.space.total = static_cast<std::int64_t>(4482.5 * 1048576);
    e.volume.file_system = "CDFS";
    fake.drives.add("F:\\", kDriveCdrom).space_readable = false;
    fake.drives.add("G:\\", kDriveCdrom).space.total = 3 * 1048576;
    fake.drives.add("H:\\", kDriveCdrom).space.total = 0;  // an empty tray
    EXPECT_EQ(
        cd_drive_items(),
        (std::vector<std::string>{"E:\\ 总大小：4482.5 MB，文件系统：CDFS", "F:\\ 请插入系统光盘！",
                                  "G:\\ 总大小：3 MB，文件系统：NTFS", "H:\\ 请插入系统光盘！"}));
}

}  // namespace
}  // namespace qv
