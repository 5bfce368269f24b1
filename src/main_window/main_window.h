// The live main window and the notices spoken through it: tray balloons and message boxes.
// Controls are named by their roles in main_window_def.cpp; the window's handlers are in
// shell/main_window_handlers.
#pragma once

#include <string>

#include "main_window/main_layout.h"
#include "main_window/main_window_def.h"
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

// The refusal of what would start another job, or end the program, while a job runs.
extern const char kBusyText[];  // "程序正在操作，请等待！"

}  // namespace qv::ui
