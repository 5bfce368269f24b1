#include <gtest/gtest.h>

#include "app/program.h"
#include "app/startup.h"
#include "app/state.h"
#include "fakes/main_window_rig.h"
#include "ui/main_window.h"

namespace qv {
namespace {

void give_program_version(fakes::MainWindowRig& rig, const std::string& version) {
    rig.os.files.add_file("X:\\Program\\QuennixVelquist.exe");
    rig.os.files.entry("X:\\Program\\QuennixVelquist.exe")->version = version;
}

TEST(StartUp, SetsTitleVersionDefaultsAndLayout) {
    fakes::MainWindowRig rig;
    give_program_version(rig, "1.9.0.0");
    g_console_running = true;
    rig.ui.on_run([&] { rig.ui.quit(7); });

    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    const auto& w = fakes::headless(*main);
    EXPECT_EQ(rig.exit_code, 7);
    EXPECT_TRUE(main->visible());
    EXPECT_FALSE(g_console_running);

    EXPECT_EQ(main->caption(), "QuennixVelquistPE版");
    EXPECT_EQ(w.tray_tip(), "QuennixVelquistPE版");
    EXPECT_TRUE(w.tray_added());
    EXPECT_EQ(main->text("version_label"), "Ver：1.9.0");
    EXPECT_TRUE(w.drop_enabled());
    EXPECT_TRUE(w.listening_for_device_changes());
    EXPECT_EQ(main->rect().w, 422);
    EXPECT_EQ(main->rect().h, 312);

    EXPECT_EQ(g_instance_name, "Norvex");
    EXPECT_EQ(g_maker_name, "Quennix");
    EXPECT_EQ(g_edition_word, "PE版");
    EXPECT_TRUE(g_scan_images_at_start);
    EXPECT_EQ(g_ghost_exe_path, "X:\\WINDOWS\\Norvex32.exe");
    EXPECT_EQ(g_imagex_exe_name, "Imagex.exe");
    EXPECT_EQ(g_ghost_crcignore_switch, " -crcignore ");
    EXPECT_EQ(g_ghost_noide_switch, " -noide");
    EXPECT_EQ(g_ghost_compression_switch, " -z9");
    EXPECT_TRUE(g_imagex_ref_option.empty());

    // The starting balloon comes before the icon is in the tray, so the shell drops it.
    ASSERT_EQ(w.balloons().size(), 2u);
    EXPECT_EQ(w.balloons()[0].title, "提示");
    EXPECT_EQ(w.balloons()[0].text, "正在启动，请稍后.......");
    EXPECT_EQ(w.balloons()[0].icon, 1);
    EXPECT_EQ(w.balloons()[0].timeout_ms, 0);
    EXPECT_FALSE(w.balloons()[0].accepted);
    EXPECT_EQ(w.balloons()[1].title, "欢迎使用，如需帮助请按Alt+E！");
    EXPECT_EQ(w.balloons()[1].text, welcome_balloon_text());
    EXPECT_EQ(w.balloons()[1].icon, 1);
    EXPECT_EQ(w.balloons()[1].timeout_ms, 90000);
    EXPECT_TRUE(w.balloons()[1].accepted);
}

TEST(StartUp, StepsRunInTheirOrder) {
    fakes::MainWindowRig rig;
    rig.start_program();
    std::vector<int> at;
    for (const char* line : {"tray_balloon 提示", "listen_for_device_changes",
                             "set_drop_enabled on", "set_tray_tip", "set_caption", "tray_add ok",
                             "set_size 422x312", "tray_balloon 欢迎使用"}) {
        at.push_back(rig.ui.journal_index(line));
        EXPECT_GE(at.back(), 0) << line;
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
}

TEST(StartUp, VersionCaptionTakesFiveCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.9.0.0", "Ver：1.9.0"},
        {"10.2.3.4", "Ver：10.2."},
        {"2.0", "Ver：2.0"},
        {"", "Ver："},  // the program file carries no version
    };
    for (auto [version, caption] : cases) EXPECT_EQ(version_caption(version), caption) << version;
}

TEST(StartUp, FinishMarkFollowsATickedBox) {
    struct Case {
        bool restart, shutdown, restart_mark, shutdown_mark;
    };
    const Case cases[] = {{false, false, false, false},
                          {true, false, true, false},
                          {false, true, false, true},
                          {true, true, true, false}};
    for (const Case& c : cases) {
        fakes::MainWindowRig rig;
        // Ticked the way the command line will tick them, before the marks step.
        rig.ui.balloon_hook = [&](fakes::HeadlessWindow& w, const fakes::Balloon&) {
            if (w.balloons().size() != 1) return;
            w.set_checked("restart_after_job_check", c.restart);
            w.set_checked("shutdown_after_job_check", c.shutdown);
        };
        ui::Window* main = rig.start_program();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(main->menu_checked("main_menu_auto_restart"), c.restart_mark);
        EXPECT_EQ(main->menu_checked("main_menu_auto_shutdown"), c.shutdown_mark);
    }
}

TEST(StartUp, EndsEarlyWhenAStepEndsTheProgram) {
    fakes::MainWindowRig rig;
    rig.ui.balloon_hook = [&](fakes::HeadlessWindow&, const fakes::Balloon&) { rig.ui.quit(3); };
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    const auto& w = fakes::headless(*main);
    EXPECT_EQ(rig.exit_code, 3);
    EXPECT_EQ(w.balloons().size(), 1u);
    EXPECT_EQ(main->caption(), "QuennixVelquistPE版 V1.7.3");
    EXPECT_FALSE(w.tray_added());
    EXPECT_FALSE(main->visible());
}

TEST(StartUp, WelcomeBodyFitsTheBalloonField) {
    g_maker_name = "Quennix";
    g_edition_word = "PE版";
    std::string body = welcome_balloon_text();
    EXPECT_LE(body.size(), 255u);
    EXPECT_EQ(body.rfind("欢迎使用QuennixVelquistPE版\r\n", 0), 0u);
    reset_program_state();
}

TEST(ProgramEntry, NeedsAWindowRuntime) {
    fakes::FakeOs os;
    EXPECT_EQ(run_program(), 1);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// Start-up on a machine whose Windows folder is on C:, as outside Windows PE (and under Wine).
struct OutsidePe {
    fakes::MainWindowRig rig;
    explicit OutsidePe(const std::string& args) {
        rig.os.files.windows = "C:\\windows";
        rig.os.program.line = "X:\\Program\\QuennixVelquist.exe" + args;
    }
};

TEST(StartUpPeCheck, OutsidePeOnlyTheNoticeIsShown) {
    OutsidePe start("");
    start.rig.ui.on_modal("PeOnlyNoticeWindow", [](ui::Window& w) {
        EXPECT_EQ(fakes::headless(w).parent(), nullptr);
        EXPECT_EQ(w.picture("panel"), "dialog_panel");
        fakes::click(w, "ok_button");
    });
    ui::Window* main = start.rig.start_program();
    EXPECT_EQ(main, nullptr);  // destroyed
    EXPECT_EQ(start.rig.exit_code, 0);
    EXPECT_EQ(start.rig.ui.modal_log(), std::vector<std::string>{"PeOnlyNoticeWindow"});
    ui::Window* gone = start.rig.ui.windows().front();
    const auto& w = fakes::headless(*gone);
    EXPECT_TRUE(w.hotkeys().empty());
    ASSERT_EQ(w.balloons().size(), 1u);  // the starting balloon only: no welcome
    EXPECT_NE(start.rig.ui.journal_index("tray_add ok"), -1);  // step 14 ran before the check
}

TEST(StartUpPeCheck, TheNoticeEndsTheProgramHoweverItCloses) {
    for (const char* how : {"close_button", ""}) {
        OutsidePe start("");
        start.rig.ui.on_modal("PeOnlyNoticeWindow", [how](ui::Window& w) {
            if (*how) fakes::click(w, how);
            else w.close();
        });
        start.rig.start_program();
        EXPECT_TRUE(start.rig.ui.quitting()) << how;
    }
}

TEST(StartUpPeCheck, OptionsThatTakeTheRealLetterPass) {
    for (const char* args : {" /debug", " /gq"}) {
        OutsidePe start(args);
        ui::Window* main = start.rig.start_program();
        ASSERT_NE(main, nullptr) << args;
        EXPECT_EQ(fakes::headless(*main).hotkeys().size(), 2u) << args;
        EXPECT_TRUE(start.rig.ui.modal_log().empty()) << args;
    }
}

// A wrong option ends from the parameter help: nothing after the command line runs, the PE
// notice included.
TEST(StartUpPeCheck, AWrongOptionEndsBeforeTheCheck) {
    OutsidePe start(" /bogus");
    start.rig.ui.on_modal("ParameterHelpWindow", [](ui::Window& w) { fakes::click(w, "ok_button"); });
    ui::Window* main = start.rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(start.rig.ui.modal_log(), std::vector<std::string>{"ParameterHelpWindow"});
    EXPECT_TRUE(start.rig.ui.quitting());
    EXPECT_TRUE(g_expected_system_letter.empty());
    EXPECT_TRUE(fakes::headless(*main).hotkeys().empty());
    EXPECT_FALSE(main->visible());
}

}  // namespace
}  // namespace qv
