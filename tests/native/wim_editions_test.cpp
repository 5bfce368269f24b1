#include <gtest/gtest.h>

#include "fakes/fake_os.h"
#include "fixture_files.h"
#include "jobs/imagex_commands.h"
#include "jobs/wim_editions.h"

namespace qv {
namespace {

using testing_fixtures::read_fixture;
using Items = std::vector<std::string>;

TEST(WimEditions, ReadsTheEditionTableOfRecordedOutput) {
    fakes::FakeOs fake;
    struct Row {
        const char* fixture;
        Items expected;
    } rows[] = {
        {"four_editions.txt",
         {"1: Windows 7 家庭普通版(Windows 7 HOMEBASIC)",
          "2: Windows 7 家庭高级版(Windows 7 HOMEPREMIUM)",
          "3: Windows 7 专业版(Windows 7 PROFESSIONAL)",
          "4: Windows 7 旗舰版(Windows 7 ULTIMATE)"}},
        {"no_display_names.txt", {"1: C_BAK", "2: D_BAK"}},
        // The second image has no display name: it keeps its own name, and the third keeps its own
        // display name rather than sliding up to the second.
        {"missing_display_name.txt",
         {"1: Windows 7 家庭普通版(Windows 7 HOMEBASIC)", "2: C_BAK",
          "3: Windows 7 旗舰版(Windows 7 ULTIMATE)"}},
        {"question_marks.txt",
         {"1: Windows 7 ????版(Windows 7 ULTIMATE)", "2: Windows 7 Pro版(Windows 7 PROFESSIONAL)"}},
        {"split_set.txt", {"1: Windows 7 旗舰版(Windows 7 ULTIMATE)"}},
        {"percent_at_end.txt", {"1: Rescue 5%2(Rescue 100%)"}},
        // Cut off inside the second image's name: the first is still offered.
        {"truncated.txt", {"1: Windows 7 家庭普通版(Windows 7 HOMEBASIC)"}},
        {"open_error.txt", {}},
    };
    for (const Row& r : rows) {
        std::string output = read_fixture(std::string("wim_info/") + r.fixture);
        ASSERT_FALSE(output.empty()) << r.fixture;
        EXPECT_EQ(parse_wim_info_xml(output), r.expected) << r.fixture;
    }
}

TEST(WimEditions, ReadsNamesWithoutElementStructureByPosition) {
    fakes::FakeOs fake;
    EXPECT_EQ(parse_wim_info_xml("<NAME>A</NAME><NAME>B</NAME><DISPLAYNAME>Alpha</DISPLAYNAME>"),
              (Items{"1: Alpha(A)", "2: B"}));
    EXPECT_EQ(parse_wim_info_xml("<name>x%3C%41</name>"),
              Items{"1: xA"});  // "<" removed after decoding
    EXPECT_EQ(parse_wim_info_xml("<DISPLAYNAME>only</DISPLAYNAME>"), Items{});
    EXPECT_EQ(parse_wim_info_xml("<IMAGE INDEX=\"1\"><DISPLAYNAME>x</DISPLAYNAME></IMAGE>"),
              Items{});
    EXPECT_EQ(parse_wim_info_xml("<NAME>Open"), Items{});
}

TEST(UrlDecode, DecodesEscapesAsUtf8IntoCodePage936) {
    fakes::FakeOs fake;
    struct Row {
        std::string in, out;
    } rows[] = {
        {"%E6%97%97", "旗"}, {"a%20b%2fc", "a b/c"},  {"100%", "100%"}, {"5%2", "5%2"},
        {"%zz%4", "%zz%4"},  {"%F0%9F%98%80x", "?x"},                  // no form in code page 936
        {"%C3", "?"},                                                  // a sequence cut short
        {"%E6%97", "?"},     {"%FFa", "?a"},          {"a%00b", "a"},  // the text ends at a zero
    };
    for (const Row& r : rows) EXPECT_EQ(url_decode(r.in), r.out) << r.in;
}

TEST(ImagexCommands, BuildsTheInfoAndApplyLines) {
    struct Row {
        std::string path, expected;
    } rows[] = {
        {"E:\\images\\win7.wim", "Imagex.exe /INFO E:\\images\\win7.wim"},
        {"Z:\\sources\\install.wim", "Imagex.exe /INFO Z:\\sources\\install.wim"},
        {"D:\\My Images\\w7.wim", "Imagex.exe /INFO \"D:\\My Images\\w7.wim\""},
        {"D:\\x&calc&.wim", "Imagex.exe /INFO \"D:\\x&calc&.wim\""},
        {"D:\\a(1).wim", "Imagex.exe /INFO \"D:\\a(1).wim\""},
        // "%" stands outside the quotes, so that the interpreter expands no name (what the tool
        // then receives is checked in cmd_quoting_test).
        {"D:\\50%.wim", "Imagex.exe /INFO \"D:\\50\"%\".wim\""},
        {"D:\\a&b %PATH% c.wim", "Imagex.exe /INFO \"D:\\a&b \"%\"PATH\"%\" c.wim\""},
        {"D:\\hi!.wim", "Imagex.exe /INFO \"D:\\hi!.wim\""},
        {"D:\\\x81|\\w.wim", "Imagex.exe /INFO D:\\\x81|\\w.wim"},  // '|' as a trail byte
        {"D:\\系统\\w7.wim", "Imagex.exe /INFO D:\\系统\\w7.wim"},
    };
    for (const Row& r : rows) EXPECT_EQ(imagex_info_command("Imagex.exe", r.path), r.expected);

    EXPECT_EQ(install_disc_image_path("E:\\ [Win7]"), "E:\\sources\\install.wim");
    EXPECT_EQ(imagex_apply_command("Imagex.exe", "E:\\images\\win7.wim", 4, "C:\\", ""),
              "Imagex.exe /apply \"E:\\images\\win7.wim\" 4 C:\\");
    EXPECT_EQ(imagex_apply_command("Imagex.exe", "E:\\set\\win.swm", 1, "C:\\", "/ref"),
              "Imagex.exe /apply \"E:\\set\\win.swm\" 1 C:\\ /ref \"E:\\set\\win*.swm\"");
    EXPECT_EQ(imagex_apply_command("Imagex.exe", "D:\\a&b %PATH% c.wim", 5, "E:\\", ""),
              "Imagex.exe /apply \"D:\\a&b \"%\"PATH\"%\" c.wim\" 5 E:\\");
    EXPECT_EQ(split_set_pattern("F:\\a.b\\part"), "F:\\a.b\\part*");
}

TEST(WimEditionWindow, PreparesTitleSplitSetAndDiscBranch) {
    fakes::FakeOs fake;
    WimEditionInputs in;
    in.image_path = "E:\\images\\win7.wim";
    in.target_caption = "C:\\(1:1)";
    in.info_output = read_fixture("wim_info/four_editions.txt");
    WimEditionWindow w = prepare_wim_edition_window(in);
    EXPECT_EQ(w.restore_title_word, "还原");
    EXPECT_EQ(w.imagex_ref_option, "");
    EXPECT_EQ(w.title_label, "还原 E:\\images\\win7.wim 到分区 C:\\(1:1)");
    EXPECT_EQ(w.caption, "Tavrin Imagex");
    EXPECT_EQ(w.editions.size(), 4u);
    EXPECT_EQ(w.selected, 3);
    EXPECT_EQ(w.image_index, 4);

    in.image_path = "F:\\backups\\sets\\windows7\\win7.swm";  // a split set keeps its last 10
    in.info_output = read_fixture("wim_info/split_set.txt");
    w = prepare_wim_edition_window(in);
    EXPECT_EQ(w.restore_title_word, "还原分卷映象");
    EXPECT_EQ(w.imagex_ref_option, "/ref");
    EXPECT_EQ(w.shown_image_path, "F:\\backups...7\\win7.swm");
    EXPECT_EQ(w.image_index, 1);

    in.image_path = "E:\\sources\\install.wim";
    in.from_install_disc = true;
    in.install_disc_choice = true;
    in.optical_drive_text = "E:\\ (光驱)";
    in.info_output = read_fixture("wim_info/open_error.txt");
    w = prepare_wim_edition_window(in);
    EXPECT_EQ(w.shown_image_path, "E:\\sources\\install.wim");
    EXPECT_EQ(w.caption, "Tavrin Imagex - 原版系统光盘安装");
    EXPECT_TRUE(w.editions.empty());
    EXPECT_EQ(w.selected, -1);
    EXPECT_EQ(w.image_index, 0);
    EXPECT_EQ(wim_editions_error_text(w.shown_image_path),
              "加载 E:\\sources\\install.wim "
              "时出现错误，无法正常还原。\r\n选择\"是(Y)\"将还原WIM映像文件中的卷 1 "
              "，选择\"否(N)"
              "\"将停止还原。\r\n作者正在努力解决此错误，请暂时更换其他安装工具或更换WinPE！");
}

TEST(WimEditionWindow, ShortensLongPathsBetweenCharacters) {
    EXPECT_EQ(shorten_image_path(std::string(30, 'a'), 16), std::string(30, 'a'));
    EXPECT_EQ(shorten_image_path("D:\\images\\" + std::string(21, 'b'), 16),
              "D:\\images\\..." + std::string(16, 'b'));
    // A double-byte character that straddles the tenth byte or the tail's edge stays whole.
    EXPECT_EQ(shorten_image_path("D:\\镜像文件夹\\镜像c系统文件.wim", 16),
              "D:\\镜像文...像c系统文件.wim");
}

}  // namespace
}  // namespace qv
