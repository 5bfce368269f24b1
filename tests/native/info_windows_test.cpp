#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "jobs/ghost_restore.h"
#include "main_window/info_windows.h"
#include "main_window/main_window.h"

namespace qv {
namespace {

struct InfoRig {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    ui::Window* restore = nullptr;

    explicit InfoRig(bool automatic) {
        g_maker_name = "Quennix";
        g_edition_word = "PE版";
        main = &rig.open_main_window();
        if (automatic) {
            g_automatic_mode = true;
            // The automatic-mode restore window puts itself on top when it opens.
            restore = rig.ui.open(ghost_restore_window_def(), nullptr);
        }
    }
    bool restore_on_top() const { return fakes::headless(*restore).topmost(); }
};

TEST(InfoWindows, AboutShowsTitleAndVersion) {
    InfoRig r(false);
    r.rig.os.files.add_file("X:\\Program\\QuennixVelquist.exe");
    r.rig.os.files.entry("X:\\Program\\QuennixVelquist.exe")->version = "1.9.0.0";
    r.rig.ui.on_modal("AboutWindow", [&](ui::Window& w) {
        EXPECT_EQ(fakes::headless(w).parent(), r.main);
        EXPECT_EQ(w.text("title_label"), "QuennixVelquistPE版");
        EXPECT_EQ(w.text("welcome_label"), "欢迎使用 QuennixVelquistPE版 V1.9.0");
        EXPECT_EQ(w.text("description_label").rfind("QuennixVelquistPE版", 0), 0u);
        EXPECT_EQ(w.picture("panel"), "dialog_panel");
        fakes::click(w, "ok_button");
        EXPECT_FALSE(w.alive());
    });
    EXPECT_TRUE(fakes::choose_menu_item(*r.main, "main_menu_about"));
    EXPECT_EQ(r.rig.ui.modal_log(), std::vector<std::string>{"AboutWindow"});
    EXPECT_EQ(ui::about_welcome_text(""), "欢迎使用 QuennixVelquistPE版 V");
}

// In automatic mode each window opens without a parent while the restore window is off
// always-on-top, and each way of closing it puts the restore window back on top.
TEST(InfoWindows, AutomaticModeTakesTheRestoreWindowOffTopWhileOpen) {
    struct Case {
        const char* item;
        const char* window;
        const char* closer;
    };
    const Case cases[] = {
        {"main_menu_about", "AboutWindow", "ok_button"},
        {"main_menu_about", "AboutWindow", "close_button"},
        {"main_menu_help", "HelpWindow", "ok_button"},
        {"main_menu_help", "HelpWindow", "close_button"},
        {"main_menu_parameter_help", "ParameterHelpWindow", "ok_button"},
        {"main_menu_parameter_help", "ParameterHelpWindow", "close_button"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.window) + " " + c.closer);
        InfoRig r(true);
        bool ran = false;
        r.rig.ui.on_modal(c.window, [&](ui::Window& w) {
            ran = true;
            EXPECT_EQ(fakes::headless(w).parent(), nullptr);
            EXPECT_FALSE(r.restore_on_top());
            EXPECT_TRUE(fakes::click(w, c.closer));
            EXPECT_FALSE(w.alive());
            EXPECT_TRUE(r.restore_on_top());
        });
        fakes::choose_menu_item(*r.main, c.item);
        EXPECT_TRUE(ran);
        EXPECT_TRUE(r.restore_on_top());
        EXPECT_FALSE(r.rig.ui.quitting());
    }
}

TEST(InfoWindows, OutsideAutomaticModeAboutAndParameterHelpSitOnTheMainWindow) {
    const std::pair<const char*, bool> cases[] = {
        {"main_menu_about", true}, {"main_menu_parameter_help", true}, {"main_menu_help", false}};
    for (const auto& [item, has_parent] : cases) {
        InfoRig r(false);
        ui::Window* parent = nullptr;
        for (const char* name : {"AboutWindow", "ParameterHelpWindow", "HelpWindow"})
            r.rig.ui.on_modal(name, [&](ui::Window& w) { parent = fakes::headless(w).parent(); });
        fakes::choose_menu_item(*r.main, item);
        EXPECT_EQ(parent, has_parent ? r.main : nullptr) << item;
    }
}

TEST(InfoWindows, HelpsWideButtonOpensTheParameterHelpAboveTheMainWindow) {
    InfoRig r(false);
    r.rig.ui.on_modal("HelpWindow", [&](ui::Window& w) {
        EXPECT_NE(w.text("guide_edit").find("使用方法："), std::string::npos);
        fakes::click(w, "parameters_button");
        EXPECT_TRUE(w.alive());  // back to the help window
    });
    r.rig.ui.on_modal("ParameterHelpWindow", [&](ui::Window& w) {
        EXPECT_EQ(fakes::headless(w).parent(), r.main);
        fakes::click(w, "close_button");
    });
    fakes::choose_menu_item(*r.main, "main_menu_help");
    EXPECT_EQ(r.rig.ui.modal_log(),
              (std::vector<std::string>{"HelpWindow", "ParameterHelpWindow"}));
}

TEST(InfoWindows, ParameterHelpEndsTheProgramAfterAWrongOption) {
    for (const char* closer : {"ok_button", "close_button"}) {
        InfoRig r(true);
        g_end_after_help = true;
        r.rig.ui.on_modal("ParameterHelpWindow", [&](ui::Window& w) { fakes::click(w, closer); });
        fakes::choose_menu_item(*r.main, "main_menu_parameter_help");
        EXPECT_TRUE(r.rig.ui.quitting()) << closer;
        EXPECT_EQ(r.rig.ui.exit_code(), 0);
    }
}

TEST(InfoWindows, CustomisationNoticeHasItsOwnCaption) {
    InfoRig r(true);
    struct TopmostProbe : fakes::RecordedNotices {
        ui::Window* restore = nullptr;
        std::vector<bool> on_top;
        int message_box(const std::string& text, const std::string& caption, int style) override {
            on_top.push_back(fakes::headless(*restore).topmost());
            return RecordedNotices::message_box(text, caption, style);
        }
    } probe;
    probe.restore = r.restore;
    os::os().notices = &probe;
    fakes::choose_menu_item(*r.main, "main_menu_customisation");
    ASSERT_EQ(probe.boxes.size(), 1u);
    EXPECT_EQ(probe.boxes[0].caption, "定制软件");
    EXPECT_EQ(probe.boxes[0].style, 0x40);
    EXPECT_EQ(probe.boxes[0].text, ui::customisation_notice_text());
    EXPECT_EQ(probe.on_top, std::vector<bool>{false});
    EXPECT_TRUE(r.restore_on_top());
    os::os().notices = &r.rig.os.notices;
}

}  // namespace
}  // namespace qv
