#include <gtest/gtest.h>

#include "base/state.h"
#include "disks/partition_list.h"
#include "fakes/main_window_rig.h"
#include "main_window/lock_ui.h"

namespace qv {
namespace {

using os::kDriveCdrom;
using os::kDriveFixed;
using os::kDriveRemovable;
using Lines = std::vector<std::string>;

constexpr const char* kList = "partition_list";

class PartitionListWindow : public ::testing::Test {
protected:
    PartitionListWindow() {
        rig.os.processes.scripts.push_back(fakes::partition_report_tool("[1] C:\\] Active\r\n"));
    }
    // C: 1:1 active with Windows 7, D: 1:5, G: 1:6 without a readable size, U: a stick on the
    // second disk, X: the running system.
    void add_drives() {
        rig.os.drives.add("C:\\", kDriveFixed, 0, 1);
        rig.os.drives.add("D:\\", kDriveFixed, 0, 5);
        rig.os.drives.add("G:\\", kDriveFixed, 0, 6).space_readable = false;
        rig.os.drives.add("U:\\", kDriveRemovable, 1, 1);
        rig.os.drives.add("X:\\", kDriveFixed, 0, 7);
        rig.os.files.add_file("C:\\windows\\system32\\CMD.EXE");
        rig.os.files.entry("C:\\windows\\system32\\CMD.EXE")->version = "6.1.7601.17514";
    }
    ui::Window& open_filled() {
        add_drives();
        ui::Window& main = rig.open_main_window();
        fill_partition_list_fixed(main);
        fill_partition_list_removable(main);
        select_default_partition_row(main);
        return main;
    }
    static Lines keys(const ui::Window& main) {
        Lines out;
        for (int r = 0; r < main.row_count(kList); ++r)
            out.push_back(main.cell(kList, r, 0) + " " + main.cell(kList, r, 1) + " " +
                          main.cell(kList, r, 2));
        return out;
    }
    // The five hidden labels: caption, disk:partition, root, system text, type name.
    static Lines target(const ui::Window& main) {
        return {main.text("selected_caption_label"), main.text("selected_disk_partition_label"),
                main.text("selected_drive_label"), main.text("selected_system_label"),
                main.text("selected_drive_type_label")};
    }
    fakes::MainWindowRig rig;
};

TEST_F(PartitionListWindow, StartUpFillsFixedThenRemovableAndShowsTheDefaultRow) {
    add_drives();
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(keys(*main), (Lines{"C:\\ 1:1 A,Win7", "D:\\ 1:5 ", "G:\\ 1:6 ", "U:\\ 2:1 "}));
    EXPECT_EQ(main->cell(kList, 2, 4), "获取失败");
    EXPECT_EQ(main->selected_row(kList), 0);
    EXPECT_EQ(target(*main), (Lines{"C:\\(1:1)", "1:1", "C:\\", "A,Win7", "硬盘驱动器"}));
    EXPECT_FALSE(g_no_partitions);
    EXPECT_TRUE(main->enabled("start_button"));
    EXPECT_TRUE(main->enabled(kList));
    EXPECT_TRUE(rig.os.notices.boxes.empty());
}

TEST_F(PartitionListWindow, EmptyListWarnsAndARefreshThatFindsRowsGivesTheControlsBack) {
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(g_no_partitions);
    EXPECT_FALSE(main->enabled("start_button"));
    EXPECT_FALSE(main->enabled(kList));
    EXPECT_EQ(target(*main), (Lines{"()", "", "", "", ""}));
    ASSERT_EQ(rig.os.notices.boxes.size(), 1u);
    EXPECT_EQ(rig.os.notices.boxes[0].text, kNoPartitionsMessage);
    EXPECT_EQ(rig.os.notices.boxes[0].caption, "提示");
    EXPECT_EQ(rig.os.notices.boxes[0].style, 0x30);

    rig.os.drives.add("D:\\", kDriveFixed, 0, 2);
    ASSERT_TRUE(fakes::press(*main, "refresh_label"));
    EXPECT_EQ(keys(*main), Lines{"D:\\ 1:2 "});
    EXPECT_FALSE(g_no_partitions);
    EXPECT_TRUE(main->enabled("start_button"));
    EXPECT_TRUE(main->enabled(kList));
    EXPECT_EQ(rig.os.notices.boxes.size(), 1u);
    // A refresh chooses no row: the target stays as it was until one is chosen.
    EXPECT_EQ(main->selected_row(kList), -1);
    EXPECT_EQ(main->text("selected_caption_label"), "()");
    const auto& balloons = fakes::headless(*main).balloons();
    ASSERT_GE(balloons.size(), 2u);
    for (std::size_t i : {balloons.size() - 2, balloons.size() - 1}) {
        EXPECT_EQ(balloons[i].title, "提示");
        EXPECT_EQ(balloons[i].icon, ui::kBalloonInfo);
        EXPECT_EQ(balloons[i].timeout_ms, 0);
    }
    EXPECT_EQ(balloons[balloons.size() - 2].text, "正在刷新列表，请稍候.....");
    EXPECT_EQ(balloons.back().text, "刷新列表完成！");
}

// The jobs read the selected row for some checks and the target labels for others; both must
// always name the same partition, however the selection moved.
TEST_F(PartitionListWindow, TargetFollowsTheSelectionHoweverItMoves) {
    ui::Window& main = open_filled();
    struct Step {
        const char* how;  // k: keyboard (selection alone), c: click, r: refresh
        int row;
        const char* caption;
        bool start_enabled;
    } steps[] = {
        {"k", 1, "D:\\(1:5)", true},
        {"k", 2, "G:\\(1:6)", false},  // no readable size: no target for a job
        {"k", 3, "U:\\(2:1)", true},
        {"c", 2, "G:\\(1:6)", false},
        {"c", -1, "()", true},  // a click below the rows
        {"k", 1, "D:\\(1:5)", true},
        {"r", -1, "D:\\(1:5)", true},  // D: went away; the target stays until a row is chosen
        {"k", 0, "C:\\(1:1)", true},
        {"k", 1, "G:\\(1:6)", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.how) + " " + std::to_string(s.row));
        if (*s.how == 'k') {
            ASSERT_TRUE(fakes::select(main, kList, s.row));
        } else if (*s.how == 'c') {
            ASSERT_TRUE(fakes::click_row(main, kList, s.row));
        } else {
            rig.os.drives.drives.erase(rig.os.drives.drives.begin() + 1);
            ASSERT_TRUE(fakes::press(main, "refresh_label"));
            EXPECT_EQ(keys(main), (Lines{"C:\\ 1:1 A,Win7", "G:\\ 1:6 ", "U:\\ 2:1 "}));
        }
        EXPECT_EQ(main.selected_row(kList), s.row);
        EXPECT_EQ(main.text("selected_caption_label"), s.caption);
        EXPECT_EQ(main.enabled("start_button"), s.start_enabled);
    }
    EXPECT_EQ(target(main), (Lines{"G:\\(1:6)", "1:6", "G:\\", "", "硬盘驱动器"}));
}

// A refresh hands the controls back when it ends; inside a long action that holds the lock, or
// inside another refresh (the report tool's run processes window messages), it must not start.
TEST_F(PartitionListWindow, RefreshUnderTheLockOrInsideItselfDoesNothing) {
    ui::Window& main = open_filled();
    const auto& w = fakes::headless(main);
    const std::size_t launches = rig.os.processes.launches.size();

    ui::lock_ui();
    ASSERT_TRUE(fakes::press(main, "refresh_label"));
    EXPECT_EQ(keys(main).size(), 4u);
    EXPECT_FALSE(main.enabled("start_button"));
    EXPECT_FALSE(main.enabled(kList));
    EXPECT_TRUE(w.balloons().empty());
    EXPECT_EQ(rig.os.processes.launches.size(), launches);
    ui::unlock_ui();

    int nested = 0;
    bool locked_meanwhile = false;
    rig.ui.pump_hook = [&] {
        if (nested++ > 0) return;
        locked_meanwhile = !main.enabled("start_button") && !main.enabled("close_button");
        fakes::press(main, "refresh_label");
    };
    ASSERT_TRUE(fakes::press(main, "refresh_label"));
    EXPECT_GT(nested, 0);
    EXPECT_TRUE(locked_meanwhile);
    EXPECT_EQ(keys(main), (Lines{"C:\\ 1:1 A,Win7", "D:\\ 1:5 ", "G:\\ 1:6 ", "U:\\ 2:1 "}));
    EXPECT_EQ(rig.os.processes.launches.size(), launches + 1);
    EXPECT_EQ(w.balloons().size(), 2u);
    EXPECT_TRUE(main.enabled("start_button"));
    EXPECT_FALSE(ui::ui_locked());
}

TEST_F(PartitionListWindow, DiscPanelRefreshSwitchesItsOwnControlsAndListsTheDiscs) {
    rig.os.drives.add("E:\\", kDriveCdrom, 3, 0xFFFFFFFFu).space = {0, 4590080LL * 1024, 0};
    rig.os.drives.drives.back().volume.file_system = "CDFS";
    rig.os.drives.add("F:\\", kDriveCdrom, 4, 0xFFFFFFFFu).space_readable = false;
    ui::Window& main = open_filled();
    main.set_checked("restore_radio", false);
    main.set_checked("disc_install_radio", true);

    bool panel_off = false, window_controls_on = false;
    rig.ui.pump_hook = [&] {
        panel_off = !main.enabled("disc_install_radio") && !main.enabled("optical_drive_combo");
        // Only the panel's own controls are switched, not the whole lock set.
        window_controls_on = main.enabled("close_button") && !ui::ui_locked();
    };
    ASSERT_TRUE(fakes::press(main, "refresh_label"));
    EXPECT_TRUE(panel_off);
    EXPECT_TRUE(window_controls_on);
    EXPECT_TRUE(main.enabled("disc_install_radio"));
    EXPECT_TRUE(main.enabled("optical_drive_combo"));
    std::vector<std::string> items;
    for (int i = 0; i < main.item_count("optical_drive_combo"); ++i)
        items.push_back(main.item_text("optical_drive_combo", i));
    EXPECT_EQ(items, (Lines{"E:\\ 总大小：4482.5 MB，文件系统：CDFS", "F:\\ 请插入系统光盘！"}));
    EXPECT_EQ(main.selected("optical_drive_combo"), 0);
}

TEST_F(PartitionListWindow, RightClickPopsTheDiskMenuWithRemovalOnlyForRemovableDrives) {
    ui::Window& main = open_filled();
    const auto& w = fakes::headless(main);
    rig.ui.cursor_position = {250, 320, 0, 0};
    struct Case {
        int row;
        bool menu, removal, start_enabled;
    } cases[] = {{0, true, false, true},
                 {3, true, true, true},
                 {2, false, false, false},
                 {1, true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        std::size_t popups = w.popups().size();
        ASSERT_TRUE(fakes::select(main, kList, c.row));
        ASSERT_TRUE(fakes::right_click(main, kList, c.row));
        ASSERT_EQ(w.popups().size(), popups + (c.menu ? 1 : 0));
        EXPECT_EQ(main.enabled("start_button"), c.start_enabled);
        if (!c.menu) continue;
        EXPECT_EQ(w.popups().back().menu, "disk_menu");
        EXPECT_EQ(w.popups().back().x, 250);
        EXPECT_EQ(w.popups().back().y, 320);
        EXPECT_EQ(main.menu_visible("disk_menu_remove"), c.removal);
        EXPECT_EQ(main.menu_visible("disk_menu_remove_separator"), c.removal);
    }
}

TEST_F(PartitionListWindow, FirstColumnFollowsThePanel) {
    ui::Window& main = rig.open_main_window();
    ASSERT_TRUE(fakes::click(main, "backup_radio"));
    EXPECT_EQ(main.column_caption(kList, 0), "备份");
    show_partition_list_mode(main, PartitionListMode::Install);
    EXPECT_EQ(main.column_caption(kList, 0), "安装");
    ASSERT_TRUE(fakes::click(main, "restore_radio"));
    EXPECT_EQ(main.column_caption(kList, 0), "还原");
}

}  // namespace
}  // namespace qv
