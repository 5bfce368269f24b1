#include <gtest/gtest.h>

#include "fakes/main_window_rig.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window_def.h"

namespace qv {
namespace {

TEST(LockUi, SwitchesTheTwentyNineControlsInOrder) {
    const std::vector<std::string> units = {
        "按钮1",     "按钮2",     "按钮3",     "按钮4",       "按钮5",   "按钮6",
        "选择框5",   "选择框6",   "选择框7",   "选择框8",     "选择框1", "选择框9",
        "选择框10",  "选择框11",  "组合框1",   "组合框6",     "组合框7", "组合框2",
        "组合框3",   "组合框4",   "单选框1",   "单选框2",     "单选框3", "编辑框2",
        "图形按钮1", "图形按钮2", "图形按钮3", "超级列表框1", "列表框1"};
    std::vector<std::string> got;
    for (const std::string& role : ui::main_lock_set())
        got.push_back(ui::main_window_def().control(role)->unit);
    EXPECT_EQ(got, units);
}

TEST(LockUi, KeepsNoCountAndTouchesOnlyTheEnabledStateOfItsSet) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    main.set_enabled("start_button", false);  // disabled by someone else before
    main.set_enabled("refresh_label", false);
    main.set_enabled("image_location_label", false);
    const char* outside[] = {"password_edit",        "refresh_label",        "image_location_label",
                             "image_type_label",     "selected_drive_label", "edition_info_edit",
                             "service_advert_check", "depth_label"};
    std::vector<bool> before;
    for (const char* role : outside) before.push_back(main.enabled(role));

    ui::lock_ui();
    for (const std::string& role : ui::main_lock_set()) EXPECT_FALSE(main.enabled(role)) << role;
    ui::lock_ui();
    ui::unlock_ui();
    for (const std::string& role : ui::main_lock_set()) EXPECT_TRUE(main.enabled(role)) << role;

    EXPECT_FALSE(main.control_visible("backup_path_combo"));
    EXPECT_FALSE(main.control_visible("compression_combo"));
    EXPECT_TRUE(main.control_visible("image_combo"));
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(main.enabled(outside[i]), before[i]) << outside[i];
}

TEST(LockUi, ScopedLockHandsTheWindowBackAsItFoundItAndLeavesAnotherLockAlone) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    main.set_enabled("start_button", false);
    {
        ui::ScopedUiLock lock;
        EXPECT_TRUE(lock.held());
        EXPECT_TRUE(ui::ui_locked());
        for (const std::string& role : ui::main_lock_set()) EXPECT_FALSE(main.enabled(role));
    }
    EXPECT_FALSE(ui::ui_locked());
    EXPECT_FALSE(main.enabled("start_button"));
    EXPECT_TRUE(main.enabled("search_button"));

    // Under another action's lock it is not taken, and its end unlocks nothing.
    ui::lock_ui();
    {
        ui::ScopedUiLock lock;
        EXPECT_FALSE(lock.held());
    }
    EXPECT_TRUE(ui::ui_locked());
    EXPECT_FALSE(main.enabled("search_button"));
}

TEST(LockUi, DoesNothingWithoutAMainWindow) {
    fakes::MainWindowRig rig;
    ui::lock_ui();
    ui::Window& main = rig.open_main_window();
    EXPECT_TRUE(main.enabled("start_button"));
}

}  // namespace
}  // namespace qv
