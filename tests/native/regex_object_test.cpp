#include <gtest/gtest.h>

#include "base/regex_object.h"
#include "fakes/fake_os.h"

namespace qv {
namespace {

TEST(RegexObject, WritesFlagsAndPatternAndReadsMatchesFromOne) {
    fakes::FakeOs fake;
    fake.com.next.matches = {{"a1", 2, {"1"}}, {"b22", 6, {"22", ""}}};
    {
        RegexObject r;
        ASSERT_TRUE(r.regex_create("x#引号(\\d+)", "..a1..b22", false, true, true, true));
        const fakes::FakeRegExpScript& s = *fake.com.made.back();
        EXPECT_TRUE(s.ignore_case);
        EXPECT_TRUE(s.multiline);
        EXPECT_TRUE(s.global);
        EXPECT_EQ(s.pattern, "x\"(\\d+)");
        EXPECT_EQ(r.regex_get_pattern(), "x\"(\\d+)");
        EXPECT_EQ(r.regex_match_count(), 2);
        int position = 0;
        EXPECT_EQ(r.regex_match_text(2, &position), "b22");
        EXPECT_EQ(position, 6);
        EXPECT_EQ(r.regex_submatch_text(2, 1, &position), "22");
        EXPECT_EQ(position, 7);
        EXPECT_EQ(r.regex_submatch_count(), 1);
        EXPECT_EQ(r.regex_match_text(3, &position), "");
        EXPECT_EQ(position, -2);
        EXPECT_EQ(r.regex_submatch_text(1, 5), "");

        ASSERT_TRUE(r.regex_create("p", "s", true, false, false));
        EXPECT_FALSE(fake.com.made.back()->ignore_case);
        EXPECT_FALSE(fake.com.made.back()->global);
        EXPECT_EQ(fake.com.alive_objects(), 1);  // the earlier object was released
    }
    EXPECT_EQ(fake.com.alive_objects(), 0);
    EXPECT_EQ(fake.com.initialized, 1);
    EXPECT_EQ(fake.com.uninitialized, 1);
}

TEST(RegexObject, PositionsAreByteOffsetsOfTheCodePage936Subject) {
    fakes::FakeOs fake;
    // FirstIndex counts UTF-16 units: "提示" is two units but four bytes.
    fake.com.next.matches = {{"ab", 2, {}}};
    RegexObject r;
    ASSERT_TRUE(r.regex_create("ab", "提示ab"));
    int position = 0;
    EXPECT_EQ(r.regex_match_text(1, &position), "ab");
    EXPECT_EQ(position, 4);
}

TEST(RegexObject, FailsQuietlyWithoutTheClassOrOnARefusedPattern) {
    fakes::FakeOs fake;
    fake.com.class_registered = false;
    RegexObject missing;
    EXPECT_FALSE(missing.regex_create("a", "a"));
    EXPECT_EQ(missing.regex_match_count(), 0);
    EXPECT_EQ(missing.regex_get_pattern(), "");
    EXPECT_EQ(missing.regex_replace("x"), "");

    fake.com.class_registered = true;
    fake.com.next.refuse = true;
    RegexObject refused;
    EXPECT_FALSE(refused.regex_create("(", "a"));
    EXPECT_EQ(refused.regex_match_count(), 0);
    EXPECT_EQ(refused.regex_submatch_count(), 0);
}

TEST(RegexObject, CopiesShareTheObjectsAndBalanceOnlyTheirOwnSetUp) {
    fakes::FakeOs fake;
    fake.com.next.matches = {{"a", 0, {}}};
    fake.com.next.replaced = "X";
    {
        RegexObject r;
        ASSERT_TRUE(r.regex_create("a", "a"));
        RegexObject copy(r);
        EXPECT_EQ(fake.com.made.size(), 1u);
        EXPECT_EQ(copy.regex_match_text(1), "a");
        EXPECT_EQ(copy.regex_replace("X"), "X");
        EXPECT_EQ(fake.com.made.back()->replacements, std::vector<std::string>{"X"});
    }
    EXPECT_EQ(fake.com.alive_objects(), 0);
    EXPECT_EQ(fake.com.uninitialized, 2);

    // A thread already set up for COM in another mode: nothing of ours to undo.
    fake.com.init_balanced = false;
    { RegexObject r; }
    EXPECT_EQ(fake.com.initialized, 3);
    EXPECT_EQ(fake.com.uninitialized, 2);
}

TEST(WideBytes, CrossCodePage936BothWays) {
    fakes::FakeOs fake;
    EXPECT_EQ(text_to_wide_bytes(""), "");
    EXPECT_EQ(text_to_wide_bytes("A提"), std::string("A\0\xD0\x63\0\0", 6));
    EXPECT_EQ(text_to_wide_bytes("A", true), std::string("A\0", 2));
    EXPECT_EQ(wide_bytes_to_text(std::string("A\0\xD0\x63", 4)), "A提");
    EXPECT_EQ(wide_bytes_to_text(std::string("A\0\0\0B\0", 6)), "A");        // ends at the zero
    EXPECT_EQ(wide_bytes_to_text(std::string("\x3D\xD8\x00\xDE", 4)), "?");  // no form in 936
}

}  // namespace
}  // namespace qv
