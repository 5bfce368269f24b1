#include "main_window/lock_ui.h"

#include "base/state.h"
#include "main_window/main_window.h"

namespace qv::ui {
namespace {

void set_lock_set_enabled(bool on) {
    Window* main = main_window();
    if (main == nullptr) return;
    g_ui_locked = !on;
    for (const std::string& role : main_lock_set()) main->set_enabled(role, on);
}

}  // namespace

const std::vector<std::string>& main_lock_set() {
    static const std::vector<std::string> roles = {
        "exit_button",         "start_button",
        "browse_button",       "compact_button",
        "search_button",       "expand_button",
        "manual_ghost_check",  "noide_check",
        "integrity_check",     "password_check",
        "custom_ghost_check",  "restart_after_job_check",
        "crcignore_check",     "shutdown_after_job_check",
        "image_combo",         "backup_path_combo",
        "optical_drive_combo", "split_combo",
        "compression_combo",   "search_pattern_combo",
        "restore_radio",       "backup_radio",
        "disc_install_radio",  "depth_edit",
        "close_button",        "menu_button",
        "minimize_button",     "partition_list",
        "found_images_list",
    };
    return roles;
}

void lock_ui() {
    set_lock_set_enabled(false);
}

void unlock_ui() {
    set_lock_set_enabled(true);
}

bool ui_locked() {
    return g_ui_locked;
}

ScopedUiLock::ScopedUiLock() {
    Window* main = main_window();
    if (main == nullptr || ui_locked()) return;
    for (const std::string& role : main_lock_set())
        if (!main->enabled(role)) disabled_before_.push_back(role);
    lock_ui();
    held_ = true;
}

ScopedUiLock::~ScopedUiLock() {
    release();
}

void ScopedUiLock::release() {
    if (!held_) return;
    held_ = false;
    unlock_ui();
    if (Window* main = main_window())
        for (const std::string& role : disabled_before_) main->set_enabled(role, false);
}

}  // namespace qv::ui
