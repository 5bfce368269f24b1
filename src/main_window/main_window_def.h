// The main window as data: every control, dialog, timer and popup menu of MainWindow.
#pragma once

#include "ui/window_def.h"

namespace qv::ui {

inline constexpr const char* kMainWindowName = "MainWindow";

// The one definition of MainWindow; built on first use and kept for the life of the process.
const WindowDef& main_window_def();

}  // namespace qv::ui
