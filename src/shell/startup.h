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

extern const char* const kUefiWarning;

// "Ver：" and the first five characters of the program file's version.
std::string version_caption(const std::string& file_version);
// The body of the welcome balloon; it fits the shell's 255-byte balloon text.
std::string welcome_balloon_text();

}  // namespace qv
