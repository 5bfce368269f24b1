#include <gtest/gtest.h>

#include "fakes/fake_os.h"
#include "jobs/boot_files.h"
#include "jobs/volume_format.h"

namespace qv {
namespace {

TEST(BootFiles, CommandLinesKeepTheirExactBlanks) {
    using S = BootRecordStep;
    struct Row {
        LoaderKind kind;
        S step;
        const char* expected;
    } rows[] = {
        {LoaderKind::Nt6, S::Mbr,
         "X:\\Windows\\BOOTICE.EXE /DEVICE=C:\\ /mbr /install  /type=nt60  /quiet"},
        {LoaderKind::Nt6, S::Pbr,
         "X:\\Windows\\BOOTICE.EXE /DEVICE=C:\\ /pbr /install  /type=bootmgr /quiet"},
        {LoaderKind::Nt6, S::Activate,
         "X:\\Windows\\BOOTICE.EXE /DEVICE=C:\\ /partitions /activate /quiet"},
        {LoaderKind::Nt5, S::Mbr,
         "X:\\Windows\\BOOTICE.EXE /DEVICE=C:\\ /mbr /install  /type=nt52  /quiet"},
        {LoaderKind::Nt5, S::Pbr,
         "X:\\Windows\\BOOTICE.EXE /DEVICE=C:\\ /pbr /install  /type=ntldr /quiet"},
        {LoaderKind::Nt5, S::Activate,
         "X:\\Windows\\BOOTICE.EXE /DEVICE=C:\\ /partitions /activate /quiet"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(bootice_boot_command("X:\\Windows\\", "C:\\", r.kind, r.step), r.expected);
    EXPECT_EQ(bootice_boot_commands("X:\\Windows\\", "C:\\", LoaderKind::Nt5).size(), 3u);
    // Started without the interpreter: a blank in the tool's path would otherwise make the system
    // try "C:\My.exe" first.
    EXPECT_EQ(bootice_boot_command("C:\\My Windows\\", "C:\\", LoaderKind::Nt6, S::Activate),
              "\"C:\\My Windows\\BOOTICE.EXE\" /DEVICE=C:\\ /partitions /activate /quiet");
    EXPECT_EQ(bcdboot_command("D:\\", "C:\\"), "BCDBOOT.EXE D:\\Windows  /l zh-cn /S C:\\");
}

TEST(BootFiles, LoaderKindFollowsTheTargetsCommandInterpreter) {
    EXPECT_EQ(choose_loader_kind("5.1.2600.5512", false), LoaderKind::Nt5);
    EXPECT_EQ(choose_loader_kind("5.2.3790.3959", true), LoaderKind::Nt6);
    EXPECT_EQ(choose_loader_kind("", false), LoaderKind::Nt6);
    EXPECT_EQ(choose_loader_kind("6.1.7601.17514", false), LoaderKind::Nt6);
    EXPECT_EQ(boot_device_root(BootMode::Auto, "C:\\", "D:\\"), "C:\\");
    EXPECT_EQ(boot_device_root(BootMode::Auto, "", "D:\\"), "");
    EXPECT_EQ(boot_device_root(BootMode::None, "C:\\", "D:\\"), "D:\\");
}

TEST(BootFiles, BootPartitionIsPartitionOneOfTheSameDiskExactly) {
    // "1:1" is contained in "1:10" and "11:1": neither may stand for it. A device numbered
    // 0xFFFFFFFF is listed as disk 0, which is never a boot disk.
    const std::vector<BootPartitionRow> rows = {
        {"E:\\", "1:10"}, {"F:\\", "11:1"}, {"C:\\", "1:1"}, {"G:\\", "2:2"}, {"R:\\", "0:1"}};
    EXPECT_EQ(boot_partition_root(rows, 1), "C:\\");
    EXPECT_EQ(boot_partition_root(rows, 11), "F:\\");
    EXPECT_EQ(boot_partition_root(rows, 2), "");
    EXPECT_EQ(boot_partition_root(rows, -1), "");
    EXPECT_EQ(boot_partition_root(rows, 0), "");
}

TEST(VolumeFormat, BringsTheRequestIntoWhatTheLibraryTakes) {
    EXPECT_EQ(format_file_system("FAT"), "FAT");
    EXPECT_EQ(format_file_system("FAT32"), "NTFS");
    EXPECT_EQ(format_file_system(""), "NTFS");
    EXPECT_EQ(format_cluster_size("FAT", 4096), 0u);
    EXPECT_EQ(format_cluster_size("NTFS", 2048), 2048u);
    EXPECT_EQ(format_cluster_size("NTFS", 8192), 0u);
    EXPECT_EQ(format_drive_index("c:\\"), 2);
    EXPECT_EQ(format_drive_index(""), -1);

    fakes::FakeOs fake;
    g_formatting = false;
    ASSERT_TRUE(format_partition("e", "exFAT", "", 1024));
    ASSERT_EQ(fake.formatter.calls.size(), 1u);
    EXPECT_EQ(fake.formatter.calls[0].root, "E:\\");
    EXPECT_EQ(fake.formatter.calls[0].file_system, "NTFS");
    EXPECT_EQ(fake.formatter.calls[0].label, "本地磁盘");
    EXPECT_EQ(fake.formatter.calls[0].cluster_size, 1024u);
    g_formatting = true;  // another format runs
    EXPECT_FALSE(format_partition("E:"));
    EXPECT_EQ(fake.formatter.calls.size(), 1u);
    g_formatting = false;
}

}  // namespace
}  // namespace qv
