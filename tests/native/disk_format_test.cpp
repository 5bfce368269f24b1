// The disk class's own formats and compression switch, against the recording formatter.
#include <gtest/gtest.h>

#include <vector>

#include "disks/disk_manager.h"
#include "fakes/fake_os.h"

namespace qv {
namespace {

using Reports = std::vector<std::pair<int, std::uint8_t>>;

class DiskFormatTest : public ::testing::Test {
protected:
    void SetUp() override { fake.program.folder = "D:\\Tools\\QV"; }
    fakes::FakeOs fake;
    DiskManager disk;
};

TEST_F(DiskFormatTest, DefaultsAndTheTwoCharacterDrive) {
    struct Row {
        const char* given;
        const char* passed;
    } rows[] = {{"E:\\", "E:"}, {"E:", "E:"}, {"E", "E:"}, {"e:\\data", "e:"}};
    for (const Row& r : rows) {
        fake.formatter.calls.clear();
        EXPECT_TRUE(disk.format_volume(r.given)) << r.given;
        ASSERT_EQ(fake.formatter.calls.size(), 1u) << r.given;
        const fakes::FakeFormatter::Call& c = fake.formatter.calls[0];
        EXPECT_EQ(c.root, r.passed);
        EXPECT_EQ(c.media_type, 12);
        EXPECT_EQ(c.file_system, "NTFS");
        EXPECT_EQ(c.label, "新加卷");
        EXPECT_EQ(c.cluster_size, 4096u);
        EXPECT_FALSE(c.quick);
        EXPECT_FALSE(c.legacy);
    }
    EXPECT_TRUE(disk.format_volume_legacy("F:\\", "FAT32", "数据", true));
    const fakes::FakeFormatter::Call& c = fake.formatter.calls.back();
    EXPECT_TRUE(c.legacy);
    EXPECT_EQ(c.root, "F:");
    EXPECT_EQ(c.file_system, "FAT32");
    EXPECT_EQ(c.label, "数据");
    EXPECT_TRUE(c.quick);
}

TEST_F(DiskFormatTest, ProgressInTheLibrarysOrderAndTheEndDecides) {
    fake.formatter.reports = {{0, 10}, {0, 55}, {3, 9}, {0, 100}, {11, 1}};
    std::vector<int> seen;
    auto record = [&seen](int percent) { seen.push_back(percent); };
    EXPECT_TRUE(disk.format_volume("E:", "NTFS", "新加卷", 4096, false, record));
    EXPECT_EQ(seen, (std::vector<int>{10, 55, 100}));
    seen.clear();
    EXPECT_TRUE(disk.format_volume_legacy("E:", "NTFS", "新加卷", false, record));
    EXPECT_EQ(seen, (std::vector<int>{10, 55, 100}));
    EXPECT_TRUE(disk.on_format_progress(0, 0, 7));  // the library always goes on

    struct Row {
        const char* what;
        Reports reports;
        bool present;
    } rows[] = {
        {"failed end", {{0, 20}, {11, 0}}, true},
        // After a success, a format that never reports its end must not inherit it.
        {"no end reported", {{0, 20}}, true},
        {"library missing", {{11, 1}}, false},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(disk.format_volume("E:"));  // the previous format succeeded
        fake.formatter.reports = r.reports;
        fake.formatter.library_present = r.present;
        EXPECT_FALSE(disk.format_volume("E:")) << r.what;
        EXPECT_FALSE(disk.format_volume_legacy("E:")) << r.what;
        EXPECT_FALSE(disk.format_result()) << r.what;
        fake.formatter.reports = {{11, 1}};
        fake.formatter.library_present = true;
    }
}

TEST_F(DiskFormatTest, NoFormatWithoutADriveLetter) {
    for (const char* drive : {"", "1:", "\\\\.\\PhysicalDrive0", ":"}) {
        EXPECT_FALSE(disk.format_volume(drive)) << drive;
        EXPECT_FALSE(disk.format_volume_legacy(drive)) << drive;
    }
    EXPECT_TRUE(fake.formatter.calls.empty());
}

TEST_F(DiskFormatTest, CompressionOnByDefault) {
    EXPECT_TRUE(disk.enable_volume_compression("E:\\"));
    EXPECT_TRUE(disk.enable_volume_compression());  // the program's drive
    EXPECT_TRUE(disk.enable_volume_compression("G", 0));
    fake.formatter.compression_result = false;
    EXPECT_FALSE(disk.enable_volume_compression("E:"));
    fake.formatter.library_present = false;
    EXPECT_FALSE(disk.enable_volume_compression("E:"));
    ASSERT_EQ(fake.formatter.compressions.size(), 4u);
    EXPECT_EQ(fake.formatter.compressions[0].drive, "E:");
    EXPECT_EQ(fake.formatter.compressions[0].compress, 1);
    EXPECT_EQ(fake.formatter.compressions[1].drive, "D:");
    EXPECT_EQ(fake.formatter.compressions[2].drive, "G:");
    EXPECT_EQ(fake.formatter.compressions[2].compress, 0);
}

}  // namespace
}  // namespace qv
