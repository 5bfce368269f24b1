// Winnt32SetupWindow: Windows XP and Server 2003 installed by their own setup program, winnt32,
// started from the installation source (a disc, an I386 folder on a mounted ISO, or a chosen
// WINNT32.EXE) with a command line naming the target partition, optionally with the answer file
// winnt.sif for an unattended setup. The window offers a format of the target first, starts
// winnt32 in a normal window, watches for it to end every 50 ms and then hands over to the finish
// countdown or reports the end.
//
// The start button sets g_install_mode, g_setup_system_name and g_busy, then calls
// open_winnt32_setup_window. The target is the main window's selected partition (the selected_*
// labels); the source is the optical-drive combo (mode 1) or the image combo (modes 2 and 0).
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kWinnt32SetupWindowName = "Winnt32SetupWindow";

// Sources of the setup.
enum : int { kSetupFromChosenProgram = 0, kSetupFromDisc = 1, kSetupFromFolder = 2 };

// The answer file, written unchanged to the target's root before an unattended setup.
extern const char kWinntSifTemplate[];

// The winnt32 command line for the install mode, with or without the answer file. `target` is
// the target's drive root ("C:\"); `disc_text` the optical-drive combo's text (its first three
// characters are the disc's root); `source` the image combo's text (an I386 folder in mode 2, the
// full path of a WINNT32.EXE in mode 0; that path and its folder after "/s:" are quoted when they
// hold a blank). Empty for any other mode.
std::string winnt32_setup_command(int install_mode, bool answer_file, const std::string& target,
                                  const std::string& disc_text, const std::string& source);
// Where the answer file goes: target + "\winnt.sif".
std::string winnt_sif_path(const std::string& target);

const ui::WindowDef& winnt32_setup_window_def();

// Loads Winnt32SetupWindow modally over MainWindow; returns when it is gone.
void open_winnt32_setup_window();

// Set the disabled state of both buttons and both combos.
void lock_install_window(ui::Window& window);
void unlock_install_window(ui::Window& window);

// The format the format combo asks for, then the setup.
void winnt32_install_with_format(ui::Window& window);
// Writes the answer file when asked, starts winnt32 and the watch.
void winnt32_install_start(ui::Window& window);

// Handlers.
void winnt32_window_load(ui::Event& event);  // Created
void on_winnt32_ok_clicked(ui::Event& event);
void on_winnt32_setup_cancel_clicked(ui::Event& event);
void winnt32_finish_tick(ui::Event& event);  // 50 ms
void on_winnt32_setup_window_destroyed(ui::Event& event);

void bind_winnt32_setup_handlers();

}  // namespace qv
