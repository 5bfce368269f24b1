// The start button: the single entry to every interactive job. A press reads the panel mode,
// runs the checks of that mode (start_checks.h) and opens the job window that confirms and runs
// the job; for a Ghost image it first runs Ghost's image check when the user asked for it.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

void on_start_clicked(ui::Event& event);

// The Ghost image check: asks, then runs Ghost over the image with the main window hidden and
// its controls locked; true when the user skipped it or Ghost printed nothing at all.
bool ghost_image_check_passes(ui::Window& main, const std::string& image);

// Refuses a ticked password box without a password; otherwise GhostRestoreWindow.
void confirm_ghost_password_then_start();

// The three openers of the XP setup window: each marks the program busy (the setup window clears
// it) and records where the setup program comes from.
void open_disc_install_window();
void open_folder_install_window();
void open_winnt32_install_window();

// The disc branch of the edition listing: the disc's sources\install.wim.
void list_wim_editions(const std::string& optical_drive_text);

void bind_start_button_handlers();

}  // namespace qv
