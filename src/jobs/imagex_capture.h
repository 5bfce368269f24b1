// ImagexCaptureWindow: the selected partition backed up into a .WIM file by imagex typed into the
// persistent console, with the image's name and compression chosen in the window, the notice of
// what imagex leaves out, progress, remaining and elapsed time, cancelling, and the end reported
// with the file's size and the date, or handed over to the finish countdown.
//
// The start button opens it for a save path ending in ".WIM"; the target is the main window's
// selected partition (the selected_* labels) and the save path the backup path combo's item, both
// taken once when the window opens.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kImagexCaptureWindowName = "ImagexCaptureWindow";

extern int g_capture_elapsed_seconds;
// The size line of the last summary.
extern std::string g_imagex_backup_size_text;

extern const char kOtherImagexBackupQuestion[];
extern const char kStopImagexBackupQuestion[];
extern const char kImagexBackupCancelledText[];

const ui::WindowDef& imagex_capture_window_def();

// The save path as the title shows it: whole below 26 bytes, else its first 8 bytes, "..." and
// its last 14 (never half a double-byte character).
std::string shortened_save_path(const std::string& path);

// The name typed for the image inside the WIM as the command line carries it: as typed, an
// empty name one blank. A name that the console cannot carry is refused before it gets here.
std::string capture_name_text(const std::string& typed);

// What OK refuses before anything is typed: a save path or a typed name that the console cannot
// carry to imagex as it is, a double quote among them (the message names which and shows it);
// empty when both can go.
std::string capture_refusal_text(const std::string& save_path, const std::string& typed_name);

// 0 " /compress Fast", 1 " /compress Maximum", any other " /compress none".
std::string imagex_compress_option_for(int item);

// The tool's name, " /capture ", the target's drive root, the quoted save path, the quoted image
// name, the compression option, " /temp " and the save drive's "ImagexTemp" folder. The quoting
// carries "%" and the backslashes before a quote to imagex as they are.
std::string imagex_capture_command(const std::string& imagex_exe_name,
                                   const std::string& target_root, const std::string& save_path,
                                   const std::string& name, const std::string& compress_option);
// "MD " and the save drive's "ImagexTemp" folder.
std::string imagex_temp_folder_command(const std::string& save_path);

// "Imagex将不会备份以下文件及文件夹：" with the eleven places of the target that imagex leaves
// out, then the question whether to go on.
std::string capture_exclusion_notice(const std::string& target_root, const std::string& caption);

// Opens ImagexCaptureWindow modally over MainWindow; returns when it is gone.
void open_imagex_capture_window();

// The cancel button's picture sets (the restore window's).
void set_backup_running_pictures(ui::Window& window, const std::string& button);
void set_backup_done_pictures(ui::Window& window, const std::string& button);
void set_backup_stopped_pictures(ui::Window& window, const std::string& button);

// Sends the capture of the image named `typed_name` (the name box's text as OK checked it) and
// starts the job's timers, after the exclusion notice.
void imagex_capture_start(ui::Window& window, const std::string& typed_name);

void imagex_backup_window_load(ui::Event& event);       // Created
void check_other_imagex_then_backup(ui::Event& event);  // OK
void cancel_imagex_backup(ui::Event& event);
void select_imagex_compression(ui::Event& event);
void imagex_backup_finish_tick(ui::Event& event);  // end timer, 500 ms
void capture_progress_tick(ui::Event& event);      // 50 ms
void backup_elapsed_time_tick(ui::Event& event);   // 1000 ms
void on_imagex_capture_window_closing(ui::Event& event);
void on_imagex_capture_window_destroyed(ui::Event& event);

void bind_imagex_capture_handlers();
void reset_imagex_capture_state();

}  // namespace qv
