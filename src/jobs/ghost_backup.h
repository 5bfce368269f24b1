// GhostBackupWindow: confirms and runs the backup of the selected partition into a .GHO file.
// Ghost runs hidden as a process of its own; a 50 ms watch sees that process end, and the end is
// judged by Ghost's exit code and the file it wrote: a report with its size and the date, or the
// finish countdown when a finish box is ticked. The main window's compression and split combos,
// which choose two of the command's switches, are here too.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kGhostBackupWindowName = "GhostBackupWindow";

// The size line of the last report.
extern std::string g_ghost_backup_size_text;

const ui::WindowDef& ghost_backup_window_def();

// The partition dump: Ghost's path (quoted when the system would split it),
// " -clone,mode=pdump,src=", the disk:partition, ",dst=", the quoted save path, the compression,
// split and IDE switches, the password part, " -sure -fx".
std::string ghost_backup_command(const std::string& ghost_exe, const std::string& disk_partition,
                                 const std::string& save_path,
                                 const std::string& compression_switch,
                                 const std::string& split_switch, const std::string& noide_switch,
                                 const std::string& password_part);

// The balloons at the end: caption + " 备份到 " + save path + " 完成！" once Ghost has ended with
// exit code 0, the same with " 失败！" when it ended with any other.
std::string ghost_backup_done_balloon(const std::string& caption, const std::string& save_path);
std::string ghost_backup_failed_balloon(const std::string& caption, const std::string& save_path);

// Loads GhostBackupWindow modally over MainWindow; returns when it is gone.
void open_ghost_backup_window();

void ghost_backup_window_load(ui::Event& event);
void ghost_backup_start(ui::Event& event);        // OK
void ghost_backup_finish_tick(ui::Event& event);  // the 50 ms watch
void on_ghost_backup_cancel_clicked(ui::Event& event);
void on_ghost_backup_window_closing(ui::Event& event);  // refused while Ghost runs
// MainWindow's compression and split combos: each stores the switch of its current item.
void on_compression_changed(ui::Event& event);
void select_ghost_split(ui::Event& event);

void bind_ghost_backup_handlers();
void reset_ghost_backup_state();

}  // namespace qv
