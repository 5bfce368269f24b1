#include "main_window/main_layout.h"

namespace qv::ui {
namespace {

void move_left(Window& main, const char* role, int x) {
    main.move_control(role, x, main.control_rect(role).y);
}

}  // namespace

const MainLayout& expanded_main_layout() {
    static const MainLayout layout = [] {
        MainLayout l;
        l.window_w = 666, l.window_h = 446;
        l.skin_w = 664, l.skin_h = 444;
        l.panel_w = 648, l.panel_h = 330;
        l.expand_button_shown = false;
        l.compact_button_shown = true;
        l.found_images_shown = true;
        l.exit_button_x = 325, l.exit_button_y = 410;
        l.start_button_x = 230, l.start_button_y = 410;
        l.close_button_x = 636;
        l.menu_button_x = 578;
        l.minimize_button_x = 606;
        l.partition_list_h = 104;
        return l;
    }();
    return layout;
}

const MainLayout& compact_main_layout() {
    static const MainLayout layout = [] {
        MainLayout l;
        l.window_w = 422, l.window_h = 312;
        l.skin_w = 420, l.skin_h = 310;
        l.panel_w = 406, l.panel_h = 202;
        l.expand_button_shown = true;
        l.compact_button_shown = false;
        l.found_images_shown = false;
        l.exit_button_x = 334, l.exit_button_y = 280;
        l.start_button_x = 241, l.start_button_y = 280;
        l.close_button_x = 392;
        l.menu_button_x = 334;
        l.minimize_button_x = 362;
        l.partition_list_h = 100;
        return l;
    }();
    return layout;
}

void apply_main_layout(Window& main, const MainLayout& layout) {
    main.set_size(layout.window_w, layout.window_h);
    main.resize_control("skin", layout.skin_w, layout.skin_h);
    main.resize_control("panel", layout.panel_w, layout.panel_h);
    main.set_visible("expand_button", layout.expand_button_shown);
    main.set_visible("compact_button", layout.compact_button_shown);
    if (layout.found_images_shown) main.set_visible("found_images_list", true);
    main.move_control("exit_button", layout.exit_button_x, layout.exit_button_y);
    main.move_control("start_button", layout.start_button_x, layout.start_button_y);
    move_left(main, "close_button", layout.close_button_x);
    move_left(main, "menu_button", layout.menu_button_x);
    move_left(main, "minimize_button", layout.minimize_button_x);
    main.resize_control("partition_list", main.control_rect("partition_list").w,
                        layout.partition_list_h);
}

void expand_main_window(Window& main) {
    apply_main_layout(main, expanded_main_layout());
}

void compact_main_window(Window& main) {
    apply_main_layout(main, compact_main_layout());
}

void on_main_expand_button_clicked(Event& event) {
    expand_main_window(*event.window);
}

void on_main_compact_button_clicked(Event& event) {
    compact_main_window(*event.window);
}

}  // namespace qv::ui
