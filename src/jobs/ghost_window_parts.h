// What the Ghost restore and backup windows share: their buttons and status line while Ghost
// runs.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

// Shows or hides, and enables or disables, the OK and cancel buttons together.
void show_ghost_buttons(ui::Window& w, bool on);
// The status line in the buttons' row at `left` with `width`, showing the text.
void show_ghost_status(ui::Window& w, const std::string& text, int left, int width);
// The status line hidden and shrunk to `width` at `left`, out of the way of the buttons.
void hide_ghost_status(ui::Window& w, int left, int width);

}  // namespace qv
