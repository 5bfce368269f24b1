#include <gtest/gtest.h>

#include "images/image_scan.h"

#include <algorithm>

#include "base/message_pacer.h"
#include "base/state.h"
#include "disks/disk_manager.h"
#include "fakes/fake_os.h"
#include "pump_hook_runtime.h"

namespace qv {
namespace {

constexpr std::int64_t kMiB = 1 << 20;
using Lines = std::vector<std::string>;

TEST(WildcardMatch, CaseIgnoredByCharacter) {
    struct Row {
        const char* name;
        const char* pattern;
        bool match;
    } rows[] = {
        {"win7.GHO", "*.Gho", true},
        {"WIN7.gho", "*.Gho", true},
        {"x.ghost", "*.Gho", false},
        {"gho", "*.Gho", false},
        // One byte short of the tail: nothing before the name is read (a long name lies on the
        // heap, where the sanitizer sees such a read).
        {"backup_of_drive_c_full", "*.backup_of_drive_c_full", false},
        {".gho", "*.Gho", true},
        {"a.b.wim", "*.WIM", true},
        {"noext", "*.*", true},
        {"a.swm", "*.SWM", true},
        {"a.swm", "?.swm", true},
        {"ab.swm", "?.swm", false},
        {"镜像.GHO", "*.Gho", true},
        {"镜像.GHO", "??.gho", true},
        {"a.GHOx", "*.Gho", false},
        {"aXb", "a*b", true},
        {"ab", "a*b*", true},
        // 0x81 0x41 is one character whose trail byte is 'A': it is not the letter a.
        {"\x81\x41", "a*", false},
        {"\x81\x41", "?", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(wildcard_match(r.name, r.pattern), r.match) << r.name << " / " << r.pattern;
}

class ImageFiles : public ::testing::Test {
protected:
    void SetUp() override { reset_program_state(); }
    void image(const std::string& path, std::int64_t bytes = 150 * kMiB) {
        fake.directories.add_file(path, bytes);
    }
    Lines walk(const std::string& folder, const std::string& pattern, int depth,
               bool use_depth = true) {
        Lines found;
        walk_directory(
            folder, [&found](const std::string& p) { found.push_back(p); }, pattern, true, depth,
            use_depth);
        return found;
    }
    fakes::FakeOs fake;
};

TEST_F(ImageFiles, DepthCountsTheRootAndTheLevelsBelowIt) {
    image("D:\\top.gho");
    image("D:\\a\\one.gho");
    image("D:\\a\\b\\two.gho");
    image("D:\\a\\b\\c\\three.gho");
    image("D:\\a\\b\\c\\d\\four.gho");
    struct Row {
        int depth;
        bool use_depth;
        Lines found;
    } rows[] = {
        {3, true, {"D:\\top.gho", "D:\\a\\one.gho", "D:\\a\\b\\two.gho"}},
        {2, true, {"D:\\top.gho", "D:\\a\\one.gho"}},
        {1, true, {"D:\\top.gho"}},
        {0, true, {"D:\\top.gho"}},
        {-5, true, {"D:\\top.gho"}},
        {-1,
         true,
         {"D:\\top.gho", "D:\\a\\one.gho", "D:\\a\\b\\two.gho", "D:\\a\\b\\c\\three.gho",
          "D:\\a\\b\\c\\d\\four.gho"}},
        {1,
         false,
         {"D:\\top.gho", "D:\\a\\one.gho", "D:\\a\\b\\two.gho", "D:\\a\\b\\c\\three.gho",
          "D:\\a\\b\\c\\d\\four.gho"}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(walk("D:\\", "*.Gho", r.depth, r.use_depth), r.found) << r.depth;

    // A folder beyond the depth is never even listed.
    fake.directories.listed.clear();
    walk("D:\\", "*.Gho", 3);
    EXPECT_EQ(fake.directories.listed, (Lines{"D:\\", "D:\\a\\", "D:\\a\\b\\"}));
    // The depth counts from the drive, also when the walk starts lower down.
    EXPECT_EQ(walk("D:\\a", "*.gho", 3), (Lines{"D:\\a\\one.gho", "D:\\a\\b\\two.gho"}));
}

TEST_F(ImageFiles, WalkListsFilesBeforeSubfoldersAndSurvivesUnreadableFolders) {
    image("E:\\z\\in.gho");
    image("E:\\first.gho");
    image("E:\\y\\in.gho");
    image("E:\\.hidden\\dot.gho");
    image("E:\\系统\\镜像.GHO");
    fake.directories.unlistable.insert("E:\\y\\");
    EXPECT_EQ(walk("E:", "*.gho", 3), (Lines{"E:\\first.gho", "E:\\z\\in.gho",
                                             "E:\\.hidden\\dot.gho", "E:\\系统\\镜像.GHO"}));
    Lines all;
    walk_directory(
        "E:\\", [&all](const std::string& p) { all.push_back(p); }, "ignored", false, 3, true);
    EXPECT_EQ(all.size(), 4u);
}

// Time on the manual clock: reading an entry takes 1 ms and a hit 3 ms more. The walk must process
// messages at least every 50 ms of that work, inside one large folder as well, and not for every
// entry; the small-image check of thousands of hits keeps the same pace.
TEST_F(ImageFiles, WalkProcessesMessagesEveryFiftyMillisecondsOfWork) {
    for (int i = 0; i < 2000; ++i)
        image("D:\\many\\" + std::to_string(i) + (i % 2 == 0 ? ".gho" : ".txt"), 1024);
    image("D:\\many\\sub\\last.gho");
    fake.directories.on_entry = [&] { fake.clock.ticks += 1; };
    testing_support::PumpHookRuntime runtime;
    std::vector<std::uint32_t> pumps;
    runtime.on_pump = [&] { pumps.push_back(fake.clock.ticks); };
    os::os().ui = &runtime;
    std::size_t pumps_before_walk = 0;
    MessagePacer pacer([&] { pumps_before_walk = std::max(pumps_before_walk, pumps.size()); });
    Lines found;
    walk_directory(
        "D:\\",
        [&](const std::string& p) {
            found.push_back(p);
            fake.clock.ticks += 3;
        },
        "*.gho", true, 3, true, &pacer);
    ASSERT_EQ(found.size(), 1001u);
    EXPECT_EQ(found.back(), "D:\\many\\sub\\last.gho");
    const std::uint32_t work = fake.clock.ticks - 1000;
    ASSERT_GE(pumps.size(), 2u);
    EXPECT_EQ(pumps.front(), 1000u);  // at once, before the first folder is read
    for (std::size_t i = 1; i < pumps.size(); ++i)
        EXPECT_LE(pumps[i] - pumps[i - 1], 50u + 4u) << i;  // 50 ms, and the one entry under way
    EXPECT_GE(pumps.size(), work / 54);
    EXPECT_LE(pumps.size(), work / 50 + 2);
    EXPECT_EQ(pumps_before_walk, pumps.size() - 1);  // the hook runs before every pump

    // Each size look-up takes 1 ms as well.
    pumps.clear();
    fake.files.on_size_query = [&] { fake.clock.ticks += 1; };
    Lines kept = drop_small_images(found, &pacer);
    EXPECT_EQ(kept, Lines{"D:\\many\\sub\\last.gho"});
    EXPECT_GE(pumps.size(), 1001u / 52);
    for (std::size_t i = 1; i < pumps.size(); ++i) EXPECT_LE(pumps[i] - pumps[i - 1], 52u) << i;
    os::os().ui = nullptr;
}

TEST_F(ImageFiles, ScanFindsGhostThenWimPerDriveAndDropsSmallImages) {
    fake.drives.add("C:\\", os::kDriveFixed);
    fake.drives.add("D:\\", os::kDriveFixed);
    fake.drives.add("E:\\", os::kDriveRemovable);
    fake.drives.add("F:\\", os::kDriveCdrom);
    image("C:\\sys.WIM");
    image("C:\\small.gho", 50 * 1024);
    image("D:\\old.wim");
    image("D:\\Backup\\win7.GHO");
    image("D:\\a\\b\\c\\x.gho");
    image("E:\\U\\xp.gho", 100 * kMiB);
    image("E:\\U\\under.gho", 100 * kMiB - 1024);
    fake.directories.unlistable.insert("F:\\");
    // A drive hidden from Explorer is still a drive: the scan walks it.
    fake.registry.set_dword(os::RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", 16);

    EXPECT_EQ(scan_image_paths(), (Lines{"C:\\small.gho", "C:\\sys.WIM", "D:\\Backup\\win7.GHO",
                                         "D:\\old.wim", "E:\\U\\xp.gho", "E:\\U\\under.gho"}));

    ImageScan scan = scan_drives_for_images({"", "C:\\gone.gho"});
    EXPECT_EQ(scan.items,
              (Lines{"C:\\sys.WIM", "D:\\Backup\\win7.GHO", "D:\\old.wim", "E:\\U\\xp.gho"}));
    EXPECT_EQ(g_preferred_image, "D:\\Backup\\win7.GHO");
    EXPECT_EQ(scan.chosen, 1);
    ASSERT_TRUE(scan.described);
    EXPECT_EQ(scan.details.type, "类型： Ghost 映像文件");
    EXPECT_EQ(scan.details.size, "大小： 150 MB");
}

TEST_F(ImageFiles, ScanWithoutGhostKeepsThePreferredImageAndChoosesTheFirst) {
    fake.drives.add("C:\\", os::kDriveFixed);
    image("C:\\sys.WIM");
    g_preferred_image = "Q:\\stale.gho";
    ImageScan scan = scan_drives_for_images();
    EXPECT_EQ(g_preferred_image, "Q:\\stale.gho");
    EXPECT_EQ(scan.chosen, 0);
    EXPECT_EQ(scan.details.type, "类型： WIM 映像文件");

    fake.directories.unlistable.insert("C:\\");
    scan = scan_drives_for_images();
    EXPECT_TRUE(scan.items.empty());
    EXPECT_EQ(scan.chosen, -1);
    EXPECT_FALSE(scan.described);

    scan = scan_drives_for_images({"C:\\sys.WIM", "C:\\kept.iso"});
    EXPECT_EQ(scan.items, Lines{"C:\\sys.WIM"});
    EXPECT_EQ(choose_scanned_item({"C:\\a.wim", "D:\\B.GHO"}, "d:\\b.gho"), 1);
}

TEST_F(ImageFiles, SmallImagesAreThoseUnder100WholeMegabytes) {
    image("C:\\exact.gho", 100 * kMiB);
    image("C:\\under.gho", 100 * kMiB - 1024);
    image("C:\\byte.gho", 100 * kMiB - 1);  // 102399 KB once truncated
    EXPECT_EQ(drop_small_images(
                  {"C:\\exact.gho", "C:\\under.gho", "C:\\byte.gho", "C:\\missing.gho", ""}),
              Lines{"C:\\exact.gho"});
}

TEST(ImageDetailsLines, LocationTypeSizeAndTime) {
    std::string p30 = "D:\\" + std::string(23, 'a') + ".gho";  // 30 bytes
    ASSERT_EQ(p30.size(), 30u);
    EXPECT_EQ(image_location_line(p30), "位置： " + p30);
    std::string p31 = "D:\\Backup\\" + std::string(17, 'b') + ".gho";
    ASSERT_EQ(p31.size(), 31u);
    EXPECT_EQ(image_location_line(p31), "位置： D:\\Backup\\..." + p31.substr(13));
    // Cuts fall between characters: no half of a double-byte character is shown.
    EXPECT_EQ(image_location_line("D:\\镜像文件夹甲\\系统镜像文件.gho"),
              "位置： D:\\镜像文...\\系统镜像文件.gho");

    struct TypeRow {
        const char* path;
        const char* line;
    } types[] = {{"a.GHO", "类型： Ghost 映像文件"}, {"a.Gho", "类型： Ghost 映像文件"},
                 {"a.wim", "类型： WIM 映像文件"},   {"a.SWM", "类型： SWM 分卷映像文件"},
                 {"a.iso", "类型： ISO 映像文件"},   {"a.exe", ""}};
    for (const TypeRow& r : types) EXPECT_EQ(image_type_line(r.path), r.line) << r.path;

    struct SizeRow {
        std::int64_t kb;
        const char* line;
    } sizes[] = {{4096 * 1024, "大小： 4096 MB"},
                 {4097 * 1024, "大小：  > 4096 MB"},
                 {5000 * 1024, "大小：  > 4096 MB"},
                 {1536, "大小： 1.5 MB"},
                 {150 * 1024 + 256, "大小： 150.25 MB"},
                 {102401, "大小： 100 MB"},
                 {0, "大小： 0 MB"}};
    for (const SizeRow& r : sizes) EXPECT_EQ(image_size_line(r.kb), r.line) << r.kb;

    fakes::FakeOs fake;
    fake.files.add_file_of_size("D:\\win7.GHO", 3 * kMiB / 2);
    fake.files.entry("D:\\win7.GHO")->times.created = {2024, 3, 9, 7, 5, 1};
    ImageDetails d = image_details("D:\\win7.GHO");
    EXPECT_EQ(d.location, "位置： D:\\win7.GHO");
    EXPECT_EQ(d.type, "类型： Ghost 映像文件");
    EXPECT_EQ(d.size, "大小： 1.5 MB");
    EXPECT_EQ(d.time, "时间： 2024-03-09 07:05:01");
    EXPECT_TRUE(is_described_in_combo("x.wim"));
    EXPECT_FALSE(is_described_in_combo("x.SWM"));
}

TEST(SearchDepth, NumbersTruncatedAndEverythingElseRootsOnly) {
    struct Row {
        const char* text;
        int depth;
    } rows[] = {{"3", 3},   {"-1", -1}, {"0", 0},  {"-4", -4},   {"", 0},    {"abc", 0},
                {"2.9", 2}, {" 4", 4},  {"4x", 4}, {"-1.5", -1}, {"inf", 0}, {"1e12", 2147483647}};
    for (const Row& r : rows) EXPECT_EQ(parse_search_depth(r.text), r.depth) << r.text;
}

TEST_F(ImageFiles, SearchListsLargeHitsWithASummaryOrExplainsWhyNone) {
    fake.drives.add("C:\\", os::kDriveFixed);
    fake.drives.add("D:\\", os::kDriveFixed);
    image("C:\\a.Gho");
    image("D:\\x\\y\\b.gho");
    image("D:\\x\\y\\z\\deep.gho");
    image("D:\\tiny.gho", 1024);
    image("D:\\disc.iso", 10 * kMiB);

    EXPECT_EQ(search_result_lines("*.Gho", "3"),
              (Lines{"C:\\a.Gho", "D:\\x\\y\\b.gho", "搜索3层目录完成，共搜索到2个Gho文件。"}));
    EXPECT_EQ(search_result_lines("*.Gho", "-1"),
              (Lines{"C:\\a.Gho", "D:\\x\\y\\b.gho", "D:\\x\\y\\z\\deep.gho",
                     "搜索-1层目录完成，共搜索到3个Gho文件。"}));
    EXPECT_EQ(search_result_lines("*.Gho", "x"),
              (Lines{"C:\\a.Gho", "搜索x层目录完成，共搜索到1个Gho文件。"}));
    // A depth beyond every folder (the largest number the box can mean) walks them all.
    EXPECT_EQ(search_result_lines("*.Gho", "99999999999"),
              (Lines{"C:\\a.Gho", "D:\\x\\y\\b.gho", "D:\\x\\y\\z\\deep.gho",
                     "搜索99999999999层目录完成，共搜索到3个Gho文件。"}));
    // Hits that are all too small: the summary counts none, the explanation is not shown.
    EXPECT_EQ(search_result_lines("*.ISO", "3"), Lines{"搜索3层目录完成，共搜索到0个ISO文件。"});
    EXPECT_EQ(search_result_lines("*.SWM", "3"),
              (Lines{"经过搜索，未发现 SWM 映像文件。", "", "可能原因如下：",
                     "1、设定的目录层数过小。", "2、硬盘中不存在 SWM 映像文件。"}));
    EXPECT_EQ(std::string(kSearchingText), "正在搜索文件，请稍候.....");
    EXPECT_EQ(std::string(kSearchDoneText), "搜索文件完成！");
}

TEST_F(ImageFiles, RecursiveListerSkipsDotFoldersAndFilters) {
    image("M:\\sources\\install.wim");
    image("M:\\GHOST\\SYS.GHO");
    image("M:\\GHOST\\deep\\deeper\\x\\Data.gho");
    image("M:\\.hidden\\9.GHO");
    image("M:\\readme.txt");
    EXPECT_EQ(find_files_recursive("M:", "*.Gho", true, "", false, true),
              (Lines{"M:\\GHOST\\SYS.GHO", "M:\\GHOST\\deep\\deeper\\x\\Data.gho"}));
    EXPECT_EQ(find_files_recursive("M:\\", "*.Gho", true, "DATA", true, false), Lines{"Data.gho"});
    Lines seen;
    Lines all = find_files_recursive("M:\\", "", false, "", true, false,
                                     [&seen](const std::string& p) { seen.push_back(p); });
    EXPECT_EQ(all, (Lines{"readme.txt", "install.wim", "SYS.GHO", "Data.gho"}));
    EXPECT_EQ(seen.front(), "M:\\readme.txt");
}

}  // namespace
}  // namespace qv
