#include <gtest/gtest.h>

#include <random>

#include "base/helpers.h"
#include "base/regex_object.h"
#include "base/text_between_all.h"

namespace qv {
namespace {

std::vector<std::string> between(const std::string& subject, const std::string& left,
                                 const std::string& right) {
    std::vector<std::string> texts{"stale"};
    int n = text_between_all(subject, left, right, texts);
    EXPECT_EQ(n, static_cast<int>(texts.size()));
    return texts;
}

using Texts = std::vector<std::string>;

TEST(TextBetweenAll, FollowsTheGlobalLazyMatchRules) {
    struct Row {
        std::string subject, left, right;
        Texts expected;
    } rows[] = {
        {"", "A", "B", {}},
        {"no markers here", "A", "B", {}},
        {"xxAyy", "A", "B", {}},  // no right marker after the left one
        {"[   5% ] Applying progress\r\n[  12% ] Applying progress",
         "[ ",
         "% ] Applying",
         {"  5", " 12"}},
        {"A1A2B", "A", "B", {"1A2"}},
        {"\"a\"b\"c\"", "#引号", "#引号", {"a", "c"}},  // b's quote was used as a closing marker
        {"xABy", "A", "B", {""}},
        {"A1\r\n2B", "A", "B", {"1\r\n2"}},
        {"<NAME>Windows 7</NAME>", "<name>", "/name>", {"Windows 7<"}},
        {"1x0a;1.0b;", "1.0", ";", {"a", "b"}},  // "." is any character
        {"v\nA\nxB", "v\r\n", "B", {"A\nx"}},
        {"v\r\nA\nxB", "v\r\n", "B", {}},  // the marker's line end is a single line feed
        {"a^b", "^", "b", {"a^"}},         // "^" is a line start, not a character
        {"x\ny\nz", "^", "$", {"x", "y", "z"}},
        {"(1) (2)", "(", ")", {"1", "2"}},  // escaped: brackets are literal
        {"a+b*c?d", "+", "?", {"b*c"}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(between(r.subject, r.left, r.right), r.expected)
            << r.subject << " / " << r.left << " / " << r.right;
}

TEST(TextBetweenAll, WalksCodePage936ByCharacter) {
    const std::string trail_bracket = "\x81[";  // a character whose trail byte is '['
    const std::string trail_a =
        "\x81"
        "A";
    EXPECT_EQ(between(trail_bracket + " 7% ] Applying", "[ ", "% ] Applying"), Texts{});
    EXPECT_EQ(between("[ " + trail_bracket + "% ] Applying", "[ ", "% ] Applying"),
              Texts{trail_bracket});
    EXPECT_EQ(between("x" + trail_a + "yaz", "a", "z"), Texts{""});  // not from the trail 'A'

    EXPECT_EQ(between("提示：版本一；版本二；", "版本", "；"), (Texts{"一", "二"}));
    // Letters fold, double-byte characters compare exactly.
    EXPECT_EQ(between("<Name>旗舰版</NAME>", "<NAME>", "/name>"), Texts{"旗舰版<"});
    EXPECT_EQ(between("成功", "\xB3", "\xB9"), Texts{});
}

TEST(TextBetweenAll, RefusesWhatIsNoMarker) {
    std::vector<std::string> texts{"old"};
    EXPECT_EQ(text_between_all("a\\(b)", "a\\", ")", texts), 0);  // would escape the group
    EXPECT_TRUE(texts.empty());
    // Refused before the text is looked at: a zero byte after the backslash does not match it.
    EXPECT_EQ(text_between_all(std::string("a\0b)", 4), "a\\", ")", texts), 0);
    EXPECT_EQ(text_between_all("a|b", "a|", "b", texts), 0);
    EXPECT_EQ(text_between_all("1a2", "\\1", "2", texts), 0);
    // Escapes that stay characters or classes.
    EXPECT_EQ(between("a.b x7y", "\\.", " "), Texts{"b"});
    EXPECT_EQ(between("x7y", "x\\d", "y"), Texts{""});
}

TEST(TextBetweenAll, EmptyMarkersEndAndCountEveryPlace) {
    EXPECT_EQ(between("ab", "", "").size(), 3u);
    EXPECT_EQ(between("提示", "", "").size(), 3u);
    EXPECT_EQ(between("a-b-", "", "-"), (Texts{"a", "b"}));
}

TEST(TextBetweenAll, ShapesMembersOnRequest) {
    std::vector<std::string> texts;
    EXPECT_EQ(text_between_all("<ab><abcd>", "<", ">", texts, 3), 1);
    EXPECT_EQ(texts, Texts{"ab"});
    EXPECT_EQ(text_between_all("<abc><abcd>", "<", ">", texts, 3), 1);  // the limit itself is kept
    EXPECT_EQ(texts, Texts{"abc"});
    EXPECT_EQ(text_between_all("#x#", "#", "#", texts, 0, "[", "]", true, true), 1);
    EXPECT_EQ(texts, Texts{"#[x]#"});
    std::string last = "kept";
    EXPECT_FALSE(last_text_between("none", "[ ", "% ] Applying", last));
    EXPECT_EQ(last, "kept");
    EXPECT_TRUE(last_text_between("[ 1% ] Applying [ 2% ] Applying", "[ ", "% ] Applying", last));
    EXPECT_EQ(last, "2");
    EXPECT_TRUE(last_text_between("[ 1% ] Applying [ % ] Applying", "[ ", "% ] Applying", last));
    EXPECT_EQ(last, "");
}

// The same search written plainly with the character-walking find of the shared helpers, for
// literal markers: the matcher's quick scan must agree with it on text full of double-byte
// characters whose trail bytes look like the markers.
std::vector<std::string> plain_between(const std::string& s, const std::string& l,
                                       const std::string& r) {
    std::vector<std::string> out;
    int pos = 1;
    for (;;) {
        int at = find_text(s, l, pos, true);
        if (at == -1) break;
        int begin = at + static_cast<int>(l.size());
        int end = begin > static_cast<int>(s.size()) ? -1 : find_text(s, r, begin, true);
        if (end == -1) break;
        out.push_back(
            s.substr(static_cast<std::size_t>(begin - 1), static_cast<std::size_t>(end - begin)));
        pos = end + static_cast<int>(r.size());
    }
    return out;
}

TEST(TextBetweenAll, AgreesWithAPlainCharacterWalkOnMixedText) {
    const std::vector<std::string> pieces = {"[",        " ",        "%",     "]",     "a",
                                             "A",        "p",        "\x81[", "\x81p", "\xB0\xA1",
                                             "\xA1\xA1", "\x81\x81", "\r\n",  "5"};
    const std::vector<std::string> markers = {"[ ", "% ]", "p", "A", "\x81[", "\xB0\xA1", "]"};
    std::mt19937 random(936);
    for (int round = 0; round < 3000; ++round) {
        std::string subject;
        int length = static_cast<int>(random() % 30);
        for (int i = 0; i < length; ++i) subject += pieces[random() % pieces.size()];
        const std::string& l = markers[random() % markers.size()];
        const std::string& r = markers[random() % markers.size()];
        std::vector<std::string> texts;
        text_between_all(subject, l, r, texts);
        ASSERT_EQ(texts, plain_between(subject, l, r)) << subject << " / " << l << " / " << r;
    }
}

// The resumed search against the whole-text search, after every append to a text that grows
// in random pieces: markers split across appends, double-byte characters split between two
// appends, letters in either case, marker pieces with pattern meaning, and the text emptied now
// and then as the console box is at its limit.
TEST(TextBetweenSearch, AgreesWithTheWholeTextSearchAfterEveryAppend) {
    const std::vector<std::string> pieces = {"[ ",        "[",         " ",        "% ] Applying",
                                             "% ] apply", "APPLYING",  "% ]",      "progress:",
                                             "PROGRESS",  "remaining", "remain",   " 45",
                                             "7",         "\r\n",      "\n",       "x",
                                             "\x81[",     "\x81",      "\xB0\xA1", "\xA1\xA1",
                                             "成功",      "版本",      "^",        "$",
                                             ".",         "a",         "A",        "b"};
    const std::vector<std::string> markers = {
        "[ ",   "% ] Applying", "progress:", "remaining", "A", "b", "\x81[", "\xB0\xA1",
        "成功", "a.b",          "x\\d",      "^",         "$", "",  "\r\n",  ".",
        "a^",   "b$",           "\\",        "% ]"};
    std::mt19937 random(2024);
    for (int round = 0; round < 400; ++round) {
        const std::string& l = markers[random() % markers.size()];
        const std::string& r = markers[random() % markers.size()];
        std::string stream;
        while (stream.size() < 400) stream += pieces[random() % pieces.size()];
        TextBetweenSearch search(l, r);
        EXPECT_TRUE(search.searches_for(l, r));
        std::string text;
        std::size_t at = 0;
        while (at < stream.size()) {
            bool emptied = random() % 40 == 0;
            if (emptied) text.clear();
            std::size_t n = std::min<std::size_t>(1 + random() % 9, stream.size() - at);
            text.append(stream, at, n);
            at += n;
            search.update(text, emptied);
            std::vector<std::string> all;
            int count = text_between_all(text, l, r, all);
            ASSERT_EQ(search.count(), count) << text << " / " << l << " / " << r;
            std::string last = "none", expected = "none";
            EXPECT_EQ(search.last(text, last), last_text_between(text, l, r, expected));
            ASSERT_EQ(last, expected) << text << " / " << l << " / " << r;
        }
    }
}

TEST(TextBetweenSearch, StartsAgainWhenTheTextWasEmptied) {
    TextBetweenSearch search("[ ", "% ] Applying");
    std::string box = "[  5% ] Applying progress\r\n[ 12% ] Appl";
    search.update(box);
    std::string last;
    ASSERT_TRUE(search.last(box, last));
    EXPECT_EQ(last, " 5");
    box += "ying progress\r\n";
    search.update(box);
    ASSERT_TRUE(search.last(box, last));
    EXPECT_EQ(last, "12");
    EXPECT_EQ(search.count(), 2);
    // Emptied and filled again past its old length: only the restart tells.
    box = std::string(60, 'z') + "[ 13% ] Applying";
    search.update(box, true);
    EXPECT_EQ(search.count(), 1);
    ASSERT_TRUE(search.last(box, last));
    EXPECT_EQ(last, "13");
    // A shorter text cannot extend the last one: the search starts again by itself.
    box = "[ 14";
    search.update(box);
    EXPECT_EQ(search.count(), 0);
    last = "kept";
    EXPECT_FALSE(search.last(box, last));
    EXPECT_EQ(last, "kept");
    // Markers that are no pattern piece find nothing, as text_between_all does.
    TextBetweenSearch refused("a\\", ")");
    refused.update("a\\(b)");
    EXPECT_EQ(refused.count(), 0);
    TextBetweenSearch none;
    none.update("[ 1% ] Applying");
    EXPECT_EQ(none.count(), 0);
}

TEST(RegexEscape, EscapesTheTableInOrder) {
    EXPECT_EQ(regex_escape("?*+[](){}"), "\\?\\*\\+\\[\\]\\(\\)\\{\\}");
    EXPECT_EQ(regex_escape("a#引号b\r\nc"), "a\"b\\nc");
    EXPECT_EQ(regex_escape(".^$|\\"), ".^$|\\");
    EXPECT_EQ(regex_escape("\x81[\x81]"), "\x81[\x81]");  // trail bytes are not brackets
}

}  // namespace
}  // namespace qv
