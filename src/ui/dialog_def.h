// The skin every small window wears: the frame picture at (1,1), the caption label in its title
// band, the close button in the top-right corner (where the window has one) and the inner
// background box that holds the window's own controls. Roles: "skin", "caption_label",
// "close_button", "panel".
#pragma once

#include <string>

#include "ui/window_def.h"

namespace qv::ui {

// The background picture of every inner box, set when each window is created.
inline constexpr const char* kDialogBackground = "dialog_panel";

// The window with its skin; the inner box fills the frame below the title band.
WindowDef dialog_window(const std::string& name, int w, int h, const std::string& caption,
                        bool close_button);

// A picture button: its caption is drawn in its picture, a strip of four states.
ControlDef& add_picture_button(WindowDef& def, std::string role, std::string unit,
                               std::string parent, int x, int y, int w, int h, std::string caption,
                               std::string picture);

}  // namespace qv::ui
