// The main window's own behaviour: tray notices, the restore and backup panels, the option
// boxes, the finish choice with its menu marks, the popup of the main menu, minimising.
// Controls are named by their roles in main_window_def.cpp.
#pragma once

#include <string>

#include "ui/main_layout.h"
#include "ui/main_window_def.h"
#include "ui/runtime.h"

namespace qv::ui {

// The live main window, or null before it is made and after it is gone.
Window* main_window();

// A balloon on the main window's tray icon. An icon kind outside none..error counts as
// information; the title is cut to 63 bytes and the text to 255 (the shell's fields), never
// inside a double-byte character. Returns whether the shell took the balloon; false without a
// main window.
bool show_tray_balloon(const std::string& title, const std::string& text, int icon, int timeout_ms);
// The two ordinary notices of the system: a message box titled "提示" (the style gives its icon
// and buttons; the result is the button chosen), and a tray balloon titled "提示" with the
// information icon and time-out 0.
int show_notice(const std::string& text, int style, const std::string& caption = "提示");
bool show_notice_balloon(const std::string& text);

// Panel modes. Each acts only while its own radio is set.
void show_restore_panel(Window& main);
void show_backup_panel(Window& main);
void on_main_restore_radio_clicked(Event& event);
void on_main_backup_radio_clicked(Event& event);

void minimize_main_window(Event& event);

// Option boxes: each reads the box's state after the click.
void on_noide_toggled(Event& event);
void on_crcignore_toggled(Event& event);
void on_ghost_password_toggled(Event& event);
void on_check_image_integrity_toggled(Event& event);  // the start button reads this box

// The finish choice: two boxes that exclude each other, mirrored by two menu marks.
void on_restart_after_job_toggled(Event& event);
void on_shutdown_after_job_toggled(Event& event);
void toggle_auto_restart_menu(Event& event);
void toggle_auto_shutdown_menu(Event& event);

// The main menu, from the tray icon (at the cursor) and from the title-bar menu button.
void pop_up_main_menu_at_cursor(Event& event);
void pop_up_main_menu_below_button(Event& event);

// Binds the handlers above to MainWindow's controls and menu items. The window's Created
// handler (start-up) is bound by the program entry.
void bind_main_window_handlers();

}  // namespace qv::ui
