#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/fake_os.h"
#include "shell/shortcut.h"

namespace qv {
namespace {

const char kDesktop[] = "X:\\Users\\Desktop";

struct ShortcutFixture : testing::Test {
    fakes::FakeOs fake;
    void SetUp() override { fake.files.special[16] = kDesktop; }
    void TearDown() override { reset_program_state(); }
};

TEST_F(ShortcutFixture, LinkPathAndProperties) {
    struct Row {
        std::string name, target, icon;
        std::string link_path, working_directory, icon_location;
    } rows[] = {
        {"QuennixVelquist", "X:\\Program\\QuennixVelquist.exe", "",
         "X:\\Users\\Desktop\\QuennixVelquist.lnk", "X:\\Program\\",
         "X:\\Program\\QuennixVelquist.exe,0"},
        {"Tools.LNK", "X:\\Program\\tool", "", "X:\\Users\\Desktop\\Tools.LNK", "X:\\Program\\",
         "SHELL32.dll,4"},
        {"C:\\elsewhere\\快捷", "X:\\a\\b\\c.exe", "X:\\icon.ico,2", "X:\\Users\\Desktop\\快捷.lnk",
         "X:\\a\\b\\", "X:\\icon.ico,2"},
        {"root", "X:\\x.exe", "", "X:\\Users\\Desktop\\root.lnk", "X:\\", "X:\\x.exe,0"},
    };
    for (const Row& r : rows) {
        fake.shell.saved.clear();
        EXPECT_TRUE(create_shortcut(r.name, r.target, "/q", r.icon, 0, "desc", "")) << r.name;
        ASSERT_EQ(fake.shell.saved.size(), 1u) << r.name;
        const auto& s = fake.shell.saved[0];
        EXPECT_EQ(s.link_path, r.link_path);
        EXPECT_EQ(s.link.target_path, r.target);
        EXPECT_EQ(s.link.working_directory, r.working_directory);
        EXPECT_EQ(s.link.icon_location, r.icon_location);
        EXPECT_EQ(s.link.arguments, "/q");
        EXPECT_EQ(s.link.description, "desc");
    }
}

TEST_F(ShortcutFixture, ReplacesAnExistingLink) {
    fake.files.add_file("X:\\Users\\Desktop\\QuennixVelquist.lnk", "old");
    EXPECT_TRUE(create_shortcut("QuennixVelquist", "X:\\Program\\QuennixVelquist.exe"));
    EXPECT_EQ(fake.files.contents("X:\\Users\\Desktop\\QuennixVelquist.lnk"),
              "link to X:\\Program\\QuennixVelquist.exe");
}

TEST_F(ShortcutFixture, RefusesWithoutBackslashDesktopOrShellObject) {
    EXPECT_FALSE(create_shortcut("a", "notepad.exe"));
    fake.shell.fails = true;
    EXPECT_FALSE(create_shortcut("a", "X:\\Program\\QuennixVelquist.exe"));
    fake.shell.fails = false;
    fake.files.special.clear();
    EXPECT_FALSE(create_shortcut("a", "X:\\Program\\QuennixVelquist.exe"));
    EXPECT_TRUE(fake.shell.saved.empty());
}

TEST_F(ShortcutFixture, ProgramShortcutOfStartUp) {
    g_maker_name = "Quennix";
    EXPECT_EQ(program_shortcut_path(), "X:\\Users\\Desktop\\QuennixVelquist.lnk");
    EXPECT_TRUE(create_program_shortcut());
    const auto& s = fake.shell.saved.at(0);
    EXPECT_EQ(s.link_path, "X:\\Users\\Desktop\\QuennixVelquist.lnk");
    EXPECT_EQ(s.link.target_path, "X:\\Program\\QuennixVelquist.exe");
    EXPECT_EQ(s.link.window_style, 0);
    EXPECT_EQ(s.link.arguments, "");
}

}  // namespace
}  // namespace qv
