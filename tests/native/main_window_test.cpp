#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "main_window/main_window.h"
#include "shell/main_window_handlers.h"

namespace qv {
namespace {

using fakes::choose_menu_item;
using fakes::click;
using fakes::in_view;
using fakes::shown;

TEST(MainWindowOptions, BoxesSetTheirGhostSwitches) {
    struct Case {
        const char* box;
        std::string* ghost_switch;
        const char* ticked;
        bool starts_ticked;
    };
    const Case cases[] = {
        {"noide_check", &g_ghost_noide_switch, " -noide", true},
        {"crcignore_check", &g_ghost_crcignore_switch, " -crcignore ", true},
        {"password_check", &g_ghost_password_switch, " -pwd=", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        fakes::MainWindowRig rig;
        ui::Window& main = rig.open_main_window();
        ASSERT_EQ(main.checked(c.box), c.starts_ticked);
        *c.ghost_switch = "stale";
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(click(main, c.box));
            EXPECT_EQ(*c.ghost_switch, main.checked(c.box) ? c.ticked : "");
        }
    }
}

TEST(MainWindowOptions, PasswordBoxOpensAndClearsTheEditBox) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    EXPECT_FALSE(main.enabled("password_edit"));
    click(main, "password_check");
    EXPECT_TRUE(main.enabled("password_edit"));
    fakes::type_text(main, "password_edit", "secret");
    click(main, "password_check");
    EXPECT_EQ(main.text("password_edit"), "");
    EXPECT_FALSE(main.enabled("password_edit"));
}

TEST(MainWindowOptions, IntegrityBoxChangesNothingButItself) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    g_ghost_noide_switch = " -noide";
    g_ghost_crcignore_switch = " -crcignore ";
    click(main, "integrity_check");
    EXPECT_TRUE(main.checked("integrity_check"));
    EXPECT_EQ(g_ghost_noide_switch, " -noide");
    EXPECT_EQ(g_ghost_crcignore_switch, " -crcignore ");
    EXPECT_TRUE(g_ghost_password_switch.empty());
}

// The finish choice: r / s click the restart / shutdown box, R / S choose the menu's restart /
// shutdown item. Expected: restart box, shutdown box, restart mark, shutdown mark.
TEST(MainWindowFinishChoice, BoxesAndMarksMoveTogether) {
    struct Case {
        const char* actions;
        bool restart_box, shutdown_box, restart_mark, shutdown_mark;
    };
    const Case cases[] = {
        {"r", true, false, true, false},
        {"rr", false, false, false, false},
        {"s", false, true, false, true},
        {"rs", false, true, false, true},     // shutdown takes over from restart
        {"rsS", false, false, false, false},  // choosing the set mark again clears both
        {"sr", true, false, true, false},
        {"R", true, false, true, false},
        {"RR", false, false, false, false},
        {"SR", true, false, true, false},
        {"RS", false, true, false, true},
        {"Ss", false, false, false, false},  // unticking the box clears its mark
        {"sR", true, false, true, false},
        {"rS", false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actions);
        fakes::MainWindowRig rig;
        ui::Window& main = rig.open_main_window();
        for (const char* a = c.actions; *a != '\0'; ++a) {
            switch (*a) {
                case 'r':
                    ASSERT_TRUE(click(main, "restart_after_job_check"));
                    break;
                case 's':
                    ASSERT_TRUE(click(main, "shutdown_after_job_check"));
                    break;
                case 'R':
                    ASSERT_TRUE(choose_menu_item(main, "main_menu_auto_restart"));
                    break;
                case 'S':
                    ASSERT_TRUE(choose_menu_item(main, "main_menu_auto_shutdown"));
                    break;
            }
        }
        EXPECT_EQ(main.checked("restart_after_job_check"), c.restart_box);
        EXPECT_EQ(main.checked("shutdown_after_job_check"), c.shutdown_box);
        EXPECT_EQ(main.menu_checked("main_menu_auto_restart"), c.restart_mark);
        EXPECT_EQ(main.menu_checked("main_menu_auto_shutdown"), c.shutdown_mark);
    }
}

struct PanelView {
    std::string caption, first_column, browse_picture, browse_caption;
    bool image_combo, backup_path_combo, crcignore, backup_lists, drop;
};

PanelView panel_view(const ui::Window& main) {
    const auto& w = fakes::headless(main);
    return {w.text("image_caption_label"),
            w.column_caption("partition_list", 0),
            w.picture("browse_button"),
            w.text("browse_button"),
            w.control_visible("image_combo"),
            w.control_visible("backup_path_combo"),
            w.control_visible("crcignore_check"),
            w.control_visible("compression_combo") && w.control_visible("split_combo"),
            w.drop_enabled()};
}

void expect_panel(const ui::Window& main, const PanelView& want) {
    PanelView got = panel_view(main);
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.first_column, want.first_column);
    EXPECT_EQ(got.browse_picture, want.browse_picture);
    EXPECT_EQ(got.browse_caption, want.browse_caption);
    EXPECT_EQ(got.image_combo, want.image_combo);
    EXPECT_EQ(got.backup_path_combo, want.backup_path_combo);
    EXPECT_EQ(got.crcignore, want.crcignore);
    EXPECT_EQ(got.backup_lists, want.backup_lists);
    EXPECT_EQ(got.drop, want.drop);
    EXPECT_TRUE(main.control_visible("browse_button"));
    EXPECT_FALSE(main.control_visible("optical_drive_combo"));
    for (const char* box :
         {"noide_check", "integrity_check", "password_check", "custom_ghost_check",
          "crcignore_check", "compression_combo", "split_combo"})
        EXPECT_TRUE(main.enabled(box)) << box;
    EXPECT_FALSE(main.checked("password_check"));
    EXPECT_EQ(main.text("password_edit"), "");
    EXPECT_FALSE(main.enabled("password_edit"));
    EXPECT_TRUE(g_ghost_password_switch.empty());
}

const PanelView kRestoreView = {"请选择Gho、ISO、SWM、WIM映像文件：",
                                "还原",
                                "btn_open",
                                "打开(O)",
                                true,
                                false,
                                true,
                                false,
                                true};
const PanelView kBackupView = {
    "请保存Gho、WIM映像文件：", "备份", "btn_save", "保存(S)", false, true, false, true, false};

TEST(MainWindowPanels, BackupAndRestoreSetTheirControlsAndDropThePassword) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    click(main, "password_check");
    fakes::type_text(main, "password_edit", "secret");
    click(main, "noide_check");  // ticks of the other boxes stay as the user left them
    main.select("image_combo", main.add_item("image_combo", "D:\\a.gho"));

    ASSERT_TRUE(click(main, "backup_radio"));
    expect_panel(main, kBackupView);
    ASSERT_TRUE(click(main, "backup_radio"));  // again: the same result
    expect_panel(main, kBackupView);

    ASSERT_TRUE(click(main, "restore_radio"));
    expect_panel(main, kRestoreView);
    EXPECT_FALSE(main.checked("noide_check"));
    EXPECT_TRUE(main.checked("crcignore_check"));
    EXPECT_EQ(main.text("image_combo"), "D:\\a.gho");
}

TEST(MainWindowPanels, AModeActsOnlyWhileItsRadioIsSet) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    ui::show_backup_panel(main);  // the restore radio is set
    expect_panel(main, kRestoreView);
    EXPECT_EQ(main.column_caption("partition_list", 0), "还原");
}

TEST(MainWindowLayouts, ButtonsApplyTheLayoutTables) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    struct Want {
        int window_w, window_h, skin_w, skin_h, panel_w, panel_h;
        bool expand_shown, compact_shown;
        int exit_x, exit_y, start_x, start_y, close_x, menu_x, minimize_x, list_h;
    };
    auto check = [&](const Want& want) {
        EXPECT_EQ(main.rect().w, want.window_w);
        EXPECT_EQ(main.rect().h, want.window_h);
        EXPECT_EQ(main.control_rect("skin").w, want.skin_w);
        EXPECT_EQ(main.control_rect("skin").h, want.skin_h);
        EXPECT_EQ(main.control_rect("panel").w, want.panel_w);
        EXPECT_EQ(main.control_rect("panel").h, want.panel_h);
        EXPECT_EQ(main.control_visible("expand_button"), want.expand_shown);
        EXPECT_EQ(main.control_visible("compact_button"), want.compact_shown);
        EXPECT_EQ(main.control_rect("exit_button").x, want.exit_x);
        EXPECT_EQ(main.control_rect("exit_button").y, want.exit_y);
        EXPECT_EQ(main.control_rect("start_button").x, want.start_x);
        EXPECT_EQ(main.control_rect("start_button").y, want.start_y);
        EXPECT_EQ(main.control_rect("close_button").x, want.close_x);
        EXPECT_EQ(main.control_rect("menu_button").x, want.menu_x);
        EXPECT_EQ(main.control_rect("minimize_button").x, want.minimize_x);
        EXPECT_EQ(main.control_rect("partition_list").h, want.list_h);
        // The title-bar buttons keep their tops, the list its width.
        EXPECT_EQ(main.control_rect("close_button").y, 1);
        EXPECT_EQ(main.control_rect("minimize_button").y, 0);
        EXPECT_EQ(main.control_rect("partition_list").w, 391);
    };
    main.add_item("found_images_list", "D:\\a.gho");
    click(main, "integrity_check");

    ASSERT_TRUE(click(main, "compact_button"));
    check({422, 312, 420, 310, 406, 202, true, false, 334, 280, 241, 280, 392, 334, 362, 100});
    // Out of sight, not changed.
    EXPECT_FALSE(in_view(main, "found_images_list"));
    EXPECT_FALSE(in_view(main, "integrity_check"));
    EXPECT_TRUE(shown(main, "found_images_list"));
    EXPECT_TRUE(in_view(main, "partition_list"));
    EXPECT_TRUE(in_view(main, "image_combo"));
    EXPECT_TRUE(in_view(main, "expand_button"));

    ASSERT_TRUE(click(main, "expand_button"));
    check({666, 446, 664, 444, 648, 330, false, true, 325, 410, 230, 410, 636, 578, 606, 104});
    EXPECT_TRUE(in_view(main, "found_images_list"));
    EXPECT_EQ(main.item_count("found_images_list"), 1);
    EXPECT_TRUE(in_view(main, "integrity_check"));
    EXPECT_TRUE(main.checked("integrity_check"));
}

TEST(MainWindowLayouts, ExpandedShowsAHiddenFoundImagesList) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    main.set_visible("found_images_list", false);
    ui::compact_main_window(main);
    EXPECT_FALSE(main.control_visible("found_images_list"));
    ui::expand_main_window(main);
    EXPECT_TRUE(main.control_visible("found_images_list"));
}

TEST(MainWindowBalloon, IconKindOutsideTheRangeMeansInformation) {
    const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 1}, {7, 1}, {-1, 1}};
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    main.tray_add();
    for (auto [given, shown_icon] : cases) {
        EXPECT_TRUE(ui::show_tray_balloon("提示", "x", given, 0));
        EXPECT_EQ(fakes::headless(main).balloons().back().icon, shown_icon) << given;
    }
}

TEST(MainWindowBalloon, TextsAreCutToTheShellFieldsAtCharacterBoundaries) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    main.tray_add();
    const std::string title = std::string(62, 'T') + "提";  // 64 bytes: the last character goes
    const std::string body = std::string(254, 'b') + "示";  // 256 bytes
    const std::string exact = std::string(255, 'e');
    ASSERT_TRUE(ui::show_tray_balloon(title, body, 1, 0));
    ASSERT_TRUE(ui::show_tray_balloon(std::string(63, 't'), exact, 1, 3000));
    const auto& balloons = fakes::headless(main).balloons();
    EXPECT_EQ(balloons[0].title, std::string(62, 'T'));
    EXPECT_EQ(balloons[0].text, std::string(254, 'b'));
    EXPECT_EQ(balloons[1].title, std::string(63, 't'));
    EXPECT_EQ(balloons[1].text, exact);
    EXPECT_EQ(balloons[1].timeout_ms, 3000);
}

TEST(MainWindowBalloon, ReportsWhatTheShellDid) {
    fakes::MainWindowRig rig;
    EXPECT_FALSE(ui::show_tray_balloon("提示", "x", 1, 0));  // no main window yet
    ui::Window& main = rig.open_main_window();
    EXPECT_FALSE(ui::show_tray_balloon("提示", "x", 1, 0));  // the icon is not in the tray
    main.tray_add();
    rig.ui.shell_accepts_balloons = false;
    EXPECT_FALSE(ui::show_tray_balloon("提示", "x", 1, 0));
    rig.ui.shell_accepts_balloons = true;
    EXPECT_TRUE(ui::show_tray_balloon("提示", "x", 1, 0));
}

TEST(MainWindowMenu, PopsUpAtTheCursorFromTheTrayAndBelowTheMenuButton) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    auto& w = fakes::headless(main);
    w.place(200, 150);
    EXPECT_FALSE(fakes::right_click(main, "tray_icon"));  // not in the tray yet
    main.tray_add();
    rig.ui.cursor_position = {900, 700, 0, 0};
    ASSERT_TRUE(fakes::right_click(main, "tray_icon"));
    ASSERT_EQ(w.popups().size(), 1u);
    EXPECT_EQ(w.popups()[0].menu, "main_menu");
    EXPECT_EQ(w.popups()[0].x, 900);
    EXPECT_EQ(w.popups()[0].y, 700);

    ui::compact_main_window(main);
    rig.ui.answer_next_popup("main_menu_auto_shutdown");
    ASSERT_TRUE(click(main, "menu_button"));
    ASSERT_EQ(w.popups().size(), 2u);
    EXPECT_EQ(w.popups()[1].x, 200 + 334);
    EXPECT_EQ(w.popups()[1].y, 150 + 24);
    EXPECT_TRUE(main.checked("shutdown_after_job_check"));
}

TEST(MainWindowMenu, MinimiseKeepsTheTrayIcon) {
    fakes::MainWindowRig rig;
    ui::Window& main = rig.open_main_window();
    main.tray_add();
    ASSERT_TRUE(click(main, "minimize_button"));
    EXPECT_TRUE(fakes::headless(main).minimized());
    EXPECT_TRUE(fakes::headless(main).tray_added());
}

}  // namespace
}  // namespace qv
