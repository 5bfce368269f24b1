// The main menu's exit and power items with their busy guards, the disk menu's power items, the
// exit and close buttons and the end of MainWindow. The actions themselves are in base/power.h.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

// The main menu's power items: refused while a job runs; in automatic mode the Ghost restore
// window leaves always-on-top while they speak.
void confirm_shutdown(ui::Event& event);
void confirm_restart(ui::Event& event);
// The disk menu's power items: asked, never refused.
void confirm_shutdown_system(ui::Event& event);
void confirm_restart_system(ui::Event& event);
// The main menu's exit: refused while a job runs.
void quit_unless_busy(ui::Event& event);
void on_main_exit_clicked(ui::Event& event);
void on_main_window_closed(ui::Event& event);
void on_main_window_destroyed(ui::Event& event);

void bind_exit_and_power_handlers();

}  // namespace qv
