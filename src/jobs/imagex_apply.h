// ImagexApplyWindow: one edition of a WIM image, a split set or an installation disc's
// install.wim applied to the target partition by imagex typed into the persistent console, with
// the optional format before it, progress, remaining and elapsed time, the watch of the source,
// cancelling, the boot records and files and the answer file after a success, and the finish
// countdown. The main window's "格 式 化(&H)" item (the format dialog for the target) is here too.
//
// The start button captures the image's " /INFO " output into MainWindow's edition_info_edit and
// then calls open_imagex_apply_window. The target is the main window's selected partition (the
// selected_* labels).
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kImagexApplyWindowName = "ImagexApplyWindow";
// MainWindow's timer that holds the busy state while an imagex left by a closed restore window
// still runs.
inline constexpr const char* kImagexLeftTimer = "imagex_left_timer";

// The 1-based number of the edition to apply.
extern int g_wim_image_index;
// The image path as the title shows it, and the title's first word.
extern std::string g_shown_image_path;
extern std::string g_restore_title_word;
// Set by the start button in install-from-disc mode: the image is the optical drive's
// sources\install.wim.
extern bool g_from_install_disc;
extern int g_apply_elapsed_seconds;

extern const char kOtherImagexQuestion[];
extern const char kStopImagexQuestion[];
extern const char kImagexCancelledText[];

const ui::WindowDef& imagex_apply_window_def();

// Opens ImagexApplyWindow modally over MainWindow; returns when it is gone.
void open_imagex_apply_window();

// Disable / enable the edition, format and boot-mode combos, the two boxes and both buttons (the
// boot-mode combo only while the add-boot box is ticked).
void lock_apply_window(ui::Window& window);
void unlock_apply_window(ui::Window& window);

// The format step of the OK button, then the apply.
void restore_with_format(ui::Window& window);
// Types the apply command into the console and starts the job's timers.
void imagex_apply_start(ui::Window& window);

// Handlers.
void load_wim_editions(ui::Event& event);  // Created
void store_selected_edition(ui::Event& event);
void check_other_imagex_then_restore(ui::Event& event);
void cancel_imagex_restore(ui::Event& event);
void on_add_boot_toggled(ui::Event& event);
void on_imagex_apply_window_closing(ui::Event& event);
void on_imagex_apply_window_destroyed(ui::Event& event);
void on_wim_apply_finished(ui::Event& event);  // end timer, 500 ms
void apply_progress_tick(ui::Event& event);    // 50 ms
void elapsed_time_tick(ui::Event& event);      // 1000 ms
void image_watch_tick(ui::Event& event);       // 50 ms
void disc_watch_tick(ui::Event& event);        // 50 ms
void open_format_dialog(ui::Event& event);     // MainWindow's disk menu
void imagex_left_tick(ui::Event& event);       // MainWindow's imagex_left_timer, 500 ms

void bind_imagex_apply_handlers();
// The window's program-wide values back to their start.
void reset_imagex_apply_state();

}  // namespace qv
