// The finish countdown: when a job ends and the user asked for a shutdown or a restart
// afterwards, FinishCountdownWindow counts ten seconds down and then acts, unless the user
// answers No.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kFinishCountdownWindowName = "FinishCountdownWindow";

// Seconds left, and the two words of the count line, while the window is open.
extern int g_countdown_seconds;
extern std::string g_countdown_job_text;
extern std::string g_countdown_action_text;

enum : int { kJobRestore = 0, kJobBackup = 1, kJobInstall = 2 };
enum : int { kFinishRestart = 0, kFinishShutdown = 1 };

const ui::WindowDef& finish_countdown_window_def();

// "关机" for a shutdown, "重启" otherwise.
std::string finish_action_word(int finish_action);
// "还原已完成，", "备份已完成，", or "安装已完成，" for any other kind.
std::string finished_job_word(int job_kind);
// Job word + seconds + " 秒后自动" + action word + "！".
std::string countdown_line(const std::string& job_word, int seconds,
                           const std::string& action_word);
// 选择"是(Y)"马上<action>，选择"否(N)"返回主界面。
std::string countdown_choice_line(const std::string& action_word);

// The end watches' call when a job is done: when a finish box of the main window is ticked
// (shutdown wins over restart), sets g_finish_action and g_finished_job_kind, opens the
// countdown without a parent and returns true; the caller then closes its job window. With
// neither box ticked it does nothing and returns false.
bool open_finish_countdown_if_chosen(int job_kind);

void finish_countdown_load(ui::Event& event);
void on_countdown_tick(ui::Event& event);
void run_finish_action_now(ui::Event& event);
void cancel_finish_countdown(ui::Event& event);

void bind_finish_countdown_handlers();

}  // namespace qv
