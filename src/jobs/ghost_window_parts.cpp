#include "jobs/ghost_window_parts.h"

namespace qv {

void show_ghost_buttons(ui::Window& w, bool on) {
    for (const char* role : {"ok_button", "cancel_button"}) {
        w.set_enabled(role, on);
        w.set_visible(role, on);
    }
}

namespace {

void place_status(ui::Window& w, int left, int width) {
    ui::Rect at = w.control_rect("status_label");
    w.move_control("status_label", left, at.y);
    w.resize_control("status_label", width, at.h);
}

}  // namespace

void show_ghost_status(ui::Window& w, const std::string& text, int left, int width) {
    place_status(w, left, width);
    w.set_text("status_label", text);
    w.set_visible("status_label", true);
}

void hide_ghost_status(ui::Window& w, int left, int width) {
    w.set_visible("status_label", false);
    place_status(w, left, width);
}

}  // namespace qv
