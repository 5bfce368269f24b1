#include <gtest/gtest.h>

#include <functional>

#include "base/state.h"
#include "disks/partition_list.h"
#include "fakes/main_window_rig.h"
#include "jobs/ghost_restore.h"
#include "jobs/virtual_drive.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"
#include "shell/command_line.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int64_t kMB = 1024 * 1024;
constexpr const char* kGhost = "X:\\WINDOWS\\Norvex32.exe";

// A machine in Windows PE (X:) with the Ghost tool in place, a fixed C: (1:1) and D: (1:2), and a
// 200 MB image on D:. Ghost, once started, runs for `ghost_polls` looks of the watch.
struct RestoreRig {
    // Records, for every box, whether the restore window was on top while it showed.
    struct BoxWatch : os::Notices {
        RestoreRig* owner = nullptr;
        std::vector<bool> on_top;
        int message_box(const std::string& text, const std::string& caption, int style) override {
            ui::Window* w = owner->rig.ui.find("GhostRestoreWindow");
            on_top.push_back(w != nullptr && fakes::headless(*w).topmost());
            return owner->rig.os.notices.message_box(text, caption, style);
        }
    };

    fakes::MainWindowRig rig;
    BoxWatch watch;
    ui::Window* main = nullptr;
    int ghost_polls = 3;
    int ghost_exit_code = 0;

    RestoreRig() {
        watch.owner = this;
        os::os().notices = &watch;
        main = &rig.open_main_window();
        g_ghost_exe_path = kGhost;
        g_ghost_crcignore_switch = " -crcignore ";
        g_ghost_noide_switch = " -noide";
        rig.os.files.add_file(kGhost, "ghost");
        add_drive("C:\\", 0, 1);
        add_drive("D:\\", 0, 2);
        rig.os.files.add_file_of_size("D:\\GHO\\w7.gho", 200 * kMB);
    }
    void add_drive(const std::string& root, std::uint32_t device, std::uint32_t partition,
                   int type = os::kDriveFixed) {
        rig.os.drives.add(root, type, device, partition);
        rig.os.files.add_folder(root);
    }
    void script_ghost(bool fails = false) {
        fakes::FakeProcesses::Script s;
        s.match = "-clone,mode=pload";
        s.name = "Norvex32.exe";
        s.polls = ghost_polls;
        s.exit_code = ghost_exit_code;
        s.fails = fails;
        rig.os.processes.scripts.push_back(s);
    }
    // The interactive target as the partition list leaves it in the hidden labels.
    void choose(const std::string& image, const std::string& root,
                const std::string& disk_partition) {
        main->add_item("image_combo", image);
        main->select("image_combo", main->item_count("image_combo") - 1);
        fakes::set_selected_partition(*main, root, disk_partition);
        main->set_text("selected_drive_type_label", "硬盘驱动器");
    }
    // "/install=" as the command line leaves the program-wide state.
    void command_line(const std::string& image, const std::string& root,
                      const std::string& disk_partition) {
        g_automatic_mode = true;
        g_install_image_path = image;
        g_target_drive = root;
        g_target_disk_partition = disk_partition;
        g_target_row_key = disk_partition;
    }
    // Opens the window modally and runs `script` inside it.
    void open(std::function<void(ui::Window&)> script) {
        rig.ui.on_modal("GhostRestoreWindow", std::move(script));
        open_ghost_restore_window_modal();
    }
    Strings boxes() const { return rig.os.notices.hint_texts_and_styles(); }
    Strings balloons() const { return fakes::balloon_texts(*main); }
    bool countdown_open() { return rig.ui.find("FinishCountdownWindow") != nullptr; }
    ~RestoreRig() { os::os().notices = &rig.os.notices; }
    RestoreRig(const RestoreRig&) = delete;
    RestoreRig& operator=(const RestoreRig&) = delete;
};

TEST(GhostRestoreCommand, IsBuiltExactly) {
    struct Case {
        const char* ghost;
        const char* image;
        const char* crc;
        const char* noide;
        const char* password;
        const char* expected;
    };
    const Case cases[] = {
        {kGhost, "D:\\GHO\\WIN7.GHO", " -crcignore ", " -noide", "",
         "X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\WIN7.GHO\":1,dst=1:1 "
         "-crcignore  -noide -sure  -fx"},
        {kGhost, "D:\\GHO\\WIN7.GHO", " -crcignore ", " -noide", " -pwd=abc123",
         "X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\WIN7.GHO\":1,dst=1:1 "
         "-crcignore  -noide -pwd=abc123 -sure  -fx"},
        {kGhost, "D:\\GHO\\WIN7.GHO", "", "", "",
         "X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\WIN7.GHO\":1,dst=1:1 -sure  "
         "-fx"},
        // The image is always quoted; Ghost's own path only when the system would split it.
        {"D:\\My Tools\\Ghost32.exe", "D:\\My Images\\a&b.gho", "", " -noide", "",
         "\"D:\\My Tools\\Ghost32.exe\" -clone,mode=pload,src=\"D:\\My Images\\a&b.gho\":1,dst=1:1 "
         "-noide -sure  -fx"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ghost_restore_command(c.ghost, c.image, "1:1", c.crc, c.noide, c.password),
                  c.expected);
}

TEST(GhostRestoreWindow, ShortensTheImageAtTwentyEightBytes) {
    RestoreRig r;
    EXPECT_EQ(shortened_image_text("D:\\abcdefghijklmnopqrst.gho"), "D:\\abcdefghijklmnopqrst.gho");
    EXPECT_EQ(shortened_image_text("D:\\abcdefghijklmnopqrstu.gho"),
              "D:\\abcdefghi...nopqrstu.gho");
    // A relative name is named by its full path.
    EXPECT_EQ(shortened_image_text("a.gho"), "X:\\Program\\a.gho");
    // The cuts never take half of a double-byte character: "系" and "件" straddle the cuts.
    EXPECT_EQ(shortened_image_text("D:\\GHO\\abcd系统映像文件夹\\win7.gho"),
              "D:\\GHO\\abcd...夹\\win7.gho");
}

// The interactive job: the window names what it will erase, OK starts Ghost with the exact
// command and watches it every 50 ms, and the end reports while the window stays for another run.
TEST(GhostRestoreWindow, InteractiveJobRunsWatchesAndReports) {
    RestoreRig r;
    r.script_ghost();
    r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
    ui::Window* window = nullptr;
    r.open([&](ui::Window& w) {
        window = &w;
        EXPECT_EQ(w.text("question_label"), "程序准备就绪，是否马上用 Ghost32 进行还原？");
        EXPECT_EQ(w.text("warning_label"), "注意：本操作将删除 C:\\(1:1) 上的所有数据。");
        EXPECT_EQ(w.picture("panel"), "dialog_panel");
        EXPECT_EQ(w.picture("ok_button"), "btn_ok");
        EXPECT_EQ(w.picture("cancel_button"), "btn_cancel_x");  // "取消(X)", as its hint names it
        EXPECT_FALSE(fakes::headless(w).drop_enabled());
        EXPECT_FALSE(fakes::headless(w).topmost());

        ASSERT_TRUE(fakes::click(w, "ok_button"));
        ASSERT_EQ(r.rig.os.processes.launches.size(), 1u);
        const auto& launch = r.rig.os.processes.launches[0];
        EXPECT_EQ(launch.command_line,
                  "X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,dst=1:1 "
                  "-crcignore  -noide -sure  -fx");
        EXPECT_EQ(launch.show, os::kShowNormal);
        EXPECT_FALSE(launch.wait);
        EXPECT_TRUE(g_busy);
        EXPECT_FALSE(fakes::shown(w, "ok_button"));
        EXPECT_FALSE(w.enabled("cancel_button"));
        EXPECT_TRUE(fakes::shown(w, "status_label"));
        EXPECT_EQ(w.text("status_label"), "Ghost正在还原 C:\\(1:1)，请稍候....");
        EXPECT_EQ(w.control_rect("status_label").x, 96);
        EXPECT_EQ(w.control_rect("status_label").w, 248);
        EXPECT_EQ(fakes::headless(w).timer_interval("interactive_watch_timer"), 50);

        r.rig.ui.advance(100);  // two looks: Ghost still runs
        EXPECT_TRUE(g_busy);
        EXPECT_TRUE(r.boxes().empty());
        EXPECT_FALSE(fakes::request_close(w));  // Alt+F4 cannot take the window from its job
        EXPECT_TRUE(w.alive());
        // The main window stays usable, but its start button begins nothing while Ghost writes.
        ASSERT_TRUE(fakes::click(*r.main, "start_button"));
        EXPECT_EQ(r.boxes(), Strings{"程序正在操作，请等待！|48"});
        EXPECT_EQ(r.rig.os.processes.launches.size(), 1u);
        r.rig.ui.advance(100);
        EXPECT_FALSE(g_busy);
        EXPECT_FALSE(w.timer_running("interactive_watch_timer"));
        EXPECT_TRUE(fakes::shown(w, "ok_button"));
        EXPECT_TRUE(w.enabled("cancel_button"));
        EXPECT_FALSE(fakes::shown(w, "status_label"));
        EXPECT_EQ(w.control_rect("status_label").x, 3);
        EXPECT_EQ(w.control_rect("status_label").w, 3);
        EXPECT_TRUE(w.alive());
        EXPECT_TRUE(fakes::click(w, "cancel_button"));
        EXPECT_FALSE(w.alive());
    });
    EXPECT_EQ(r.boxes(),
              (Strings{"程序正在操作，请等待！|48", "D:\\GHO\\w7.gho 还原到 C:\\(1:1) 完成！|64"}));
    EXPECT_EQ(r.balloons(), (Strings{"Ghost正在还原 C:\\(1:1)，请稍候....",
                                     "D:\\GHO\\w7.gho 还原到 C:\\(1:1) 完成！"}));
    EXPECT_FALSE(r.rig.ui.quitting());
    EXPECT_FALSE(r.countdown_open());
}

// The password box's text follows the password switch directly, as one argument.
TEST(GhostRestoreWindow, InteractiveJobPassesThePassword) {
    RestoreRig r;
    r.script_ghost();
    r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
    ASSERT_TRUE(fakes::click(*r.main, "password_check"));
    ASSERT_TRUE(fakes::type_text(*r.main, "password_edit", "abc123"));
    r.open([&](ui::Window& w) { fakes::click(w, "ok_button"); });
    EXPECT_EQ(r.rig.os.processes.commands(),
              Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,"
                      "dst=1:1 -crcignore  -noide -pwd=abc123 -sure  -fx"});
}

// The main window stays usable while the window is open: nothing changed there afterwards may
// redirect the restore, and a Ghost chosen meanwhile does not end the watch of the one running.
TEST(GhostRestoreWindow, JobKeepsWhatItsWindowConfirmed) {
    RestoreRig r;
    r.ghost_polls = 4;
    r.script_ghost();
    r.rig.os.files.add_file_of_size("D:\\other.gho", 200 * kMB);
    r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
    r.open([&](ui::Window& w) {
        r.choose("D:\\other.gho", "D:\\", "1:2");
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        g_ghost_exe_path = "D:\\Tools\\GhostCustom.exe";
        r.rig.ui.advance(150);
        EXPECT_TRUE(g_busy) << "the watch looked for the other Ghost";
        r.rig.ui.advance(100);
        EXPECT_FALSE(g_busy);
    });
    EXPECT_EQ(r.rig.os.processes.commands(),
              Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,"
                      "dst=1:1 -crcignore  -noide -sure  -fx"});
    EXPECT_EQ(r.boxes(), Strings{"D:\\GHO\\w7.gho 还原到 C:\\(1:1) 完成！|64"});
}

// The main window stays usable while the confirmation is open, so the start button can be pressed
// again: a second confirmation must not take over the first one, whose OK would then restore what
// its own warning does not name.
TEST(GhostRestoreWindow, OneConfirmationAtATime) {
    RestoreRig r;
    r.script_ghost();
    r.rig.os.files.add_file_of_size("D:\\other.gho", 200 * kMB);
    r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
    int opened = 0;
    r.open([&](ui::Window& w) {
        if (++opened > 1) return;
        r.choose("D:\\other.gho", "E:\\", "1:3");
        open_ghost_restore_window_modal();
        EXPECT_TRUE(w.alive());
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        r.rig.ui.advance(500);
    });
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(r.rig.ui.modal_log(), Strings{"GhostRestoreWindow"});
    EXPECT_EQ(r.rig.os.processes.commands(),
              Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,"
                      "dst=1:1 -crcignore  -noide -sure  -fx"});
}

TEST(GhostRestoreWindow, MissingToolOrImageStartsNothing) {
    RestoreRig r;
    r.choose("D:\\GHO\\gone.gho", "C:\\", "1:1");
    r.open([&](ui::Window& w) {
        fakes::click(w, "ok_button");
        r.rig.os.files.delete_file(kGhost);
        fakes::click(w, "ok_button");
        EXPECT_TRUE(w.alive());
    });
    EXPECT_EQ(r.boxes(),
              (Strings{"D:\\GHO\\gone.gho 不存在！|16",
                       "出现错误，支持库写入失败，可能被安全软件拦截，请重启本程序！|16"}));
    EXPECT_TRUE(r.rig.os.processes.launches.empty());
}

// A Ghost that could not be started has restored nothing: no watch, no "完成", no countdown, and
// in automatic mode the program stays for another try.
TEST(GhostRestoreWindow, GhostThatFailsToStartIsAFailure) {
    for (bool automatic : {false, true}) {
        SCOPED_TRACE(automatic ? "automatic" : "interactive");
        RestoreRig r;
        r.script_ghost(true);
        r.main->set_checked("shutdown_after_job_check", true);
        if (automatic)
            r.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
        else
            r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
        r.open([&](ui::Window& w) {
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            EXPECT_FALSE(g_busy);
            EXPECT_FALSE(w.timer_running("interactive_watch_timer"));
            EXPECT_FALSE(w.timer_running("automatic_watch_timer"));
            EXPECT_TRUE(fakes::shown(w, "ok_button"));
            EXPECT_FALSE(fakes::shown(w, "status_label"));
            EXPECT_EQ(fakes::headless(w).topmost(), automatic);
            r.rig.ui.advance(1000);
            EXPECT_TRUE(w.alive());
        });
        EXPECT_EQ(r.boxes(), Strings{"Ghost启动失败，D:\\GHO\\w7.gho 未能还原到 C:\\(1:1)！|16"});
        EXPECT_FALSE(r.countdown_open());
        EXPECT_FALSE(r.rig.ui.quitting());
        EXPECT_TRUE(r.rig.os.power.calls.empty());
    }
}

// Ghost's exit code is the verdict: anything but 0 is reported as a failure with the error icon,
// never as "完成！", and no countdown follows even with a finish box ticked; the job's busy state
// is cleared, the interactive window stays, and an unattended run still ends with its job.
TEST(GhostRestoreWindow, GhostThatEndsWithAnErrorIsAFailure) {
    EXPECT_EQ(ghost_restore_done_text("D:\\GHO\\w7.gho", "C:\\(1:1)"),
              "D:\\GHO\\w7.gho 还原到 C:\\(1:1) 完成！");
    EXPECT_EQ(ghost_restore_failed_text("D:\\GHO\\w7.gho", "C:\\(1:1)"),
              "D:\\GHO\\w7.gho 还原到 C:\\(1:1) 失败！");
    struct Case {
        bool automatic;
        int exit_code;
    } cases[] = {{false, 1}, {false, 3}, {true, 2}, {true, 259}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.automatic ? "automatic" : "interactive") + ", exit code " +
                     std::to_string(c.exit_code));
        RestoreRig r;
        r.ghost_exit_code = c.exit_code;
        r.script_ghost();
        r.main->set_checked("restart_after_job_check", true);
        if (c.automatic)
            r.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
        else
            r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
        r.open([&](ui::Window& w) {
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            r.rig.ui.advance(200);
            EXPECT_FALSE(g_busy);
            EXPECT_FALSE(w.timer_running("interactive_watch_timer"));
            EXPECT_FALSE(w.timer_running("automatic_watch_timer"));
            EXPECT_TRUE(w.alive());
            EXPECT_TRUE(fakes::shown(w, "ok_button"));
        });
        EXPECT_EQ(r.boxes(), Strings{"D:\\GHO\\w7.gho 还原到 C:\\(1:1) 失败！|16"});
        EXPECT_EQ(r.balloons().back(), "D:\\GHO\\w7.gho 还原到 C:\\(1:1) 失败！");
        EXPECT_FALSE(r.countdown_open());
        EXPECT_EQ(r.rig.ui.quitting(), c.automatic);
        EXPECT_EQ(r.rig.ui.exit_code(), 0);
        r.rig.ui.advance(11000);
        EXPECT_TRUE(r.rig.os.power.calls.empty());
    }
}

// The watch asks the Ghost it started: another Ghost of the same name that runs on (a hand-run
// one) neither holds the job up nor is taken for it.
TEST(GhostRestoreWindow, WatchAsksTheGhostItStartedNotAName) {
    RestoreRig r;
    r.script_ghost();
    r.rig.os.processes.add_process("Norvex32.exe");  // runs until the end of the test
    r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
    r.open([&](ui::Window& w) {
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        r.rig.ui.advance(200);
        EXPECT_FALSE(g_busy);
    });
    EXPECT_TRUE(r.rig.os.processes.running("Norvex32.exe"));
    EXPECT_EQ(r.boxes(), Strings{"D:\\GHO\\w7.gho 还原到 C:\\(1:1) 完成！|64"});
}

// A finish box hands the end over to the countdown (shutdown wins when both are ticked) and the
// window closes; in automatic mode the program does not end then, the countdown does.
TEST(GhostRestoreWindow, FinishChoiceHandsOverToTheCountdown) {
    struct Case {
        bool automatic, restart, shutdown;
        const char* count_line;
    };
    const Case cases[] = {
        {false, true, false, "还原已完成，10 秒后自动重启！"},
        {false, true, true, "还原已完成，10 秒后自动关机！"},
        {true, false, true, "还原已完成，10 秒后自动关机！"},
        {true, true, false, "还原已完成，10 秒后自动重启！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count_line);
        RestoreRig r;
        r.script_ghost();
        if (c.automatic)
            r.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
        else
            r.choose("D:\\GHO\\w7.gho", "C:\\", "1:1");
        r.main->set_checked("restart_after_job_check", c.restart);
        r.main->set_checked("shutdown_after_job_check", c.shutdown);
        r.open([&](ui::Window& w) {
            fakes::click(w, "ok_button");
            r.rig.ui.advance(200);
            EXPECT_FALSE(w.alive());
        });
        EXPECT_TRUE(r.boxes().empty());
        ui::Window* countdown = r.rig.ui.find("FinishCountdownWindow");
        ASSERT_NE(countdown, nullptr);
        EXPECT_EQ(countdown->text("count_label"), c.count_line);
        EXPECT_EQ(fakes::headless(*countdown).parent(), nullptr);
        EXPECT_EQ(g_finished_job_kind, 0);
        EXPECT_FALSE(r.rig.ui.quitting());
        r.rig.ui.advance(10000);
        EXPECT_EQ(r.rig.os.power.calls.size(), 2u);
        EXPECT_TRUE(r.rig.ui.quitting());
    }
}

// Automatic mode: the window names the command-line image and target and stays on top; its end
// without a finish choice reports and then ends the program, and so does a cancel.
TEST(GhostRestoreWindow, AutomaticJobEndsTheProgram) {
    RestoreRig r;
    r.script_ghost();
    r.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
    r.open([&](ui::Window& w) {
        EXPECT_EQ(w.text("question_label"), "是否马上还原 D:\\GHO\\w7.gho ？");
        EXPECT_EQ(g_dropped_image_display, "D:\\GHO\\w7.gho");
        EXPECT_EQ(w.text("warning_label"), "注意：本操作将删除 C:\\(1:1) 上的所有数据。");
        EXPECT_TRUE(fakes::headless(w).topmost());
        EXPECT_TRUE(fakes::headless(w).drop_enabled());
        fakes::click(w, "ok_button");
        EXPECT_EQ(w.text("status_label"), "Ghost正在还原 C:\\(1:1)，请稍候....");
        EXPECT_EQ(fakes::headless(w).timer_interval("automatic_watch_timer"), 50);
        EXPECT_FALSE(fakes::request_close(w));
        EXPECT_FALSE(r.rig.ui.quitting());
        r.rig.ui.advance(200);
        EXPECT_TRUE(fakes::headless(w).topmost());
    });
    EXPECT_EQ(r.boxes(), Strings{"D:\\GHO\\w7.gho 还原到 C:\\(1:1) 完成！|64"});
    EXPECT_EQ(r.rig.os.processes.commands(),
              Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,"
                      "dst=1:1 -crcignore  -noide -sure  -fx"});
    EXPECT_EQ(r.watch.on_top, std::vector<bool>{false});
    EXPECT_TRUE(r.rig.ui.quitting());
    EXPECT_EQ(r.rig.ui.exit_code(), 0);

    RestoreRig cancel;
    cancel.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
    cancel.open([&](ui::Window& w) { fakes::click(w, "cancel_button"); });
    EXPECT_TRUE(cancel.rig.ui.quitting());
    EXPECT_TRUE(cancel.rig.os.processes.launches.empty());

    // Closing the idle window is its cancel: the hidden main window is no way to go on from.
    RestoreRig closed;
    closed.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
    closed.open([&](ui::Window& w) { fakes::request_close(w); });
    EXPECT_TRUE(closed.rig.ui.quitting());
    EXPECT_EQ(closed.rig.ui.exit_code(), 0);
    EXPECT_TRUE(closed.rig.os.processes.launches.empty());
}

// The unattended job's checks, in order, each a box with the window off always-on-top; the
// window stays open after each.
TEST(GhostRestoreWindow, AutomaticJobRefusesInTheOrderOfItsChecks) {
    struct Case {
        const char* name;
        std::function<void(RestoreRig&)> breaks;
        const char* box;
    };
    const Case cases[] = {
        {"image missing", [](RestoreRig& r) { r.rig.os.files.delete_file("D:\\GHO\\w7.gho"); },
         "未找到 D:\\GHO\\w7.gho ！|16"},
        {"target missing", [](RestoreRig& r) { r.command_line("D:\\GHO\\w7.gho", "Q:\\", "1:1"); },
         "指定还原的分区 Q:\\(1:1) 不存在！|16"},
        // Drive letters compare without regard to case: the image is on its own target.
        {"image on target", [](RestoreRig& r) { r.command_line("c:\\w7.gho", "C:\\", "1:1"); },
         "需还原的分区不可与还原映像文件所在的路径相同！|48"},
        // The image lies on a disc that this run mounted from an image file on the target.
        {"image on a disc mounted from the target",
         [](RestoreRig& r) {
             r.rig.os.files.add_file_of_size("Z:\\w7.gho", 200 * kMB);
             remember_mounted_iso("Z", "c:\\iso\\disc.iso");
             r.command_line("Z:\\w7.gho", "C:\\", "1:1");
         },
         "需还原的分区不可与还原映像文件所在的路径相同！|48"},
        {"Windows drive", [](RestoreRig& r) { r.rig.os.files.windows = "c:\\windows"; },
         "指定还原的分区 C:\\(1:1) 正在使用！|48"},
        {"probe", [](RestoreRig& r) { r.rig.os.files.fail_writes(true); },
         "指定还原的分区 C:\\(1:1) 写入数据失败，请选择正确的分区！|16"},
        {"small image",
         [](RestoreRig& r) { r.rig.os.files.add_file_of_size("D:\\GHO\\w7.gho", 1023); },
         "无效的Gho映像文件，请选择正确的Gho映像文件！|48"},
        {"not a hard disk",
         [](RestoreRig& r) {
             ASSERT_NE(r.rig.os.drives.find("C:\\"), nullptr);
             r.rig.os.drives.find("C:\\")->type = os::kDriveRemovable;
         },
         "需安装的分区 C:\\(1:1) 是 可移动驱动器，是否继续？\r\n注意：C:\\(1:1) "
         "不是硬盘，如果继续将"
         "导致数据丢失！|52"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreRig r;
        r.script_ghost();
        r.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
        r.rig.os.files.add_file_of_size("c:\\w7.gho", 200 * kMB);
        c.breaks(r);
        r.open([&](ui::Window& w) {
            fakes::click(w, "ok_button");
            EXPECT_TRUE(w.alive());
            EXPECT_TRUE(fakes::headless(w).topmost());
        });
        EXPECT_EQ(r.boxes(), Strings{c.box});
        EXPECT_EQ(r.watch.on_top, std::vector<bool>{false});
        EXPECT_TRUE(r.rig.os.processes.launches.empty());
        EXPECT_FALSE(r.rig.ui.quitting());
        // The probe never stays behind.
        EXPECT_FALSE(r.rig.os.files.has("C:\\Marlune.Tmp"));
    }
}

// A removable target is restored after a Yes.
TEST(GhostRestoreWindow, AutomaticJobGoesOnToARemovableTargetAfterYes) {
    RestoreRig r;
    r.script_ghost();
    r.add_drive("E:\\", 1, 0, os::kDriveRemovable);
    r.command_line("D:\\GHO\\w7.gho", "E:\\", "2:0");
    r.rig.os.notices.answers = {os::kIdYes};
    r.open([&](ui::Window& w) { fakes::click(w, "ok_button"); });
    EXPECT_EQ(r.rig.os.processes.commands(),
              Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,"
                      "dst=2:0 -crcignore  -noide -sure  -fx"});
}

// Drops: only a .GHO is asked about; a confirmed one replaces the command-line image for OK.
TEST(GhostRestoreWindow, DroppedGhostImageReplacesTheCommandLineImage) {
    RestoreRig r;
    r.script_ghost();
    r.command_line("D:\\GHO\\w7.gho", "C:\\", "1:1");
    r.rig.os.files.add_file_of_size("D:\\new\\xp.GHO", 150 * kMB);
    r.rig.os.notices.answers = {os::kIdOk, os::kIdNo, os::kIdYes};
    r.open([&](ui::Window& w) {
        ASSERT_TRUE(fakes::drop_files(w, {"D:\\new\\xp.iso"}));
        EXPECT_EQ(w.text("question_label"), "是否马上还原 D:\\GHO\\w7.gho ？");
        fakes::drop_files(w, {"D:\\new\\xp.GHO"});
        EXPECT_EQ(w.text("question_label"), "是否马上还原 D:\\GHO\\w7.gho ？");
        EXPECT_TRUE(g_dropped_image_path.empty());
        fakes::drop_files(w, {"D:\\new\\xp.GHO"});
        EXPECT_EQ(w.text("question_label"), "是否马上还原 D:\\new\\xp.GHO ？");
        EXPECT_EQ(g_dropped_image_path, "D:\\new\\xp.GHO");
        EXPECT_TRUE(fakes::headless(w).topmost());
        fakes::click(w, "ok_button");
    });
    EXPECT_EQ(r.boxes(), (Strings{"不支持的文件格式。|16", "是否还原 D:\\new\\xp.GHO ？|68",
                                  "是否还原 D:\\new\\xp.GHO ？|68"}));
    EXPECT_EQ(r.rig.os.processes.commands(),
              Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\new\\xp.GHO\":1,"
                      "dst=1:1 -crcignore  -noide -sure  -fx"});
}

// The unattended road from the command line: "/install=" with "/DEVICE=" as a drive letter and
// "/r" restores the image to that partition and restarts when the countdown runs out.
TEST(GhostRestoreWindow, InstallOptionRestoresThenRestarts) {
    RestoreRig r;
    r.script_ghost();
    r.main->add_row("partition_list", {"C:\\", "1:1", "", "硬盘驱动器", "", ""});
    r.main->add_row("partition_list", {"D:\\", "1:2", "", "硬盘驱动器", "", ""});
    r.rig.os.program.line =
        "X:\\Program\\QuennixVelquist.exe /install=D:\\GHO\\w7.gho /DEVICE=C /r";
    r.rig.ui.on_modal("GhostRestoreWindow", [&](ui::Window& w) {
        EXPECT_EQ(w.text("warning_label"), "注意：本操作将删除 C:\\(1:1) 上的所有数据。");
        fakes::click(w, "ok_button");
        r.rig.ui.advance(200);
    });
    StartUpRun run{*r.main};
    apply_command_line(run);
    EXPECT_EQ(r.rig.ui.modal_log(), Strings{"GhostRestoreWindow"});
    EXPECT_EQ(r.rig.os.processes.commands(),
              Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,"
                      "dst=1:1 -crcignore  -noide -sure  -fx"});
    ASSERT_TRUE(r.countdown_open());
    EXPECT_FALSE(r.rig.ui.quitting());
    r.rig.ui.advance(10000);
    EXPECT_EQ(r.rig.os.processes.commands().back(), "PECMD.EXE SHUT R");
    EXPECT_EQ(r.rig.os.power.calls, (Strings{"privilege", "exit 2 0"}));
    EXPECT_TRUE(r.rig.ui.quitting());
}

// The partition list filled with C: (1:1), D: (1:2) and G: (1:3); then the partitions are
// renumbered before Ghost starts, as when a disk is attached or another tool repartitions.
enum class Renumbering {
    None,
    NewDriveFirst,     // a new F: takes 1:3, G: is now 1:4
    NumberUnreadable,  // G:'s volume no longer answers: no numbers, no row
};

void renumber(RestoreRig& r, Renumbering how) {
    auto& drives = r.rig.os.drives.drives;
    switch (how) {
        case Renumbering::None:
            break;
        case Renumbering::NewDriveFirst: {
            fakes::FakeDrive f;
            f.root = "F:\\";
            f.number = {0, 3};
            drives.insert(drives.begin() + 2, f);
            r.rig.os.files.add_folder("F:\\");
            r.rig.os.drives.find("G:\\")->number = {0, 4};
            break;
        }
        case Renumbering::NumberUnreadable:
            r.rig.os.drives.find("G:\\")->answers_number = false;
            break;
    }
}

// Back to the numbering the list was filled with.
void undo_renumbering(RestoreRig& r) {
    auto& drives = r.rig.os.drives.drives;
    if (r.rig.os.drives.find("F:\\") != nullptr) drives.erase(drives.begin() + 2);
    r.rig.os.drives.find("G:\\")->number = {0, 3};
    r.rig.os.drives.find("G:\\")->answers_number = true;
}

Strings list_rows(const ui::Window& main) {
    Strings out;
    for (int row = 0; row < main.row_count("partition_list"); ++row)
        out.push_back(main.cell("partition_list", row, 0) + " " +
                      main.cell("partition_list", row, 1));
    return out;
}

Strings ghost_commands(const RestoreRig& r) {
    Strings out;
    for (const std::string& c : r.rig.os.processes.commands())
        if (c.find("-clone,mode=pload") != std::string::npos) out.push_back(c);
    return out;
}

enum class Road { StartButton, InstallOption, DroppedImage };

// Ghost takes the disk:partition, not the letter: when the partition the window named carries
// another number by the time OK is pressed, no Ghost starts and nothing of a start is shown; the
// list is refreshed with the new numbers and the user is told to choose again. The interactive
// window closes; the unattended one stays, refuses every OK while the number differs, and
// restores the partition its warning named once that carries its number again. With the numbers
// unchanged each road gives Ghost "dst=1:3".
TEST(GhostRestoreWindow, TargetRenumberedSinceTheListWasFilledStartsNothing) {
    const std::string refusal = "分区已发生变化，分区列表已刷新，请重新选择要还原的分区！|48";
    const std::string on_g =
        "X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\GHO\\w7.gho\":1,"
        "dst=1:3 -crcignore  -noide -sure  -fx";
    const std::string dropped_on_g =
        "X:\\WINDOWS\\Norvex32.exe -clone,mode=pload,src=\"D:\\new\\xp.GHO\":1,dst=1:3 "
        "-crcignore  -noide -sure  -fx";
    const Strings filled = {"C:\\ 1:1", "D:\\ 1:2", "G:\\ 1:3"};
    const Strings renumbered = {"C:\\ 1:1", "D:\\ 1:2", "F:\\ 1:3", "G:\\ 1:4"};
    const Strings g_unreadable = {"C:\\ 1:1", "D:\\ 1:2"};
    struct Case {
        const char* name;
        Road road;
        Renumbering how;
        bool locked;  // a long action holds the main window's lock meanwhile
        Strings rows_after;
    };
    const Case cases[] = {
        {"start button, unchanged", Road::StartButton, Renumbering::None, false, filled},
        {"start button, new drive", Road::StartButton, Renumbering::NewDriveFirst, false,
         renumbered},
        {"start button, new drive, locked", Road::StartButton, Renumbering::NewDriveFirst, true,
         renumbered},
        {"start button, no number", Road::StartButton, Renumbering::NumberUnreadable, false,
         g_unreadable},
        {"/install=, unchanged", Road::InstallOption, Renumbering::None, false, filled},
        {"/install=, new drive", Road::InstallOption, Renumbering::NewDriveFirst, false,
         renumbered},
        {"/install=, no number, locked", Road::InstallOption, Renumbering::NumberUnreadable, true,
         g_unreadable},
        {"dropped, unchanged", Road::DroppedImage, Renumbering::None, false, filled},
        {"dropped, new drive", Road::DroppedImage, Renumbering::NewDriveFirst, false, renumbered},
        {"dropped, no number", Road::DroppedImage, Renumbering::NumberUnreadable, false,
         g_unreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreRig r;
        r.script_ghost();
        r.add_drive("G:\\", 0, 3);
        fill_partition_list_fixed(*r.main);
        ASSERT_EQ(list_rows(*r.main), filled);
        const bool unattended = c.road != Road::StartButton;
        const bool refused = c.how != Renumbering::None;
        const std::string expected_ghost = c.road == Road::DroppedImage ? dropped_on_g : on_g;
        if (unattended) {
            r.rig.os.program.line =
                "X:\\Program\\QuennixVelquist.exe /install=D:\\GHO\\w7.gho "
                "/DEVICE=G";
            r.rig.os.files.add_file_of_size("D:\\new\\xp.GHO", 150 * kMB);
            r.rig.os.notices.answers = {os::kIdYes};  // to the drop's question
        } else {
            r.main->add_item("image_combo", "D:\\GHO\\w7.gho");
            r.main->select("image_combo", 0);
            ASSERT_TRUE(fakes::click_row(*r.main, "partition_list", 2));
            ASSERT_EQ(r.main->text("selected_caption_label"), "G:\\(1:3)");
            renumber(r, c.how);  // after the choice, before the start button
        }
        const std::size_t boxes_before = r.boxes().size();
        bool alive_after = false;
        r.rig.ui.on_modal("GhostRestoreWindow", [&](ui::Window& w) {
            EXPECT_EQ(w.text("warning_label"), "注意：本操作将删除 G:\\(1:3) 上的所有数据。");
            if (c.road == Road::DroppedImage) {
                ASSERT_TRUE(fakes::drop_files(w, {"D:\\new\\xp.GHO"}));
            }
            if (unattended) renumber(r, c.how);
            if (c.locked) ui::lock_ui();
            const std::size_t balloons_before = r.balloons().size();
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            if (!refused) {
                r.rig.ui.advance(200);
                return;
            }
            EXPECT_TRUE(ghost_commands(r).empty());
            EXPECT_FALSE(g_busy);
            EXPECT_FALSE(w.alive() && w.timer_running("interactive_watch_timer"));
            EXPECT_FALSE(w.alive() && w.timer_running("automatic_watch_timer"));
            EXPECT_EQ(list_rows(*r.main), c.rows_after);
            const Strings balloons = r.balloons();
            EXPECT_EQ(
                Strings(balloons.begin() + static_cast<long>(balloons_before), balloons.end()),
                (Strings{"正在刷新列表，请稍候.....", "刷新列表完成！"}));
            EXPECT_EQ(ui::ui_locked(), c.locked);
            EXPECT_EQ(w.alive(), unattended);
            if (!unattended) return;
            EXPECT_TRUE(fakes::headless(w).topmost());
            EXPECT_TRUE(fakes::shown(w, "ok_button"));
            // Refused again while the number differs; once it is back, the named partition is
            // restored.
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            EXPECT_TRUE(ghost_commands(r).empty());
            undo_renumbering(r);
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            alive_after = w.alive();
            r.rig.ui.advance(200);
        });
        if (unattended) {
            StartUpRun run{*r.main};
            apply_command_line(run);
        } else {
            ASSERT_TRUE(fakes::click(*r.main, "start_button"));
        }
        EXPECT_EQ(r.rig.ui.modal_log(), Strings{"GhostRestoreWindow"});
        Strings boxes = r.boxes();
        boxes.erase(boxes.begin(), boxes.begin() + static_cast<long>(boxes_before));
        if (c.road == Road::DroppedImage) {
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes.front(), "是否还原 D:\\new\\xp.GHO ？|68");
            boxes.erase(boxes.begin());
        }
        const std::string image =
            c.road == Road::DroppedImage ? "D:\\new\\xp.GHO" : "D:\\GHO\\w7.gho";
        const std::string done = image + " 还原到 G:\\(1:3) 完成！|64";
        if (!refused) {
            EXPECT_EQ(boxes, Strings{done});
            EXPECT_EQ(ghost_commands(r), Strings{expected_ghost});
        } else if (!unattended) {
            EXPECT_EQ(boxes, Strings{refusal});
            EXPECT_TRUE(ghost_commands(r).empty());
            EXPECT_FALSE(r.rig.ui.quitting());
        } else {
            EXPECT_TRUE(alive_after);
            EXPECT_EQ(boxes, (Strings{refusal, refusal, done}));
            EXPECT_EQ(ghost_commands(r), Strings{expected_ghost});
        }
        // The program ends with an unattended job only, never with a refusal.
        EXPECT_EQ(r.rig.ui.quitting(), unattended);
        if (c.locked) ui::unlock_ui();
    }
}

}  // namespace
}  // namespace qv
