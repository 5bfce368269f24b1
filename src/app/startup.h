// The start-up sequence: MainWindow's Created handler does the whole start-up work, step by
// step, before the message loop takes over.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

// What one run of the sequence carries from step to step.
struct StartUpRun {
    ui::Window& main;
    // Stays true unless a command-line option runs a mode of its own; the desktop shortcut is
    // made only while it holds.
    bool no_option_applied = false;
};

void on_start_window_created(ui::Event& event);
// Binds on_start_window_created to MainWindow's Created event.
void bind_start_up();

// The first of Z, Y, W, A and B that names no drive, or empty when all five exist.
std::string free_mount_letter();
extern const char* const kNoMountLetterMessage;
extern const char* const kUefiWarning;

// The first five characters of a file version ("1.9.0.0" gives "1.9.0").
std::string short_version(const std::string& file_version);
// The version of the program's own file (run folder + "\" + file name), or empty.
std::string program_file_version();
// "Ver：" and the first five characters of the program file's version.
std::string version_caption(const std::string& file_version);
// The maker's name, the product word and the edition word: window title and tray tip.
std::string product_title();
// The body of the welcome balloon; it fits the shell's 255-byte balloon text.
std::string welcome_balloon_text();

}  // namespace qv
