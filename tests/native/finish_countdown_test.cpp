#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "jobs/finish_countdown.h"
#include "main_window/main_window.h"

namespace qv {
namespace {

TEST(FinishCountdown, LinesNameTheJobAndTheAction) {
    struct Case {
        int action, kind;
        const char* line;
        const char* choice;
    };
    const Case cases[] = {
        {0, 1, "备份已完成，10 秒后自动重启！", "选择\"是(Y)\"马上重启，选择\"否(N)\"返回主界面。"},
        {1, 0, "还原已完成，10 秒后自动关机！", "选择\"是(Y)\"马上关机，选择\"否(N)\"返回主界面。"},
        {0, 2, "安装已完成，10 秒后自动重启！", "选择\"是(Y)\"马上重启，选择\"否(N)\"返回主界面。"},
        {7, 9, "安装已完成，10 秒后自动重启！", "选择\"是(Y)\"马上重启，选择\"否(N)\"返回主界面。"},
    };
    for (const Case& c : cases) {
        std::string action = finish_action_word(c.action);
        EXPECT_EQ(countdown_line(finished_job_word(c.kind), 10, action), c.line);
        EXPECT_EQ(countdown_choice_line(action), c.choice);
    }
}

struct CountdownRig {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    CountdownRig(bool restart, bool shutdown) {
        main = &rig.open_main_window();
        main->set_checked("restart_after_job_check", restart);
        main->set_checked("shutdown_after_job_check", shutdown);
    }
    ui::Window* countdown() { return rig.ui.find(kFinishCountdownWindowName); }
};

TEST(FinishCountdown, OpensOnlyForATickedBoxAndShutdownWins) {
    struct Case {
        bool restart, shutdown, opens;
        int action;
    };
    const Case cases[] = {{false, false, false, 0},
                          {true, false, true, 0},
                          {false, true, true, 1},
                          {true, true, true, 1}};
    for (const Case& c : cases) {
        CountdownRig r(c.restart, c.shutdown);
        g_finish_action = 5;
        EXPECT_EQ(open_finish_countdown_if_chosen(kJobBackup), c.opens);
        EXPECT_EQ(r.countdown() != nullptr, c.opens);
        if (!c.opens) continue;
        EXPECT_EQ(g_finish_action, c.action);
        EXPECT_EQ(g_finished_job_kind, kJobBackup);
        EXPECT_EQ(fakes::headless(*r.countdown()).parent(), nullptr);
    }
}

TEST(FinishCountdown, ActsAtTheTenthTickAndEnds) {
    CountdownRig r(true, false);
    ASSERT_TRUE(open_finish_countdown_if_chosen(kJobBackup));
    ui::Window& w = *r.countdown();
    EXPECT_EQ(w.text("count_label"), "备份已完成，10 秒后自动重启！");
    EXPECT_EQ(w.text("choice_label"), "选择\"是(Y)\"马上重启，选择\"否(N)\"返回主界面。");
    EXPECT_EQ(w.picture("panel"), "dialog_panel");
    EXPECT_EQ(fakes::headless(w).timer_interval("countdown_timer"), 1000);
    const auto& balloons = fakes::headless(*r.main).balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].title, "提示");
    EXPECT_EQ(balloons[0].text, "备份已完成，10 秒后自动重启！");

    r.rig.ui.advance(9000);
    EXPECT_EQ(w.text("count_label"), "备份已完成，1 秒后自动重启！");
    EXPECT_TRUE(r.rig.os.power.calls.empty());
    r.rig.ui.advance(1000);
    EXPECT_EQ(w.text("count_label"), "备份已完成，0 秒后自动重启！");
    EXPECT_FALSE(w.timer_running("countdown_timer"));
    EXPECT_EQ(r.rig.os.processes.commands(), std::vector<std::string>{"PECMD.EXE SHUT R"});
    EXPECT_EQ(r.rig.os.power.calls, (std::vector<std::string>{"privilege", "exit 2 0"}));
    EXPECT_TRUE(r.rig.ui.quitting());
    EXPECT_EQ(r.rig.ui.exit_code(), 0);
}

TEST(FinishCountdown, YesActsAtOnce) {
    CountdownRig r(true, true);
    open_finish_countdown_if_chosen(kJobRestore);
    r.rig.ui.advance(3000);
    EXPECT_TRUE(fakes::click(*r.countdown(), "yes_button"));
    EXPECT_EQ(r.rig.os.processes.commands(), std::vector<std::string>{"PECMD.EXE SHUT"});
    EXPECT_EQ(r.rig.os.power.calls, (std::vector<std::string>{"privilege", "exit 1 65535"}));
    EXPECT_TRUE(r.rig.ui.quitting());
}

TEST(FinishCountdown, NoStopsAndALaterJobCountsFromTenAgain) {
    CountdownRig r(false, true);
    open_finish_countdown_if_chosen(kJobInstall);
    r.rig.ui.advance(9000);
    ui::Window& first = *r.countdown();
    EXPECT_TRUE(fakes::click(first, "no_button"));
    EXPECT_FALSE(first.alive());
    r.rig.ui.advance(20000);
    EXPECT_TRUE(r.rig.os.power.calls.empty());
    EXPECT_FALSE(r.rig.ui.quitting());
    EXPECT_TRUE(r.main->alive());

    open_finish_countdown_if_chosen(kJobInstall);
    EXPECT_EQ(r.countdown()->text("count_label"), "安装已完成，10 秒后自动关机！");
}

// The window leaves the main window usable: a job started meanwhile must not be cut off by the
// session end, neither by Yes nor at zero.
TEST(FinishCountdown, ZeroWhileANewJobRunsClosesWithoutActing) {
    CountdownRig r(true, false);
    open_finish_countdown_if_chosen(kJobRestore);
    ui::Window& w = *r.countdown();
    r.rig.ui.advance(5000);
    g_busy = true;
    EXPECT_TRUE(fakes::click(w, "yes_button"));
    EXPECT_EQ(r.rig.os.notices.hint_texts_and_styles(),
              std::vector<std::string>{"程序正在操作，请等待！|48"});
    EXPECT_TRUE(w.alive());
    r.rig.ui.advance(5000);
    EXPECT_FALSE(w.alive());
    EXPECT_TRUE(r.rig.os.power.calls.empty());
    EXPECT_TRUE(r.rig.os.processes.launches.empty());
    EXPECT_FALSE(r.rig.ui.quitting());
}

}  // namespace
}  // namespace qv
