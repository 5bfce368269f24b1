#include <gtest/gtest.h>

#include "base/state.h"
#include "disks/drive_facts.h"
#include "fakes/fake_os.h"

namespace qv {
namespace {

using os::kDriveCdrom;
using os::kDriveFixed;
using os::kDriveRemote;
using os::kDriveRemovable;

class DriveFacts : public ::testing::Test {
protected:
    void SetUp() override { reset_program_state(); }
    fakes::FakeOs fake;
};

TEST(DriveStrings, SplitsAtZeroBytesWithoutEmptyRoots) {
    using V = std::vector<std::string>;
    EXPECT_EQ(split_drive_strings(std::string("C:\\\0D:\\\0", 8)), (V{"C:\\", "D:\\"}));
    EXPECT_EQ(split_drive_strings(std::string("C:\\\0D:\\", 7)), (V{"C:\\", "D:\\"}));
    EXPECT_EQ(split_drive_strings(""), V{});
    // The system ends its list with a second zero byte.
    EXPECT_EQ(split_drive_strings(std::string("C:\\\0D:\\\0\0", 9)), (V{"C:\\", "D:\\"}));
}

TEST_F(DriveFacts, SelectorsGroupAndOrderTheDrives) {
    fake.drives.add("A:\\", kDriveRemovable);
    fake.drives.add("C:\\", kDriveFixed);
    fake.drives.add("D:\\", kDriveFixed);
    fake.drives.add("E:\\", kDriveCdrom);
    fake.drives.add("F:\\", kDriveRemovable);
    fake.drives.add("Z:\\", kDriveRemote);
    using V = std::vector<std::string>;
    EXPECT_EQ(list_drives(kAllDrives), (V{"C:\\", "D:\\", "E:\\", "A:\\", "F:\\", "Z:\\"}));
    EXPECT_EQ(list_drives(kFixedDrives), (V{"C:\\", "D:\\"}));
    EXPECT_EQ(list_drives(kOpticalDrives), (V{"E:\\"}));
    EXPECT_EQ(list_drives(kRemovableDrives), (V{"A:\\", "F:\\"}));
    EXPECT_EQ(list_drives(kOtherDrives), (V{"Z:\\"}));
    EXPECT_EQ(list_drives(-7), (V{"Z:\\"}));

    V roots{"old"};
    EXPECT_EQ(list_drives(roots, kOpticalDrives), 1);
    EXPECT_EQ(roots, V{"E:\\"});
    fake.drives.drives.clear();
    EXPECT_EQ(list_drives(roots, kAllDrives), 0);
    EXPECT_TRUE(roots.empty());
}

TEST_F(DriveFacts, NumbersComeFromTheDeviceNumberOfTheLetter) {
    fake.drives.add("C:\\", kDriveFixed, 0, 1);
    fake.drives.add("D:\\", kDriveFixed, 1, 3);
    fake.drives.add("E:\\", kDriveFixed).answers_number = false;
    for (const char* c : {"c", "C:", "C:\\"}) {
        EXPECT_EQ(disk_number_of(c), 1) << c;
        EXPECT_EQ(partition_number_of(c), 1) << c;
    }
    EXPECT_EQ(disk_partition_text(disk_number_of("D:\\"), partition_number_of("D:\\")), "2:3");
    EXPECT_EQ(disk_number_of("E:"), -1);
    EXPECT_EQ(partition_number_of("E:"), -1);
    EXPECT_EQ(disk_number_of("Q:"), -1);
    EXPECT_EQ(disk_number_of(""), -1);
}

TEST_F(DriveFacts, TypeNamesAndFileSystems) {
    struct Row {
        int type;
        const char* name;
    } rows[] = {{2, "可移动驱动器"}, {3, "硬盘驱动器"}, {4, "网络驱动器"}, {5, "光盘驱动器"},
                {6, "RAM驱动器"},    {0, "未知驱动器"}, {1, "未知驱动器"}, {7, "未知驱动器"}};
    for (const Row& r : rows) EXPECT_EQ(drive_type_name_of(r.type), r.name) << r.type;

    fake.drives.add("E:\\", kDriveCdrom).volume.file_system = "CDFS";
    fake.drives.add("F:\\", kDriveRemovable).volume_readable = false;
    EXPECT_EQ(drive_type_name("E:\\"), "光盘驱动器");
    EXPECT_EQ(volume_file_system("e"), "CDFS");
    EXPECT_EQ(volume_file_system("F:\\"), "");
}

TEST(ActiveMark, UpperCasedLetterFoundCaseSensitively) {
    const std::string report =
        "Disk 1\r\n  [1] D:\\] Active NTFS\r\n  [2] e:\\] Active\r\n  [3] F:\\] Primary\r\n";
    EXPECT_TRUE(report_marks_active(report, "d:\\"));
    EXPECT_TRUE(report_marks_active(report, "D"));
    EXPECT_FALSE(report_marks_active(report, "E:\\"));  // the report's lower-case e: is no mark
    EXPECT_FALSE(report_marks_active(report, "C:\\"));
    EXPECT_FALSE(report_marks_active(report, "F:\\"));     // listed, but not active
    EXPECT_TRUE(report_marks_active("C:\\] Active", ""));  // no drive text stands for C
    EXPECT_FALSE(report_marks_active("", "C:\\"));
}

TEST_F(DriveFacts, PartitionReportIsWrittenWhenMissingRunAndKept) {
    const std::string tool = "X:\\WINDOWS\\system32\\omnifs32.exe";
    fake.carried.add("omnifs32.exe", "carried tool");
    fake.processes.scripts.push_back(fakes::partition_report_tool("  [1] C:\\] Active\r\n"));
    EXPECT_EQ(partition_info_command(), tool + " info");
    load_partition_info();
    EXPECT_EQ(fake.files.contents(tool), "carried tool");
    const std::string run = "X:\\WINDOWS\\system32\\cmd.exe /c " + tool + " info";
    EXPECT_EQ(fake.processes.commands(), std::vector<std::string>{run});
    EXPECT_TRUE(fake.processes.launches[0].captured);
    EXPECT_TRUE(is_active_partition("C:\\"));

    fakes::FakeFileSystem::Entry* written = fake.files.entry(tool);
    ASSERT_NE(written, nullptr);
    written->bytes = "tool in place";
    load_partition_info();
    EXPECT_EQ(fake.files.contents(tool), "tool in place");  // present: not written again
    EXPECT_EQ(fake.processes.commands().size(), 2u);

    fake.processes.scripts[0].fails = true;  // a tool that cannot run leaves an empty report
    load_partition_info();
    EXPECT_EQ(g_omnifs_output, "");
    EXPECT_FALSE(is_active_partition("C:\\"));
}

TEST_F(DriveFacts, ShortNameOfTheInstalledWindows) {
    struct Row {
        const char* version;
        const char* name;
    } rows[] = {{"5.0.2195", "Win2K"},
                {"5.1.2600", "WinXP"},
                {"5.2.3790", "Win03"},
                {"6.0.6002", "WinVista"},
                {"6.1.7601.17514", "Win7"},
                {"6.2.9200", "Win8"},
                {"6.3.9600", "Win8.1"},
                {"6.4.9841", "Win10"},
                {"10.0.19041", "Win10"},
                {"5.00.2195", ""},
                {"6.1", ""},
                {"", ""}};
    for (const Row& r : rows)
        EXPECT_EQ(windows_short_name_for_version(r.version), r.name) << r.version;

    fake.files.add_file("C:\\windows\\system32\\CMD.EXE");
    fakes::FakeFileSystem::Entry* cmd = fake.files.entry("C:\\windows\\system32\\CMD.EXE");
    ASSERT_NE(cmd, nullptr);
    cmd->version = "6.1.7601.17514";
    fake.files.add_file("D:\\windows\\system32\\CMD.EXE");  // no version resource
    EXPECT_EQ(windows_short_name("C:\\"), "Win7");
    EXPECT_EQ(windows_short_name("D:\\"), "");
    EXPECT_EQ(windows_short_name("E:\\"), "");
}

TEST_F(DriveFacts, FirmwareTypeIsZeroUnlessTheSystemSaysBiosOrUefi) {
    EXPECT_EQ(get_firmware_type(), 0);  // no entry point
    fake.drives.firmware_askable = true;
    struct Row {
        std::uint32_t value;
        int kind;
    } rows[] = {{1, 1}, {2, 2}, {0, 0}, {3, 0}, {0x7FFFFFFF, 0}};
    for (const Row& r : rows) {
        fake.drives.firmware_value = r.value;
        EXPECT_EQ(get_firmware_type(), r.kind) << r.value;
    }
}

}  // namespace
}  // namespace qv
