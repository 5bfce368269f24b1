#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "jobs/whole_disk_layouts.h"
#include "main_window/main_window.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kWarning = "该操作将删除硬盘所有数据，是否继续？|警告|68";

// A Windows PE on X: with one fixed drive, the layout images written by start-up from the carried
// block, and a Ghost that runs for three looks at the process list once started.
struct LayoutRig {
    fakes::MainWindowRig rig;

    LayoutRig() {
        rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
        rig.os.files.add_folder("C:\\");
        rig.os.carried.add("HD3.GHO", "layout image");
        fakes::FakeProcesses::Script ghost;
        ghost.match = "-clone,mode=load";
        ghost.polls = 3;
        rig.os.processes.scripts.push_back(ghost);
    }
    // The whole program with these arguments; one second passes in its message loop.
    ui::Window* run(const std::string& args) {
        rig.os.program.line = "QuennixVelquist.exe " + args;
        rig.ui.on_run([this] { rig.ui.advance(1000); });
        return rig.start_program();
    }
    ui::Window& main_window() {
        install_layout_images();
        g_ghost_exe_path = "X:\\WINDOWS\\Norvex32.exe";
        return rig.open_main_window();
    }
    void install_layout_images() {
        for (const char* file : {"HD3.GHO", "HD4.GHO", "HD5.GHO"})
            rig.os.files.add_file(rig.os.files.system + "\\" + file);
    }
    // Every box as "text|caption|style".
    Strings boxes() const { return rig.os.notices.texts_captions_and_styles(); }
    std::vector<fakes::FakeProcesses::Launch> ghost_launches() const {
        std::vector<fakes::FakeProcesses::Launch> out;
        for (const auto& launch : rig.os.processes.launches)
            if (launch.command_line.find("-clone") != std::string::npos) out.push_back(launch);
        return out;
    }
};

std::string load_command(const char* file) {
    return std::string(
               "X:\\WINDOWS\\Norvex32.exe -nousb -clone,mode=load,src=X:\\WINDOWS\\system32\\\\") +
           file + ",dst=1 -fx -sure";
}

TEST(WholeDiskLayouts, LoadCommandNamesTheLayoutInTheSystemFolderOntoDiskOne) {
    struct Case {
        const char* ghost;
        const char* system;
        const char* file;
        const char* command;
    };
    const Case cases[] = {
        {"X:\\WINDOWS\\Norvex32.exe", "X:\\WINDOWS\\system32\\", "HD3.GHO",
         "X:\\WINDOWS\\Norvex32.exe -nousb -clone,mode=load,src=X:\\WINDOWS\\system32\\\\HD3.GHO,"
         "dst=1 -fx -sure"},
        {"X:\\WINDOWS\\system32\\TesvaneGhostZDY.exe", "X:\\WINDOWS\\system32\\", "HD5.GHO",
         "X:\\WINDOWS\\system32\\TesvaneGhostZDY.exe -nousb -clone,mode=load,"
         "src=X:\\WINDOWS\\system32\\\\HD5.GHO,dst=1 -fx -sure"},
        // Paths the system would split are quoted.
        {"X:\\Ghost Tools\\g.exe", "X:\\Win (PE)\\system32\\", "HD4.GHO",
         "\"X:\\Ghost Tools\\g.exe\" -nousb -clone,mode=load,"
         "src=\"X:\\Win (PE)\\system32\\\\HD4.GHO\",dst=1 -fx -sure"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ghost_disk_clone_command(c.ghost, c.system, c.file), c.command) << c.file;
}

// The command-line option runs the one job of the run: warning, Ghost in a normal window without
// waiting, a 50 ms watch, the report once Ghost is gone, and the end of the program.
TEST(WholeDiskLayouts, CommandLineLayoutRunsGhostThenReportsAndEnds) {
    struct Case {
        const char* option;
        const char* file;
        const char* word;
    };
    const Case cases[] = {
        {"/hdd3", "HD3.GHO", "三"}, {"/hdd4", "HD4.GHO", "四"}, {"/HDD5", "HD5.GHO", "五"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        LayoutRig r;
        r.rig.os.notices.answers = {os::kIdYes};
        bool hidden_when_ghost_started = false;
        r.rig.os.processes.on_launch = [&](const std::string& command) {
            if (command.find("-clone") != std::string::npos)
                hidden_when_ghost_started = !ui::main_window()->visible();
        };
        r.run(c.option);
        const auto launches = r.ghost_launches();
        ASSERT_EQ(launches.size(), 1u);
        EXPECT_EQ(launches[0].command_line, load_command(c.file));
        EXPECT_FALSE(launches[0].wait);
        EXPECT_EQ(launches[0].show, os::kShowNormal);
        EXPECT_TRUE(hidden_when_ghost_started);
        EXPECT_EQ(r.boxes(),
                  (Strings{kWarning, std::string("一键分") + c.word + "完成！|提示|48"}));
        EXPECT_EQ(g_layout_count_word, c.word);
        EXPECT_TRUE(r.rig.ui.quitting());
        EXPECT_EQ(r.rig.exit_code, 0);
        EXPECT_FALSE(g_busy);
        EXPECT_TRUE(r.rig.ui.modal_log().empty());  // no finish countdown
    }
}

TEST(WholeDiskLayouts, WatchPollsEveryFiftyMillisecondsUntilGhostIsGone) {
    LayoutRig r;
    ui::Window& main = r.main_window();
    r.rig.os.notices.answers = {os::kIdYes};
    fakes::choose_menu_item(main, "main_menu_four_partitions");
    EXPECT_EQ(fakes::headless(main).timer_interval("disk_layout_timer"), 50);
    r.rig.ui.advance(150);  // Ghost is still listed at each of these looks
    EXPECT_EQ(r.boxes(), Strings{kWarning});
    EXPECT_TRUE(main.timer_running("disk_layout_timer"));
    r.rig.ui.advance(50);
    EXPECT_FALSE(main.timer_running("disk_layout_timer"));
    EXPECT_EQ(r.boxes(), (Strings{kWarning, "一键分四完成！|提示|48"}));
    EXPECT_FALSE(r.rig.ui.quitting());  // not in automatic mode
    EXPECT_TRUE(main.enabled("start_button"));
}

TEST(WholeDiskLayouts, NoToTheWarningEndsOnlyTheCommandLineRun) {
    LayoutRig cmd;
    cmd.rig.os.notices.answers = {os::kIdNo};
    cmd.run("/hdd4");
    EXPECT_EQ(cmd.boxes(), Strings{kWarning});
    EXPECT_TRUE(cmd.ghost_launches().empty());
    EXPECT_TRUE(cmd.rig.ui.quitting());
    EXPECT_EQ(cmd.rig.exit_code, 0);

    LayoutRig menu;
    ui::Window& main = menu.main_window();
    menu.rig.os.notices.answers = {os::kIdNo};
    fakes::choose_menu_item(main, "disk_menu_five_partitions");
    EXPECT_EQ(menu.boxes(), Strings{kWarning});
    EXPECT_TRUE(menu.ghost_launches().empty());
    EXPECT_FALSE(menu.rig.ui.quitting());
    EXPECT_FALSE(main.timer_running("disk_layout_timer"));
}

TEST(WholeDiskLayouts, MissingLayoutUnderTheOptionLeavesTheHiddenProgramRunning) {
    LayoutRig r;
    r.rig.os.carried = fakes::FakeCarriedFiles{};  // start-up has nothing to write
    ui::Window* main = r.run("/hdd5");
    EXPECT_EQ(r.boxes(), Strings{"Ghost 映象文件 HD5.GHO 不存在|提示|16"});
    EXPECT_TRUE(r.ghost_launches().empty());
    EXPECT_FALSE(r.rig.ui.quitting());
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->alive());
    EXPECT_FALSE(main->visible());
}

// The option upper-cases the Windows folder's letter before it compares it with the expected "X";
// the menu compares the character as it stands. A missing layout is said before the PE test.
TEST(WholeDiskLayouts, OutsideWindowsPeBothEntriesRefuse) {
    struct Case {
        const char* windows;
        bool refused_by_option;
        bool refused_by_menu;
    };
    const Case cases[] = {
        {"X:\\WINDOWS", false, false}, {"x:\\windows", false, true}, {"C:\\windows", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windows);
        LayoutRig cmd;
        cmd.rig.os.files.windows = c.windows;
        cmd.rig.os.files.system = std::string(c.windows) + "\\system32";
        cmd.rig.os.notices.answers = {os::kIdNo};
        cmd.run("/hdd3");
        EXPECT_EQ(cmd.rig.ui.modal_log(),
                  c.refused_by_option ? Strings{"PeOnlyNoticeWindow"} : Strings{});
        EXPECT_EQ(cmd.boxes(), c.refused_by_option ? Strings{} : Strings{kWarning});
        EXPECT_TRUE(cmd.rig.ui.quitting());
        EXPECT_TRUE(cmd.ghost_launches().empty());

        LayoutRig menu;
        menu.rig.os.files.windows = c.windows;
        menu.rig.os.files.system = std::string(c.windows) + "\\system32";
        ui::Window& main = menu.main_window();
        menu.rig.os.notices.answers = {os::kIdNo};
        fakes::choose_menu_item(main, "main_menu_three_partitions");
        EXPECT_EQ(menu.boxes(),
                  c.refused_by_menu ? Strings{"请在Windows PE下运行|提示|16"} : Strings{kWarning});
    }
    LayoutRig missing;
    missing.rig.os.files.windows = "C:\\windows";
    ui::Window& main = missing.rig.open_main_window();
    fakes::choose_menu_item(main, "disk_menu_four_partitions");
    EXPECT_EQ(missing.boxes(), Strings{"Ghost 映象文件 HD4.GHO 不存在|提示|16"});
}

TEST(WholeDiskLayouts, EveryMenuItemStartsItsLayout) {
    const std::pair<const char*, const char*> cases[] = {
        {"main_menu_three_partitions", "HD3.GHO"}, {"disk_menu_three_partitions", "HD3.GHO"},
        {"main_menu_four_partitions", "HD4.GHO"},  {"disk_menu_four_partitions", "HD4.GHO"},
        {"main_menu_five_partitions", "HD5.GHO"},  {"disk_menu_five_partitions", "HD5.GHO"}};
    for (const auto& [item, file] : cases) {
        LayoutRig r;
        ui::Window& main = r.main_window();
        r.rig.os.notices.answers = {os::kIdYes};
        EXPECT_TRUE(fakes::choose_menu_item(main, item));
        ASSERT_EQ(r.ghost_launches().size(), 1u) << item;
        EXPECT_EQ(r.ghost_launches()[0].command_line, load_command(file)) << item;
    }
}

// A Ghost that cannot start has written nothing: no watch, so no "完成" report; the option's run
// ends after saying so.
TEST(WholeDiskLayouts, GhostThatCannotStartIsReportedNotCompleted) {
    LayoutRig menu;
    menu.rig.os.processes.scripts[0].fails = true;
    ui::Window& main = menu.main_window();
    menu.rig.os.notices.answers = {os::kIdYes};
    fakes::choose_menu_item(main, "main_menu_three_partitions");
    menu.rig.ui.advance(500);
    EXPECT_EQ(menu.boxes(), (Strings{kWarning, "Ghost启动失败，一键分三未能完成！|提示|16"}));
    EXPECT_FALSE(main.timer_running("disk_layout_timer"));
    EXPECT_FALSE(menu.rig.ui.quitting());

    LayoutRig cmd;
    cmd.rig.os.processes.scripts[0].fails = true;
    cmd.rig.os.notices.answers = {os::kIdYes};
    cmd.run("/hdd3");
    EXPECT_EQ(cmd.boxes(), (Strings{kWarning, "Ghost启动失败，一键分三未能完成！|提示|16"}));
    EXPECT_TRUE(cmd.rig.ui.quitting());
}

// Ghost's exit code is the verdict: anything but 0 is "一键分" + word + "失败！" with the error
// icon, and the option's run still ends with its job.
TEST(WholeDiskLayouts, GhostThatEndsWithAnErrorIsReportedAsFailed) {
    EXPECT_EQ(layout_failed_text("四"), "一键分四失败！");
    LayoutRig menu;
    menu.rig.os.processes.scripts[0].exit_code = 4;
    ui::Window& main = menu.main_window();
    menu.rig.os.notices.answers = {os::kIdYes};
    fakes::choose_menu_item(main, "disk_menu_four_partitions");
    menu.rig.ui.advance(200);
    EXPECT_EQ(menu.boxes(), (Strings{kWarning, "一键分四失败！|提示|16"}));
    EXPECT_FALSE(main.timer_running("disk_layout_timer"));
    EXPECT_FALSE(menu.rig.ui.quitting());

    LayoutRig cmd;
    cmd.rig.os.processes.scripts[0].exit_code = 1;
    cmd.rig.os.notices.answers = {os::kIdYes};
    cmd.run("/hdd5");
    EXPECT_EQ(cmd.boxes(), (Strings{kWarning, "一键分五失败！|提示|16"}));
    EXPECT_TRUE(cmd.rig.ui.quitting());
    EXPECT_EQ(cmd.rig.exit_code, 0);
}

// Another Ghost chosen on the main window while the layout runs does not end the watch early,
// and another Ghost of the same name that runs on does not hold it up.
TEST(WholeDiskLayouts, WatchFollowsTheGhostItStarted) {
    LayoutRig r;
    ui::Window& main = r.main_window();
    r.rig.os.notices.answers = {os::kIdYes};
    r.rig.os.processes.add_process("Norvex32.exe");
    fakes::choose_menu_item(main, "main_menu_five_partitions");
    g_ghost_exe_path = "X:\\WINDOWS\\system32\\TesvaneGhostZDY.exe";
    r.rig.ui.advance(100);
    EXPECT_TRUE(main.timer_running("disk_layout_timer"));
    r.rig.ui.advance(100);
    EXPECT_EQ(r.boxes().back(), "一键分五完成！|提示|48");
}

// A layout rewrites the whole disk: while its Ghost runs, neither another layout nor the start
// button begins anything, and while a job holds the busy state no layout begins.
TEST(WholeDiskLayouts, NothingStartsOnTopOfARunningLayoutOrJob) {
    const std::string busy = "程序正在操作，请等待！|提示|48";
    LayoutRig r;
    ui::Window& main = r.main_window();
    r.rig.os.notices.answers = {os::kIdYes};
    ASSERT_TRUE(fakes::choose_menu_item(main, "main_menu_three_partitions"));
    ASSERT_EQ(r.ghost_launches().size(), 1u);
    EXPECT_TRUE(fakes::choose_menu_item(main, "disk_menu_four_partitions"));
    EXPECT_TRUE(fakes::click(main, "start_button"));
    EXPECT_EQ(r.ghost_launches().size(), 1u);
    EXPECT_EQ(r.boxes(), (Strings{kWarning, busy, busy}));
    r.rig.ui.advance(200);
    EXPECT_EQ(r.boxes().back(), "一键分三完成！|提示|48");

    g_busy = true;
    EXPECT_TRUE(fakes::choose_menu_item(main, "main_menu_five_partitions"));
    EXPECT_EQ(r.boxes().back(), busy);
    EXPECT_EQ(r.ghost_launches().size(), 1u);
    g_busy = false;
}

}  // namespace
}  // namespace qv
