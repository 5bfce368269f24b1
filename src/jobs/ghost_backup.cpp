#include "jobs/ghost_backup.h"

#include <memory>

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "jobs/backup_report.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_switches.h"
#include "jobs/ghost_window_parts.h"
#include "jobs/start_checks.h"
#include "jobs/time_text.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv {

std::string g_ghost_backup_size_text;

namespace {

constexpr const char* kWatch = "watch_timer";
constexpr int kWatchMs = 50;

// What the window asked about when it opened: the main window is disabled while it is open, and
// OK backs up exactly this, whatever becomes of the main window's controls afterwards.
struct ConfirmedBackup {
    std::string caption;
    std::string root;
    std::string disk_partition;
    std::string save_path;
    std::string compression_switch;
    std::string split_switch;
    std::string noide_switch;
    std::string password_part;
};
ConfirmedBackup g_confirmed;

// The running job: the very Ghost process it started, which the watch asks whether it has ended
// and how, and the save file as it was at the start.
struct RunningBackup {
    bool running = false;
    std::shared_ptr<os::ProcessWatch> ghost;
    SavedFileBefore saved_before;
};
RunningBackup g_job;

ui::WindowDef make_ghost_backup_window_def() {
    ui::WindowDef def = ui::dialog_window(kGhostBackupWindowName, 408, 156, "Tavrin Ghost", false);
    ui::add_control(def, "question_label", "透明标签5", ui::Kind::Label, "panel", 8, 10, 374, 16,
                    "是否马上用 Ghost32 进行备份？");
    ui::add_control(def, "hint_label", "透明标签1", ui::Kind::Label, "panel", 8, 34, 374, 16,
                    "点击“确定(&C)”马上备份，点击“取消(&X)”返回程序。");
    // The status line takes the buttons' row while Ghost runs.
    ui::add_control(def, "status_label", "透明标签4", ui::Kind::Label, "panel", 11, 75, 3, 16)
        .visible = false;
    ui::add_picture_button(def, "ok_button", "按钮2", "panel", 100, 70, 82, 26, "确定(&C)",
                           "btn_ok");
    ui::add_picture_button(def, "cancel_button", "按钮1", "panel", 208, 70, 82, 26, "取消(&X)",
                           "btn_cancel_x");
    ui::add_timer(def, kWatch, "时钟3");
    return def;
}

int say(const std::string& text, int style) {
    return os::os().notices->message_box(text, "提示", style);
}

void show_status(ui::Window& w, const std::string& text) {
    show_ghost_status(w, text, 120, 240);
}

void hide_status(ui::Window& w) {
    hide_ghost_status(w, 11, 3);
}

void report_failure() {
    say(backup_failed_report("Ghost", g_confirmed.caption, time_to_text()), os::kIconError);
}

// Ghost's exit code and the file decide: only a run that Ghost ended with 0 and that wrote a file
// of at least 1 MB is a backup; a file that a failing Ghost left behind is not. A failed run is
// announced as failed and never reaches the countdown, so the machine is not shut down over a
// backup that is not there.
void end_job(ui::Window& w) {
    const bool ghost_done = g_job.ghost->exit_code() == 0;
    g_job.ghost.reset();
    show_ghost_buttons(w, true);
    g_busy = false;
    w.stop_timer(kWatch);
    g_job.running = false;
    hide_status(w);
    const std::int64_t mb =
        ghost_done ? backup_size_mb(g_confirmed.save_path, g_job.saved_before) : 0;
    if (mb == 0) {
        ui::show_notice_balloon(
            ghost_backup_failed_balloon(g_confirmed.caption, g_confirmed.save_path));
        report_failure();
        return;
    }
    ui::show_notice_balloon(ghost_backup_done_balloon(g_confirmed.caption, g_confirmed.save_path));
    if (open_finish_countdown_if_chosen(kJobBackup)) {
        w.close();
        return;
    }
    g_ghost_backup_size_text = backup_size_line(mb);
    say(backup_done_report("Ghost", g_confirmed.caption, g_confirmed.save_path,
                           g_ghost_backup_size_text, time_to_text()),
        os::kIconInfo);
}

void store_switch(ui::Event& event, std::string& target, std::string (*switch_of)(int)) {
    target = switch_of(event.window->selected(event.role));
}

}  // namespace

const ui::WindowDef& ghost_backup_window_def() {
    static const ui::WindowDef def = make_ghost_backup_window_def();
    return def;
}

std::string ghost_backup_command(const std::string& ghost_exe, const std::string& disk_partition,
                                 const std::string& save_path,
                                 const std::string& compression_switch,
                                 const std::string& split_switch, const std::string& noide_switch,
                                 const std::string& password_part) {
    return quote_path_for_cmd(ghost_exe) + " -clone,mode=pdump,src=" + disk_partition + ",dst=\"" +
           save_path + "\"" + compression_switch + split_switch + noide_switch + password_part +
           " -sure -fx";
}

std::string ghost_backup_done_balloon(const std::string& caption, const std::string& save_path) {
    return caption + " 备份到 " + save_path + " 完成！";
}

std::string ghost_backup_failed_balloon(const std::string& caption, const std::string& save_path) {
    return caption + " 备份到 " + save_path + " 失败！";
}

void open_ghost_backup_window() {
    if (ui::Runtime* runtime = os::os().ui)
        runtime->open_modal(ghost_backup_window_def(), ui::main_window());
}

void ghost_backup_window_load(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_picture("panel", ui::kDialogBackground);
    g_job = RunningBackup{};
    g_confirmed = ConfirmedBackup{};
    if (ui::Window* main = ui::main_window()) {
        g_confirmed.caption = main->text("selected_caption_label");
        g_confirmed.root = main->text("selected_drive_label");
        g_confirmed.disk_partition = main->text("selected_disk_partition_label");
        g_confirmed.save_path = main->text("backup_path_combo");
        g_confirmed.password_part =
            ghost_password_part(g_ghost_password_switch, main->text("password_edit"));
    }
    g_confirmed.compression_switch = g_ghost_compression_switch;
    g_confirmed.split_switch = g_ghost_split_switch;
    g_confirmed.noide_switch = g_ghost_noide_switch;
    w.set_text("question_label", "是否马上用 Ghost32 进行备份分区 " + g_confirmed.caption + " ？");
}

void ghost_backup_start(ui::Event& event) {
    ui::Window& w = *event.window;
    if (g_job.running) return;
    if (!file_exists(g_ghost_exe_path)) {
        say("出现错误，支持库写入失败，可能被安全软件拦截，请重启本程序！", os::kIconError);
        return;
    }
    // Ghost dumps the partition by its number: a number that moved to another partition since
    // the window confirmed it would save that one under the name of this one. The window closes,
    // since the partition it names no longer carries that number.
    if (!target_numbered_as_confirmed(g_confirmed.root, g_confirmed.disk_partition)) {
        refuse_renumbered_target(kBackupTargetRenumberedText, say);
        w.close();
        return;
    }
    std::string status = "Ghost正在备份 " + g_confirmed.caption + "，请稍候....";
    show_ghost_buttons(w, false);
    show_status(w, status);
    ui::show_notice_balloon(status);
    RunningBackup job;
    job.saved_before = note_saved_file(g_confirmed.save_path);
    std::string command =
        ghost_backup_command(g_ghost_exe_path, g_confirmed.disk_partition, g_confirmed.save_path,
                             g_confirmed.compression_switch, g_confirmed.split_switch,
                             g_confirmed.noide_switch, g_confirmed.password_part);
    // A Ghost that cannot be started has written nothing: that is a failed backup, and no watch
    // runs that could take its absence for the end of a backup.
    job.ghost = start_program(command, os::kShowHidden);
    if (!job.ghost) {
        hide_status(w);
        show_ghost_buttons(w, true);
        report_failure();
        return;
    }
    job.running = true;
    g_job = job;
    w.start_timer(kWatch, kWatchMs);
    g_busy = true;
}

void ghost_backup_finish_tick(ui::Event& event) {
    ui::Window& w = *event.window;
    if (!g_job.running) {
        w.stop_timer(kWatch);
        return;
    }
    if (!g_job.ghost->ended()) return;
    end_job(w);
}

void on_ghost_backup_cancel_clicked(ui::Event& event) {
    event.window->close();
}

// While Ghost runs the window has no button to leave by, and it must not go away under the job:
// the end would then never be reported nor the busy state cleared.
void on_ghost_backup_window_closing(ui::Event& event) {
    event.cancel = g_job.running;
}

void on_compression_changed(ui::Event& event) {
    store_switch(event, g_ghost_compression_switch, ghost_compression_switch);
}

void select_ghost_split(ui::Event& event) {
    store_switch(event, g_ghost_split_switch, ghost_split_switch);
}

void bind_ghost_backup_handlers() {
    const std::string w = kGhostBackupWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, ghost_backup_window_load);
    ui::bind_handler(w, "", ui::EventKind::Closing, on_ghost_backup_window_closing);
    ui::bind_handler(w, "ok_button", ui::EventKind::Click, ghost_backup_start);
    ui::bind_handler(w, "cancel_button", ui::EventKind::Click, on_ghost_backup_cancel_clicked);
    ui::bind_handler(w, kWatch, ui::EventKind::Timer, ghost_backup_finish_tick);
    ui::bind_handler(ui::kMainWindowName, "compression_combo", ui::EventKind::SelChange,
                     on_compression_changed);
    ui::bind_handler(ui::kMainWindowName, "split_combo", ui::EventKind::SelChange,
                     select_ghost_split);
}

void reset_ghost_backup_state() {
    g_ghost_backup_size_text.clear();
    g_confirmed = ConfirmedBackup{};
    g_job = RunningBackup{};
}

}  // namespace qv
