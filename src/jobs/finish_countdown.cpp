#include "jobs/finish_countdown.h"

#include "base/power.h"
#include "base/state.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv {

int g_countdown_seconds = 0;
std::string g_countdown_job_text;
std::string g_countdown_action_text;

namespace {

constexpr int kCountdownStart = 10;
constexpr int kTickMs = 1000;

ui::WindowDef make_finish_countdown_window_def() {
    ui::WindowDef def = ui::dialog_window(kFinishCountdownWindowName, 321, 140, "提示", false);
    ui::add_control(def, "count_label", "透明标签1", ui::Kind::Label, "panel", 10, 8, 283, 16);
    ui::add_control(def, "choice_label", "透明标签2", ui::Kind::Label, "panel", 10, 28, 283, 32,
                    countdown_choice_line("关机"));
    ui::add_picture_button(def, "yes_button", "按钮2", "panel", 58, 64, 82, 26, "是(Y)", "btn_yes");
    ui::add_picture_button(def, "no_button", "按钮1", "panel", 163, 64, 82, 26, "否(N)", "btn_no");
    ui::add_timer(def, "countdown_timer", "时钟1");
    return def;
}

void run_finish_action() {
    if (g_finish_action == kFinishShutdown)
        shutdown_now();
    else
        restart_system();
}

}  // namespace

const ui::WindowDef& finish_countdown_window_def() {
    static const ui::WindowDef def = make_finish_countdown_window_def();
    return def;
}

std::string finish_action_word(int finish_action) {
    return finish_action == kFinishShutdown ? "关机" : "重启";
}

std::string finished_job_word(int job_kind) {
    if (job_kind == kJobBackup) return "备份已完成，";
    if (job_kind == kJobRestore) return "还原已完成，";
    return "安装已完成，";
}

std::string countdown_line(const std::string& job_word, int seconds,
                           const std::string& action_word) {
    return job_word + std::to_string(seconds) + " 秒后自动" + action_word + "！";
}

std::string countdown_choice_line(const std::string& action_word) {
    return "选择\"是(Y)\"马上" + action_word + "，选择\"否(N)\"返回主界面。";
}

bool open_finish_countdown_if_chosen(int job_kind) {
    ui::Window* main = ui::main_window();
    ui::Runtime* runtime = os::os().ui;
    if (main == nullptr || runtime == nullptr) return false;
    if (main->checked("shutdown_after_job_check"))
        g_finish_action = kFinishShutdown;
    else if (main->checked("restart_after_job_check"))
        g_finish_action = kFinishRestart;
    else
        return false;
    g_finished_job_kind = job_kind;
    runtime->open(finish_countdown_window_def(), nullptr);
    return true;
}

void finish_countdown_load(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_picture("panel", ui::kDialogBackground);
    g_countdown_seconds = kCountdownStart;
    g_countdown_action_text = finish_action_word(g_finish_action);
    g_countdown_job_text = finished_job_word(g_finished_job_kind);
    std::string line =
        countdown_line(g_countdown_job_text, g_countdown_seconds, g_countdown_action_text);
    w.set_text("count_label", line);
    w.set_text("choice_label", countdown_choice_line(g_countdown_action_text));
    ui::show_tray_balloon("提示", line, ui::kBalloonInfo, 0);
    w.start_timer("countdown_timer", kTickMs);
}

void on_countdown_tick(ui::Event& event) {
    ui::Window& w = *event.window;
    --g_countdown_seconds;
    if (g_countdown_seconds > 0) {
        w.set_text("count_label", countdown_line(g_countdown_job_text, g_countdown_seconds,
                                                 g_countdown_action_text));
        return;
    }
    w.stop_timer("countdown_timer");
    w.set_text("count_label", countdown_line(g_countdown_job_text, 0, g_countdown_action_text));
    // The window does not hold the main window back, so a new job may have started meanwhile;
    // ending the session under it would cut the tool off in the middle of its writes.
    if (g_busy) {
        w.close();
        return;
    }
    run_finish_action();
    end_program(0);
}

// Refused, as the menu's power items are, under a job started meanwhile; the count goes on.
void run_finish_action_now(ui::Event&) {
    if (g_busy) {
        ui::show_notice(ui::kBusyText, os::kIconWarning);
        return;
    }
    run_finish_action();
    end_program(0);
}

void cancel_finish_countdown(ui::Event& event) {
    event.window->stop_timer("countdown_timer");
    event.window->close();
}

void bind_finish_countdown_handlers() {
    const std::string w = kFinishCountdownWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, finish_countdown_load);
    ui::bind_handler(w, "countdown_timer", ui::EventKind::Timer, on_countdown_tick);
    ui::bind_handler(w, "yes_button", ui::EventKind::Click, run_finish_action_now);
    ui::bind_handler(w, "no_button", ui::EventKind::Click, cancel_finish_countdown);
}

}  // namespace qv
