#include <gtest/gtest.h>

#include "disks/partition_list.h"
#include "fakes/main_window_rig.h"
#include "main_window/main_window.h"
#include "shell/hot_keys.h"

namespace qv {
namespace {

TEST(HotKeys, AltEAndAltROpenTheHelpWindowsWithoutAParent) {
    fakes::MainWindowRig rig;
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    const auto& keys = fakes::headless(*main).hotkeys();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].id, 0x6f);
    EXPECT_EQ(keys[0].modifiers, 1u);
    EXPECT_EQ(keys[0].key, 0x45u);
    EXPECT_EQ(keys[1].id, 0x2fbd);
    EXPECT_EQ(keys[1].modifiers, 1u);
    EXPECT_EQ(keys[1].key, 0x52u);

    std::vector<ui::Window*> parents;
    for (const char* name : {"HelpWindow", "ParameterHelpWindow"})
        rig.ui.on_modal(name,
                        [&](ui::Window& w) { parents.push_back(fakes::headless(w).parent()); });
    EXPECT_TRUE(fakes::send_hotkey(*main, 0x6f));
    EXPECT_TRUE(fakes::send_hotkey(*main, 0x2fbd));
    EXPECT_EQ(rig.ui.modal_log(), (std::vector<std::string>{"HelpWindow", "ParameterHelpWindow"}));
    EXPECT_EQ(parents, (std::vector<ui::Window*>{nullptr, nullptr}));
}

int g_calls_a = 0, g_calls_b = 0;
void count_a() {
    ++g_calls_a;
}
void count_b() {
    ++g_calls_b;
}

TEST(HotKeys, RegistrationKeepsEntriesInOrderAndDispatchTakesTheFirst) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    g_calls_a = g_calls_b = 0;
    EXPECT_FALSE(register_hotkey(main, 1, 0x41, count_a, 0));  // id 0
    EXPECT_TRUE(register_hotkey(main, 1, 0x41, count_a, 7));
    EXPECT_TRUE(register_hotkey(main, 1, 0x42, count_b, 7));  // same id again: a second entry
    rig.ui.hotkeys_succeed = false;                           // another program holds the key
    EXPECT_FALSE(register_hotkey(main, 1, 0x43, count_b, 9));
    EXPECT_EQ(g_hotkeys.size(), 2u);
    EXPECT_EQ(find_hotkey_entry(7), 1);
    EXPECT_EQ(find_hotkey_entry(9), 0);
    EXPECT_TRUE(hotkey_dispatch(7));
    EXPECT_FALSE(hotkey_dispatch(9));  // a stray hot key calls nothing
    EXPECT_EQ(g_calls_a, 1);
    EXPECT_EQ(g_calls_b, 0);
}

TEST(DeviceChanges, ArrivalAndRemovalShowABalloonEachAndNothingElse) {
    fakes::MainWindowRig rig;
    rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    rig.os.files.add_folder("C:\\");
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    auto rows = [&] {
        std::vector<std::string> cells;
        for (int r = 0; r < main->row_count("partition_list"); ++r)
            for (int c = 0; c < 6; ++c) cells.push_back(main->cell("partition_list", r, c));
        return cells;
    };
    const std::vector<std::string> listed = rows();
    ASSERT_EQ(main->row_count("partition_list"), 1);
    // A stick arrives: the notices announce it, but only a refresh lists it.
    rig.os.drives.add("U:\\", os::kDriveRemovable, 1, 1);
    rig.os.files.add_folder("U:\\");
    const auto& w = fakes::headless(*main);
    std::size_t before = w.balloons().size();
    for (int code : {0x8000, 0x8004, 0x8006, 0x0007, 0x8000})
        EXPECT_TRUE(fakes::send_device_change(*main, code));
    ASSERT_EQ(w.balloons().size(), before + 3);
    const std::string texts[] = {"检测到有驱动器插入，请刷新分区列表！",
                                 "检测到有驱动器移除，请刷新分区列表！",
                                 "检测到有驱动器插入，请刷新分区列表！"};
    for (std::size_t i = 0; i < 3; ++i) {
        const fakes::Balloon& b = w.balloons()[before + i];
        EXPECT_EQ(b.title, "提示");
        EXPECT_EQ(b.text, texts[i]);
        EXPECT_EQ(b.icon, ui::kBalloonInfo);
        EXPECT_EQ(b.timeout_ms, 0);
    }
    EXPECT_EQ(rows(), listed);
    refresh_partition_list(*main);  // what the user does next
    EXPECT_EQ(main->row_count("partition_list"), 2);
}

}  // namespace
}  // namespace qv
