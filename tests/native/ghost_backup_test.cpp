// GhostBackupWindow's flows on fakes: the command line the main window's choices make, the watch
// of the hidden Ghost, the end judged by the file it wrote, the reports with size and date, and
// the hand-over to the finish countdown.
#include <gtest/gtest.h>

#include "base/state.h"
#include "disks/partition_list.h"
#include "fakes/main_window_rig.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_backup.h"
#include "jobs/ghost_switches.h"
#include "jobs/time_text.h"
#include "main_window/main_window.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int64_t kMB = 1024 * 1024;
constexpr const char* kGhost = "X:\\WINDOWS\\Norvex32.exe";
constexpr const char* kSave = "D:\\BAK\\c.GHO";
// The manual clock's date, as every report writes it.
constexpr const char* kDate = "2015-05-04 09:07:03";

std::string done_report(const std::string& size_line) {
    return std::string("   Ghost备份完成！\r\n\r\n备份分区：C:\\(1:1)\r\n\r\n保存位置：") + kSave +
           "\r\n\r\n" + size_line + "\r\n\r\n备份日期：" + kDate + "|64";
}
const std::string kFailedReport =
    std::string("   Ghost备份失败！\r\n\r\n备份分区：C:\\(1:1)\r\n\r\n备份日期：") + kDate + "|16";

// The main window in backup mode as the start button leaves it: C: (1:1) to be saved as
// D:\BAK\c.GHO, the switches as start-up sets them. Ghost, once started, runs for three looks of
// the watch and then leaves `written` bytes in the save file (none when negative).
struct BackupRig {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    std::int64_t written = 200 * kMB;
    bool ghost_fails = false;
    int ghost_exit_code = 0;

    BackupRig() {
        main = &rig.open_main_window();
        g_ghost_exe_path = kGhost;
        g_ghost_noide_switch = " -noide";
        g_ghost_compression_switch = " -z9";
        rig.os.clock.local = {2015, 5, 4, 9, 7, 3};
        rig.os.files.add_file(kGhost, "ghost");
        rig.os.files.add_folder("D:\\BAK");
        rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
        fakes::click(*main, "backup_radio");
        main->add_item("backup_path_combo", kSave);
        main->select("backup_path_combo", 0);
        fakes::set_selected_partition(*main, "C:\\", "1:1");
        rig.os.processes.on_launch = [this](const std::string& command) {
            if (command.find("mode=pdump") != std::string::npos && written >= 0)
                rig.os.files.add_file_of_size(kSave, written);
        };
    }
    void script_ghost() {
        fakes::FakeProcesses::Script s;
        s.match = "mode=pdump";
        s.name = "Norvex32.exe";
        s.polls = 3;
        s.exit_code = ghost_exit_code;
        s.fails = ghost_fails;
        rig.os.processes.scripts.push_back(s);
    }
    // Opens the window and runs `script` inside it.
    void open(std::function<void(ui::Window&)> script) {
        script_ghost();
        rig.ui.on_modal(kGhostBackupWindowName, std::move(script));
        open_ghost_backup_window();
    }
    // OK, and the watch until Ghost is gone.
    void back_up() {
        open([](ui::Window& w) {
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            fakes::headless(w).runtime().advance(200);
        });
    }
    Strings boxes() const { return rig.os.notices.hint_texts_and_styles(); }
    Strings balloons() const { return fakes::balloon_texts(*main); }
    Strings commands() const { return rig.os.processes.commands(); }
};

TEST(GhostBackupCommand, IsBuiltExactly) {
    EXPECT_EQ(
        ghost_backup_command(kGhost, "1:2", "D:\\BAK\\C.GHO", " -z9", "", " -noide", ""),
        "X:\\WINDOWS\\Norvex32.exe -clone,mode=pdump,src=1:2,dst=\"D:\\BAK\\C.GHO\" -z9 -noide "
        "-sure -fx");
    // Every switch stands apart from its neighbours; the save path is always quoted, Ghost's own
    // path only when the system would split it.
    EXPECT_EQ(
        ghost_backup_command("D:\\My Tools\\Ghost32.exe", "1:2", "D:\\My Backups\\a&b.GHO", " -z9",
                             " -span  -split=650 -auto", " -noide", " -pwd=abc123"),
        "\"D:\\My Tools\\Ghost32.exe\" -clone,mode=pdump,src=1:2,dst=\"D:\\My Backups\\a&b.GHO\" "
        "-z9 -span  -split=650 -auto -noide -pwd=abc123 -sure -fx");
    EXPECT_EQ(ghost_compression_switch(7), " -z9");
    EXPECT_EQ(ghost_compression_switch(-1), " -z9");
    EXPECT_EQ(ghost_split_switch(9), " -span");
    EXPECT_EQ(ghost_split_switch(-1), " -span");
}

// The password part: the box's text right after the switch, as one argument of Ghost's.
TEST(GhostBackupCommand, PasswordStaysOneArgument) {
    EXPECT_EQ(ghost_password_part(" -pwd=", "abc123"), " -pwd=abc123");
    EXPECT_EQ(ghost_password_part(" -pwd=", "ab cd"), " -pwd=\"ab cd\"");
    EXPECT_EQ(ghost_password_part(" -pwd=", "ab\tcd"), " -pwd=\"ab\tcd\"");
    EXPECT_EQ(ghost_password_part(" -pwd=", "密码"), " -pwd=密码");
    // Backslashes that end a quoted password are doubled, or they would escape the closing quote;
    // a trail byte of 0x5C is no backslash, and unquoted ones need nothing.
    EXPECT_EQ(ghost_password_part(" -pwd=", "a b\\"), " -pwd=\"a b\\\\\"");
    EXPECT_EQ(ghost_password_part(" -pwd=", "a\\ b\\\\"), " -pwd=\"a\\ b\\\\\\\\\"");
    EXPECT_EQ(ghost_password_part(" -pwd=", "a b\x95\x5c"), " -pwd=\"a b\x95\x5c\"");
    EXPECT_EQ(ghost_password_part(" -pwd=", "ab\\"), " -pwd=ab\\");
    EXPECT_EQ(ghost_password_part("", ""), "");
}

// Every compression and split item of the main window, with and without a password, reaches
// Ghost's command line exactly; the combos never touched give " -z9" and no split.
TEST(GhostBackupWindow, MainWindowChoicesMakeTheCommandLine) {
    const char* const compressions[] = {" -z1", " -z2", " -z5", " -z9"};
    const char* const splits[] = {"", " -span  -split=650 -auto", " -span  -split=1950 -auto",
                                  " -span  -split=3950 -auto", " -span"};
    const char* const passwords[] = {"", "abc123", "a b"};
    const char* const password_parts[] = {"", " -pwd=abc123", " -pwd=\"a b\""};
    const std::string head =
        "X:\\WINDOWS\\Norvex32.exe -clone,mode=pdump,src=1:1,dst=\"D:\\BAK\\c.GHO\"";
    {
        SCOPED_TRACE("untouched");
        BackupRig r;
        r.back_up();
        EXPECT_EQ(r.commands(), Strings{head + " -z9 -noide -sure -fx"});
    }
    for (int c = 0; c < 4; ++c) {
        for (int s = 0; s < 5; ++s) {
            for (int p = 0; p < 3; ++p) {
                SCOPED_TRACE("compression " + std::to_string(c) + ", split " + std::to_string(s) +
                             ", password " + passwords[p]);
                BackupRig r;
                ASSERT_TRUE(fakes::select(*r.main, "compression_combo", c));
                ASSERT_TRUE(fakes::select(*r.main, "split_combo", s));
                if (*passwords[p] != '\0') {
                    fakes::click(*r.main, "password_check");
                    fakes::type_text(*r.main, "password_edit", passwords[p]);
                }
                r.back_up();
                EXPECT_EQ(r.commands(), Strings{head + compressions[c] + splits[s] + " -noide" +
                                                password_parts[p] + " -sure -fx"});
            }
        }
    }
}

// The road: the window names the partition, OK starts Ghost hidden and watches it every 50 ms,
// and at its end the report gives the saved file's size and the date; the window stays.
TEST(GhostBackupWindow, RunsWatchesAndReportsSizeAndDate) {
    BackupRig r;
    bool main_disabled = false;
    r.open([&](ui::Window& w) {
        main_disabled = !fakes::headless(*r.main).window_enabled();
        EXPECT_EQ(fakes::headless(w).parent(), r.main);
        EXPECT_EQ(w.text("question_label"), "是否马上用 Ghost32 进行备份分区 C:\\(1:1) ？");
        EXPECT_EQ(w.picture("panel"), "dialog_panel");
        EXPECT_EQ(w.picture("ok_button"), "btn_ok");
        EXPECT_EQ(w.picture("cancel_button"), "btn_cancel_x");  // "取消(X)", as its hint names it
        EXPECT_FALSE(fakes::shown(w, "status_label"));

        ASSERT_TRUE(fakes::click(w, "ok_button"));
        ASSERT_EQ(r.rig.os.processes.launches.size(), 1u);
        EXPECT_EQ(r.rig.os.processes.launches[0].show, os::kShowHidden);
        EXPECT_FALSE(r.rig.os.processes.launches[0].wait);
        EXPECT_TRUE(g_busy);
        EXPECT_FALSE(fakes::shown(w, "ok_button"));
        EXPECT_FALSE(w.enabled("cancel_button"));
        EXPECT_TRUE(fakes::shown(w, "status_label"));
        EXPECT_EQ(w.text("status_label"), "Ghost正在备份 C:\\(1:1)，请稍候....");
        EXPECT_EQ(w.control_rect("status_label").x, 120);
        EXPECT_EQ(w.control_rect("status_label").w, 240);
        EXPECT_EQ(fakes::headless(w).timer_interval("watch_timer"), 50);

        r.rig.ui.advance(150);  // three looks: Ghost still runs
        EXPECT_TRUE(g_busy);
        EXPECT_TRUE(r.boxes().empty());
        EXPECT_FALSE(fakes::request_close(w));  // Alt+F4 cannot take the window from its job
        EXPECT_TRUE(w.alive());
        r.rig.ui.advance(50);
        EXPECT_FALSE(g_busy);
        EXPECT_FALSE(w.timer_running("watch_timer"));
        EXPECT_TRUE(fakes::shown(w, "ok_button"));
        EXPECT_TRUE(w.enabled("cancel_button"));
        EXPECT_FALSE(fakes::shown(w, "status_label"));
        EXPECT_EQ(w.control_rect("status_label").x, 11);
        EXPECT_EQ(w.control_rect("status_label").w, 3);
        EXPECT_TRUE(w.alive());
        EXPECT_TRUE(fakes::click(w, "cancel_button"));
        EXPECT_FALSE(w.alive());
    });
    EXPECT_TRUE(main_disabled);
    EXPECT_EQ(r.boxes(), Strings{done_report("大      小：200 MB")});
    EXPECT_EQ(r.balloons(), (Strings{"Ghost正在备份 C:\\(1:1)，请稍候....",
                                     "C:\\(1:1) 备份到 D:\\BAK\\c.GHO 完成！"}));
    EXPECT_EQ(g_ghost_backup_size_text, "大      小：200 MB");
    EXPECT_EQ(r.rig.ui.find(kFinishCountdownWindowName), nullptr);
}

// Only the file decides, the balloon as well as the box; with a split backup it is the file the
// save path names.
TEST(GhostBackupWindow, ReportsBySizeOfTheFileGhostWrote) {
    const std::string done = ghost_backup_done_balloon("C:\\(1:1)", kSave);
    const std::string failed = ghost_backup_failed_balloon("C:\\(1:1)", kSave);
    const struct {
        const char* name;
        std::int64_t bytes;
        std::string box;
        const std::string& balloon;
    } cases[] = {
        {"no file", -1, kFailedReport, failed},
        {"one byte short of 1 MB", 1048575, kFailedReport, failed},
        {"1 MB", 1048576, done_report("大      小：1 MB"), done},
        {"4096 MB", 4096 * kMB, done_report("大      小：4096 MB"), done},
        {"4097 MB", 4097 * kMB, done_report("大      小： > 4096 MB"), done},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BackupRig r;
        r.written = c.bytes;
        r.back_up();
        EXPECT_EQ(r.boxes(), Strings{c.box});
        ASSERT_FALSE(r.balloons().empty());
        EXPECT_EQ(r.balloons().back(), c.balloon);
    }
}

// The start button lets the user overwrite a backup; a Ghost that ends without writing leaves
// the old file, which is not this backup.
TEST(GhostBackupWindow, AnOldFileGhostDidNotWriteIsAFailure) {
    BackupRig r;
    r.rig.os.files.add_file_of_size(kSave, 300 * kMB);
    r.written = -1;
    r.back_up();
    EXPECT_EQ(r.boxes(), Strings{kFailedReport});
    EXPECT_TRUE(r.rig.os.files.has(kSave));  // never removed

    BackupRig again;
    again.rig.os.files.add_file_of_size(kSave, 300 * kMB);
    again.written = 250 * kMB;
    again.back_up();
    EXPECT_EQ(again.boxes(), Strings{done_report("大      小：250 MB")});
}

// A finish box hands a good backup to the countdown (backup wording); a failed one is reported
// and the machine is left alone.
TEST(GhostBackupWindow, HandsOnlyAGoodBackupToTheFinishCountdown) {
    for (bool good : {true, false}) {
        SCOPED_TRACE(good ? "good" : "nothing written");
        BackupRig r;
        fakes::click(*r.main, "shutdown_after_job_check");
        r.written = good ? 10 * kMB : -1;
        bool alive_after = true;
        r.open([&](ui::Window& w) {
            fakes::click(w, "ok_button");
            r.rig.ui.advance(200);
            alive_after = w.alive();
        });
        ui::Window* countdown = r.rig.ui.find(kFinishCountdownWindowName);
        EXPECT_EQ(alive_after, !good);
        ASSERT_EQ(countdown != nullptr, good);
        if (good) {
            EXPECT_EQ(g_finish_action, kFinishShutdown);
            EXPECT_EQ(g_finished_job_kind, kJobBackup);
            EXPECT_EQ(countdown->text("count_label"), "备份已完成，10 秒后自动关机！");
            EXPECT_TRUE(r.boxes().empty());
        } else {
            EXPECT_EQ(r.boxes(), Strings{kFailedReport});
        }
    }
}

// A Ghost that reports failure has not made a backup, whatever file it left: the failure report
// and balloon, no countdown with a finish box ticked, and the old file is never removed.
TEST(GhostBackupWindow, GhostThatEndsWithAnErrorIsAFailureWhateverItWrote) {
    EXPECT_EQ(ghost_backup_done_balloon("C:\\(1:1)", kSave),
              "C:\\(1:1) 备份到 D:\\BAK\\c.GHO 完成！");
    EXPECT_EQ(ghost_backup_failed_balloon("C:\\(1:1)", kSave),
              "C:\\(1:1) 备份到 D:\\BAK\\c.GHO 失败！");
    for (int exit_code : {1, 6}) {
        SCOPED_TRACE(exit_code);
        BackupRig r;
        r.ghost_exit_code = exit_code;
        r.written = 200 * kMB;
        fakes::click(*r.main, "shutdown_after_job_check");
        r.open([&](ui::Window& w) {
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            r.rig.ui.advance(200);
            EXPECT_FALSE(g_busy);
            EXPECT_TRUE(w.alive());
            EXPECT_TRUE(fakes::shown(w, "ok_button"));
        });
        EXPECT_EQ(r.boxes(), Strings{kFailedReport});
        EXPECT_EQ(r.balloons(), (Strings{"Ghost正在备份 C:\\(1:1)，请稍候....",
                                         "C:\\(1:1) 备份到 D:\\BAK\\c.GHO 失败！"}));
        EXPECT_EQ(r.rig.ui.find(kFinishCountdownWindowName), nullptr);
        EXPECT_TRUE(r.rig.os.files.has(kSave));
    }
}

// Nothing runs without Ghost; a Ghost that cannot be started is a failed backup, never a
// finished one, and leaves the window ready for another try.
TEST(GhostBackupWindow, MissingOrUnstartableGhostIsReportedAsSuch) {
    {
        BackupRig r;
        r.rig.os.files.delete_file(kGhost);
        r.back_up();
        EXPECT_EQ(r.boxes(),
                  Strings{"出现错误，支持库写入失败，可能被安全软件拦截，请重启本程序！|16"});
        EXPECT_TRUE(r.commands().empty());
    }
    BackupRig r;
    r.ghost_fails = true;
    r.written = -1;
    fakes::click(*r.main, "restart_after_job_check");
    r.open([&](ui::Window& w) {
        fakes::click(w, "ok_button");
        EXPECT_FALSE(g_busy);
        EXPECT_FALSE(w.timer_running("watch_timer"));
        EXPECT_TRUE(fakes::shown(w, "ok_button"));
        EXPECT_FALSE(fakes::shown(w, "status_label"));
        r.rig.ui.advance(500);
    });
    EXPECT_EQ(r.boxes(), Strings{kFailedReport});
    EXPECT_EQ(r.rig.ui.find(kFinishCountdownWindowName), nullptr);
}

// Ghost dumps the partition by its number: when C: no longer carries the 1:1 the window named
// (the disks came back in another order, or its volume no longer answers), OK starts no Ghost and
// shows nothing of a start, the list is refreshed with the new numbers, the user is told to choose
// again and the window closes. With the numbers unchanged Ghost gets "src=1:1".
TEST(GhostBackupWindow, TargetRenumberedSinceTheListWasFilledStartsNothing) {
    const std::string refusal = "分区已发生变化，分区列表已刷新，请重新选择要备份的分区！|48";
    struct Case {
        const char* name;
        std::function<void(fakes::FakeDrives&)> renumber;
        Strings rows_after;
    };
    const Case cases[] = {
        {"unchanged", [](fakes::FakeDrives&) {}, {"C:\\ 1:1", "D:\\ 1:2"}},
        {"disks swapped",
         [](fakes::FakeDrives& d) {
             d.find("C:\\")->number = {1, 1};
             d.find("D:\\")->number = {1, 2};
             d.add("E:\\", os::kDriveFixed, 0, 1);
         },
         {"C:\\ 2:1", "D:\\ 2:2", "E:\\ 1:1"}},
        {"no number",
         [](fakes::FakeDrives& d) { d.find("C:\\")->answers_number = false; },
         {"D:\\ 1:2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackupRig r;
        r.rig.os.drives.add("D:\\", os::kDriveFixed, 0, 2);
        fill_partition_list_fixed(*r.main);
        const bool refused = c.rows_after != Strings{"C:\\ 1:1", "D:\\ 1:2"};
        bool alive_after = true;
        Strings balloons_of_ok;
        r.open([&](ui::Window& w) {
            c.renumber(r.rig.os.drives);
            const std::size_t before = r.balloons().size();
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            const Strings balloons = r.balloons();
            balloons_of_ok.assign(balloons.begin() + static_cast<long>(before), balloons.end());
            EXPECT_EQ(g_busy, !refused);
            alive_after = w.alive();
            if (alive_after) r.rig.ui.advance(200);
        });
        Strings rows;
        for (int row = 0; row < r.main->row_count("partition_list"); ++row)
            rows.push_back(r.main->cell("partition_list", row, 0) + " " +
                           r.main->cell("partition_list", row, 1));
        EXPECT_EQ(rows, c.rows_after);
        Strings ghost;
        for (const std::string& command : r.commands())
            if (command.find("mode=pdump") != std::string::npos) ghost.push_back(command);
        if (!refused) {
            EXPECT_EQ(ghost, Strings{"X:\\WINDOWS\\Norvex32.exe -clone,mode=pdump,src=1:1,dst=\""
                                     "D:\\BAK\\c.GHO\" -z9 -noide -sure -fx"});
            EXPECT_EQ(r.boxes(), Strings{done_report("大      小：200 MB")});
            continue;
        }
        EXPECT_TRUE(ghost.empty());
        EXPECT_FALSE(alive_after);
        EXPECT_EQ(r.boxes(), Strings{refusal});
        EXPECT_EQ(balloons_of_ok, (Strings{"正在刷新列表，请稍候.....", "刷新列表完成！"}));
        EXPECT_FALSE(r.rig.os.files.has(kSave));
    }
}

TEST(TimeText, WritesEveryKindAndStyle) {
    const os::LocalTime t{2015, 5, 4, 9, 7, 3};
    const char* const expected[6][4] = {
        {"2015年05月04日09时07分03秒", "2015-05-04 09:07:03", "2015/05/04 09/07/03",
         "20150504090703"},
        {"2015年05月04日", "2015-05-04", "2015/05/04", "20150504"},
        {"05月04日", "05-04", "05/04", "0504"},
        {"09时07分03秒", "09:07:03", "09/07/03", "090703"},
        {"09时07分", "09:07", "09/07", "0907"},
        {"07分03秒", "07:03", "07/03", "0703"},
    };
    for (int kind = 0; kind < 6; ++kind)
        for (int style = 0; style < 4; ++style)
            EXPECT_EQ(time_to_text(t, style, kind), expected[kind][style]) << kind << "/" << style;
    EXPECT_EQ(time_to_text(t), "2015-05-04 09:07:03");
    EXPECT_EQ(time_to_text(os::LocalTime{2026, 12, 31, 23, 59, 59}), "2026-12-31 23:59:59");
    EXPECT_EQ(time_to_text(t, 1, 6), "时间_到文本() 命令参数填写有误");
    EXPECT_EQ(time_to_text(t, 1, -1), "时间_到文本() 命令参数填写有误");
}

}  // namespace
}  // namespace qv
