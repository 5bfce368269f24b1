#include <gtest/gtest.h>

#include "base/helpers.h"
#include "fakes/fake_os.h"

namespace qv {
namespace {

// A double-byte character whose trail byte is 'A', and one whose trail byte is '\'.
const std::string kTrailA = "\x81\x41";
const std::string kTrailSlash = "\x95\x5c";

TEST(FindText, WalksByCharacter) {
    struct Row {
        std::string text, sought;
        int start;
        bool ignore_case;
        int expected;
    } rows[] = {
        {"abcabc", "c", 1, false, 3},
        {"abcabc", "c", 4, false, 6},
        {"abcabc", "c", -5, false, 3},
        {"abc", "", 1, false, -1},
        {"", "a", 1, false, -1},
        {"abc", "abcd", 1, false, -1},
        {"ABC", "b", 1, false, -1},
        {"ABC", "b", 1, true, 2},
        {kTrailA + "A", "A", 1, false, 3},  // never the trail byte
        {kTrailA, "A", 1, false, -1},
        {kTrailA, "a", 1, true, -1},  // trail bytes are not folded into a match
        {"x" + kTrailA + "y", kTrailA + "Y", 1, true, 2},
        {"提示提示", "示", 2, false, 3},  // start on a trail byte moves to the next character
        {"位置：", "：", 1, false, 5},
        {"x" + kTrailA, "\x81\x61", 1, true, -1},  // nor is a trail byte of the sought text
    };
    for (const Row& r : rows)
        EXPECT_EQ(find_text(r.text, r.sought, r.start, r.ignore_case), r.expected)
            << r.text << " / " << r.sought << " from " << r.start;
}

TEST(TextBetween, TakesFirstPairAndQuoteMarker) {
    struct Row {
        std::string text, left, right;
        std::string expected;
    } rows[] = {
        {"<NAME>Win7</NAME>", "<NAME>", "</NAME>", "Win7"},
        {"a=\"x\" b=\"y\"", "b=#引号", "#引号", "y"},
        {"]end[ start", "[", "]", ""},  // right marker only before the left one
        {"no markers", "<", ">", ""},
        {"<a><b>", "<", ">", "a"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(text_between(r.text, r.left, r.right), r.expected) << r.text;
    EXPECT_EQ(text_before("Imagex.exe /INFO x", " "), "Imagex.exe");
    EXPECT_EQ(text_before("abc", "z"), "");
}

TEST(ReplaceMany, AppliesPairsInOrder) {
    EXPECT_EQ(replace_many("1：2", {{"：", ":"}}), "1:2");
    EXPECT_EQ(replace_many("abc", {{"a", "b"}, {"b", "c"}}), "ccc");
    EXPECT_EQ(replace_many("abc", {{"", "x"}}), "abc");
    // A trail byte equal to the sought byte is left alone.
    EXPECT_EQ(replace_all(kTrailSlash + "\\", "\\", "/"), kTrailSlash + "/");
}

TEST(PathParts, SplitByCharacter) {
    struct Row {
        std::string path;
        std::string title, title_with_ext, ext;
    } rows[] = {
        {"D:\\Backup\\win7.GHO", "win7", "win7.GHO", ".GHO"},
        {"D:\\a.b\\noext", "noext", "noext", ""},
        {"D:\\" + kTrailSlash + ".gho", kTrailSlash, kTrailSlash + ".gho", ".gho"},
        {"D:\\dir\\" + kTrailSlash, kTrailSlash, kTrailSlash, ""},
        {"file.tar.gz", "file.tar", "file.tar.gz", ".gz"},
        {"D:\\my file. x", "my file. x", "my file. x", ""},
        // A name of 256 bytes or more has no title.
        {"D:\\" + std::string(255, 'n'), std::string(255, 'n'), std::string(255, 'n'), ""},
        {"D:\\" + std::string(256, 'n'), "", "", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(get_file_title(r.path), r.title) << r.path;
        EXPECT_EQ(get_file_title(r.path, true), r.title_with_ext) << r.path;
        EXPECT_EQ(path_extension(r.path), r.ext) << r.path;
    }
    EXPECT_EQ(drive_root_of_path("D:\\x\\y.gho"), "D:\\");
    // A folder that ends in a character whose trail byte is '\' still gets its backslash.
    EXPECT_EQ(with_trailing_backslash("D:\\" + kTrailSlash), "D:\\" + kTrailSlash + "\\");
    EXPECT_EQ(with_trailing_backslash("D:\\a\\"), "D:\\a\\");
    EXPECT_EQ(upper_ascii("a" + kTrailA + "b"), "A" + kTrailA + "B");
    EXPECT_EQ(lower_ascii("\x81\x5a"), "\x81\x5a");  // a trail 'Z' stays
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    struct Row {
        double value;
        int decimals;
        double expected;
    } rows[] = {
        {2.345, 2, 2.34}, {2.355, 2, 2.36},    {2.3449, 2, 2.34},       {2.3451, 2, 2.35},
        {0.125, 2, 0.12}, {0.135, 2, 0.14},    {2.3449999995, 2, 2.34}, {1.5, 0, 2.0},
        {2.5, 0, 2.0},    {4096.0, 2, 4096.0}, {1.005, 2, 1.0},
    };
    for (const Row& r : rows)
        EXPECT_NEAR(round_half_even(r.value, r.decimals), r.expected, 1e-9) << r.value;
    EXPECT_EQ(number_text(2.5), "2.5");
    EXPECT_EQ(number_text(3.0), "3");
    EXPECT_EQ(number_text(round_half_even(1536.0 / 1024, 2)), "1.5");
}

TEST(FileFacts, SizesTimesFoldersAndDrives) {
    fakes::FakeOs fake;
    fake.files.add_file_of_size("D:\\a.gho", 100 * 1024);
    fake.files.add_file_of_size("D:\\b.gho", 1023);
    fake.files.add_file_of_size("D:\\c.gho", 4LL * 1024 * 1024 * 1024);
    EXPECT_EQ(file_size("D:\\a.gho"), 100);
    EXPECT_EQ(file_size("D:\\b.gho"), 0);
    EXPECT_EQ(file_size("D:\\c.gho"), 4194304);
    EXPECT_EQ(file_size("D:\\missing.gho"), 0);

    fake.files.windows = "X:\\WINDOWS";
    fake.files.system = "X:\\WINDOWS\\system32\\";
    EXPECT_EQ(windows_dir(), "X:\\WINDOWS\\");
    EXPECT_EQ(system_dir(), "X:\\WINDOWS\\system32\\");
    fake.files.special[16] = "X:\\Users\\Default\\Desktop";
    EXPECT_EQ(desktop_dir(), "X:\\Users\\Default\\Desktop\\");
    EXPECT_EQ(special_folder_path(9), "X:\\WINDOWS\\");
    EXPECT_EQ(special_folder_path(99), "");

    fakes::FakeFileSystem::Entry* e = fake.files.entry("D:\\a.gho");
    e->times.created = {2026, 1, 2, 3, 4, 5};
    e->times.written = {2026, 12, 31, 23, 59, 59};
    e->times.accessed = {2026, 2, 3, 0, 0, 0};
    std::string created = "keep", written = "keep", accessed = "keep";
    file_time_text("D:\\missing.gho", created, written, accessed);
    EXPECT_EQ(created, "keep");
    file_time_text("D:\\a.gho", created, written, accessed);
    EXPECT_EQ(created, "2026-01-02 03:04:05");
    EXPECT_EQ(written, "2026-12-31 23:59:59");
    EXPECT_EQ(accessed, "2026-02-03 ");

    fake.files.add_folder("Y:\\");
    EXPECT_TRUE(drive_exists("Y"));
    EXPECT_FALSE(drive_exists("Z"));
}

}  // namespace
}  // namespace qv
