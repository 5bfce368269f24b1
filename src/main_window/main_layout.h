// The two layouts of the main window: expanded (every area) and compact (mode radios, image row
// and partition list only). Start-up applies the compact one.
#pragma once

#include "ui/runtime.h"

namespace qv::ui {

struct MainLayout {
    int window_w = 0, window_h = 0;
    int skin_w = 0, skin_h = 0;    // the skin picture box
    int panel_w = 0, panel_h = 0;  // the panel picture box; it clips what lies outside it
    bool expand_button_shown = false;
    bool compact_button_shown = false;
    // true: the found-images list is shown; false: it is left as it is (the panel clips it).
    bool found_images_shown = false;
    int exit_button_x = 0, exit_button_y = 0;
    int start_button_x = 0, start_button_y = 0;
    // Only the lefts of the title-bar buttons move; their tops stay.
    int close_button_x = 0;
    int menu_button_x = 0;
    int minimize_button_x = 0;
    int partition_list_h = 0;  // its width stays
};

const MainLayout& expanded_main_layout();
const MainLayout& compact_main_layout();

void apply_main_layout(Window& main, const MainLayout& layout);
void expand_main_window(Window& main);
void compact_main_window(Window& main);

// Handlers of the expand and compact buttons.
void on_main_expand_button_clicked(Event& event);
void on_main_compact_button_clicked(Event& event);

}  // namespace qv::ui
