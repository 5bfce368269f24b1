// The regular-expression object through the system's "VBScript.RegExp", and the between-markers
// matcher checked against that object on the same markers.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/regex_object.h"
#include "base/text_between_all.h"
#include "jobs/answer_files.h"
#include "win32_os.h"

namespace qv {
namespace {

class ComRegex : public ::testing::Test {
protected:
    void SetUp() override { win32::install_win32_os(); }
};

TEST_F(ComRegex, ExecutesReplacesAndFindsBytePositions) {
    RegexObject r;
    ASSERT_TRUE(r.regex_create("(\\d+)%", "提示 5% and 12%"));
    EXPECT_EQ(r.regex_get_pattern(), "(\\d+)%");
    ASSERT_EQ(r.regex_match_count(), 2);
    int position = 0;
    EXPECT_EQ(r.regex_match_text(2, &position), "12%");
    EXPECT_EQ(position, 12);  // "提示" is four bytes but two UTF-16 units
    EXPECT_EQ(r.regex_submatch_text(2, 1, &position), "12");
    EXPECT_EQ(position, 12);
    EXPECT_EQ(r.regex_submatch_count(), 1);
    EXPECT_EQ(r.regex_replace("[$1]"), "提示 [5] and [12]");

    ASSERT_TRUE(r.regex_create("ABC", "xabc"));  // case ignored by default
    EXPECT_EQ(r.regex_match_count(), 1);
    ASSERT_TRUE(r.regex_create("ABC", "xabc", true));
    EXPECT_EQ(r.regex_match_count(), 0);
    ASSERT_TRUE(r.regex_create("a#引号", "a\"", false, true, true, true));
    EXPECT_EQ(r.regex_match_count(), 1);
    EXPECT_FALSE(r.regex_create("(", "a"));
    EXPECT_EQ(r.regex_match_count(), 0);
}

TEST_F(ComRegex, BetweenMarkersMatcherAgreesWithThePlatformObject) {
    struct Row {
        std::string subject, left, right;
    } rows[] = {
        // (Markers that can match empty everywhere are left out: Wine's object loops on them.)
        {"[   5% ] Applying progress\r\n[  12% ] Applying progress: 4:22 mins remaining", "[ ",
         "% ] Applying"},
        {"[  45% ] Applying progress: 4:22 mins remaining", "progress:", "remaining"},
        {"A1A2B", "A", "B"},
        {"\"a\"b\"c\"", "#引号", "#引号"},
        {"xABy", "A", "B"},
        {"A1\r\n2B", "A", "B"},
        {"<NAME>Windows 7</NAME><name>旗舰版</name>", "<name>", "/name>"},
        {"1x0a;1.0b;", "1.0", ";"},
        {"v\nA\nxB v\r\nC", "v\r\n", "B"},
        {"x\ny\r\nz", "^x", "$"},
        {"提示：版本一；版本二；", "版本", "；"},
        {"a.b x7y", "\\.", " "},
        {"(1) {2} [3]", "(", ")"},
        {"a-b-", "", "-"},
        {"A\tB\xA1\xA1"
         "C",
         "\\s", "C"},
    };
    for (const Row& r : rows) {
        RegexObject object;
        ASSERT_TRUE(object.regex_create(
            regex_escape(r.left) + "([\\s\\S]*?)" + regex_escape(r.right), r.subject))
            << r.subject << " / " << r.left << " / " << r.right;
        std::vector<std::string> expected;
        for (int i = 1; i <= object.regex_match_count(); ++i)
            expected.push_back(object.regex_submatch_text(i, 1));
        std::vector<std::string> texts;
        text_between_all(r.subject, r.left, r.right, texts);
        EXPECT_EQ(texts, expected) << r.subject << " / " << r.left << " / " << r.right;
    }
}

TEST_F(ComRegex, WideBytesCrossCodePage936) {
    EXPECT_EQ(text_to_wide_bytes("A提"), std::string("A\0\xD0\x63\0\0", 6));
    EXPECT_EQ(text_to_wide_bytes("A提", true), std::string("A\0\xD0\x63", 4));
    EXPECT_EQ(text_to_wide_bytes(""), "");
    EXPECT_EQ(wide_bytes_to_text(std::string("A\0\xD0\x63\0\0", 6)), "A提");
    EXPECT_EQ(wide_bytes_to_text(std::string("A\0\xD0\x63", 4)), "A提");  // no terminator given
    EXPECT_EQ(wide_bytes_to_text(std::string("\x3D\xD8\x00\xDE", 4)).find_first_not_of('?'),
              std::string::npos);
}

TEST_F(ComRegex, BinaryTypeOfThisProgram) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    char path[MAX_PATH * 2];
    WideCharToMultiByte(936, 0, exe, -1, path, sizeof path, nullptr, nullptr);
    EXPECT_EQ(binary_type_of(path), sizeof(void*) == 4 ? 0 : 6);
    EXPECT_EQ(binary_type_of("C:\\no\\such\\file.exe"), -1);
}

}  // namespace
}  // namespace qv
