// GhostRestoreWindow: confirms and runs the restore of a Ghost image onto one partition, either
// for the start button (the image combo's image onto the selected partition) or unattended for
// the "/install=" option (automatic mode: always on top, a dropped .GHO may replace the image).
// Ghost runs as a process of its own; a 50 ms watch sees that process end, judges its exit code,
// reports, and hands a successful restore over to the finish countdown when a finish box is
// ticked. In automatic mode the end of a job, or a cancel,
// ends the program.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

const ui::WindowDef& ghost_restore_window_def();

// The partition load: Ghost's path, " -clone,mode=pload,src=", the quoted image with ":1"
// (its first partition), ",dst=" and the target's disk:partition, the two option switches, the
// password part (the password switch and the password, interactive jobs only), " -sure  -fx".
// Ghost's own path is quoted when the system would split it.
std::string ghost_restore_command(const std::string& ghost_exe, const std::string& image,
                                  const std::string& disk_partition,
                                  const std::string& crcignore_switch,
                                  const std::string& noide_switch,
                                  const std::string& password_part);

// The image as the question line names it: its full path when that is shorter than 28 bytes,
// otherwise its first 12 bytes, "..." and its last 12 bytes (never half a double-byte character).
std::string shortened_image_text(const std::string& path);

// The end reports: image + " 还原到 " + target + " 完成！" when Ghost ended with exit code 0, the
// same with " 失败！" when it ended with any other.
std::string ghost_restore_done_text(const std::string& image, const std::string& target);
std::string ghost_restore_failed_text(const std::string& image, const std::string& target);

// The unattended restore's target as its messages write it: drive root and "(disk:partition)".
std::string command_line_target_text();

// Loads GhostRestoreWindow modally without a parent, unless one is open already.
void open_ghost_restore_window_modal();

void ghost_restore_window_load(ui::Event& event);
// The OK button: a confirmed dropped image first, then the command-line image in automatic mode,
// otherwise the interactive job.
void start_ghost_restore_job(ui::Event& event);
void run_ghost_restore(ui::Window& window);
void run_ghost_restore_cmdline(ui::Window& window);
void run_ghost_restore_dropped(ui::Window& window);
// The watch of all three jobs (each on a timer of its own): ends the job when its Ghost is gone.
void ghost_restore_watch_tick(ui::Event& event);
void on_ghost_restore_cancel_clicked(ui::Event& event);
// Refused while Ghost runs; for the idle unattended window, the same as its cancel.
void on_ghost_restore_window_closing(ui::Event& event);
void on_file_dropped(ui::Event& event);

void bind_ghost_restore_handlers();
// Forgets the job and its Ghost (a new run of the program in tests).
void reset_ghost_restore_state();

}  // namespace qv
