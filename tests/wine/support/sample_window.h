// A sample window for the Wine tests: every kind of control, Chinese texts, pictures of the tests
// (a skin, a JPEG panel, a button strip) and menus with submenus, separators and hidden items.
#pragma once

#include "ui/window_def.h"

namespace qv::testing {

ui::WindowDef sample_window_def();

}  // namespace qv::testing
