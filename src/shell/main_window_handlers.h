// The main window's own behaviour: the restore and backup panels, the option boxes, the finish
// choice with its menu marks, the popup of the main menu, minimising.
#pragma once

#include "ui/runtime.h"

namespace qv::ui {

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
