#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/fake_os.h"
#include "pump_hook_runtime.h"
#include "shell/single_instance.h"

namespace qv {
namespace {

struct GuardFixture : testing::Test {
    fakes::FakeOs fake;
    testing_support::PumpHookRuntime runtime;
    void SetUp() override {
        os::os().ui = &runtime;
        g_maker_name = "Quennix";
        g_edition_word = "PE版";
    }
    void TearDown() override { reset_program_state(); }
};

TEST_F(GuardFixture, FirstCopyRunsOnQuietly) {
    EXPECT_TRUE(ensure_single_instance("Norvex", true, second_copy_message(), 0x30));
    EXPECT_EQ(fake.instance.claims, std::vector<std::string>{"Norvex"});
    EXPECT_TRUE(fake.notices.boxes.empty());
    EXPECT_EQ(runtime.quit_code, -1);
}

TEST_F(GuardFixture, SecondCopyWarnsAndEndsWithoutBringingTheFirstForward) {
    fake.instance.held.insert("Norvex");
    fake.windows.windows.push_back({7, 100, 1, "QuennixVelquistPE版", "Main", true});
    fake.processes.add_process("QuennixVelquist.exe");
    EXPECT_FALSE(ensure_single_instance("Norvex", true, second_copy_message(), 0x30, false));
    ASSERT_EQ(fake.notices.boxes.size(), 1u);
    EXPECT_EQ(fake.notices.boxes[0].text, "请勿重复运行QuennixVelquistPE版！");
    EXPECT_EQ(fake.notices.boxes[0].caption, "提示");
    EXPECT_EQ(fake.notices.boxes[0].style, 0x30);
    EXPECT_TRUE(fake.windows.activated.empty());
    EXPECT_EQ(runtime.quit_code, 0);
}

TEST_F(GuardFixture, OptionalPartsOfTheRefusal) {
    // No message given: the default text; asked to: the first copy's window comes forward.
    fake.instance.held.insert("X:/Program/QuennixVelquist.exe");
    std::uint32_t first = fake.processes.add_process("quennixvelquist.exe");
    fake.windows.windows = {{5, first, 1, "hidden", "Main", false},
                            {6, first, 1, "shown", "Main", true}};
    EXPECT_FALSE(ensure_single_instance("", true, "", 0, true));
    EXPECT_EQ(fake.instance.claims.back(), "X:/Program/QuennixVelquist.exe");
    ASSERT_EQ(fake.notices.boxes.size(), 1u);
    EXPECT_EQ(fake.notices.boxes[0].text, "对不起,该进程已打开!");
    EXPECT_EQ(fake.windows.activated, (std::vector<std::pair<std::uintptr_t, bool>>{{6, false}}));

    // Nothing shown when not asked.
    fake.notices.boxes.clear();
    EXPECT_FALSE(ensure_single_instance("", false));
    EXPECT_TRUE(fake.notices.boxes.empty());
}

TEST_F(GuardFixture, RunsWithoutGuardWhenTheNameCannotBeUsed) {
    fake.instance.unusable.insert("Norvex");
    EXPECT_TRUE(ensure_single_instance("Norvex", true, second_copy_message(), 0x30));
    EXPECT_TRUE(fake.notices.boxes.empty());
}

TEST_F(GuardFixture, WindowLookups) {
    fake.windows.windows = {
        {1, 9, 1, "Other", "A", true},
        {2, 8, 1, "Hidden", "Main", false},
        {3, 8, 1, "QuennixVelquist", "MainClass", true},
        {4, 8, 1, "Help", "HelpClass", true},
    };
    EXPECT_EQ(find_process_windows(8), 3u);
    EXPECT_EQ(find_process_windows(8, "help"), 4u);
    EXPECT_EQ(find_process_windows(8, "", "helpclass"), 4u);
    EXPECT_EQ(find_process_windows(8, "nothing"), 0u);
    EXPECT_EQ(find_process_window_by_name("none.exe"), -1);
    fake.processes.add_process("windowless.exe");
    EXPECT_EQ(find_process_window_by_name("windowless.exe"), 0);
    std::vector<os::WindowEntry> all;
    EXPECT_EQ(collect_top_windows(all), 4);
}

TEST_F(GuardFixture, MessageBoxResultIsButtonCodeMinusOne) {
    fake.notices.answers = {os::kIdOk, os::kIdNo};
    EXPECT_EQ(show_message_box("a"), 0);
    EXPECT_EQ(show_message_box("b", 0x34, "提示"), 6);
    EXPECT_EQ(fake.notices.boxes[0].caption, "友情提醒");
    EXPECT_EQ(fake.notices.boxes[0].style, 64);
}

}  // namespace
}  // namespace qv
