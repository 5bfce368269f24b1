#include "shell/main_window_handlers.h"

#include "base/state.h"
#include "disks/partition_list.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv::ui {
namespace {

struct PanelMode {
    const char* radio;
    const char* image_caption;
    PartitionListMode list_mode;
    const char* browse_picture;
    const char* browse_caption;
    bool image_combo_shown;
    bool backup_path_combo_shown;
    bool crcignore_shown;
    bool backup_lists_shown;
    bool drop_enabled;
};

const PanelMode kRestoreMode = {"restore_radio",
                                "请选择Gho、ISO、SWM、WIM映像文件：",
                                PartitionListMode::Restore,
                                "btn_open",
                                "打开(O)",
                                true,
                                false,
                                true,
                                false,
                                true};
const PanelMode kBackupMode = {"backup_radio",
                               "请保存Gho、WIM映像文件：",
                               PartitionListMode::Backup,
                               "btn_save",
                               "保存(S)",
                               false,
                               true,
                               false,
                               true,
                               false};

void apply_panel_mode(Window& main, const PanelMode& mode) {
    if (!main.checked(mode.radio)) return;
    main.set_text("image_caption_label", mode.image_caption);
    show_partition_list_mode(main, mode.list_mode);
    main.set_visible("browse_button", true);
    main.set_picture("browse_button", mode.browse_picture);
    main.set_text("browse_button", mode.browse_caption);
    main.set_visible("image_combo", mode.image_combo_shown);
    main.set_visible("backup_path_combo", mode.backup_path_combo_shown);
    main.set_visible("optical_drive_combo", false);
    main.set_visible("crcignore_check", mode.crcignore_shown);
    main.set_enabled("crcignore_check", true);
    for (const char* list : {"compression_combo", "split_combo"}) {
        main.set_visible(list, mode.backup_lists_shown);
        main.set_enabled(list, true);
    }
    for (const char* box :
         {"noide_check", "integrity_check", "password_check", "custom_ghost_check"})
        main.set_enabled(box, true);
    // A password typed for one image must not follow the user into another job.
    main.set_checked("password_check", false);
    main.set_text("password_edit", "");
    main.set_enabled("password_edit", false);
    g_ghost_password_switch.clear();
    main.set_drop_enabled(mode.drop_enabled);
}

// One side of the finish choice: its box, its menu mark, and the other side's.
struct FinishSide {
    const char* box;
    const char* mark;
    const char* other_box;
    const char* other_mark;
};

const FinishSide kRestartSide = {"restart_after_job_check", "main_menu_auto_restart",
                                 "shutdown_after_job_check", "main_menu_auto_shutdown"};
const FinishSide kShutdownSide = {"shutdown_after_job_check", "main_menu_auto_shutdown",
                                  "restart_after_job_check", "main_menu_auto_restart"};

void on_finish_box_toggled(Window& main, const FinishSide& side) {
    if (main.checked(side.box)) {
        main.set_checked(side.other_box, false);
        main.set_menu_checked(side.mark, true);
        main.set_menu_checked(side.other_mark, false);
    } else {
        main.set_menu_checked(side.mark, false);
    }
}

void on_finish_mark_chosen(Window& main, const FinishSide& side) {
    if (main.menu_checked(side.mark)) {
        main.set_menu_checked(side.mark, false);
        main.set_checked(side.box, false);
    } else {
        main.set_menu_checked(side.other_mark, false);
        main.set_menu_checked(side.mark, true);
        main.set_checked(side.box, true);
        main.set_checked(side.other_box, false);
    }
}

void set_switch(std::string& ghost_switch, bool on, const char* text) {
    ghost_switch = on ? text : "";
}

}  // namespace

void show_restore_panel(Window& main) {
    apply_panel_mode(main, kRestoreMode);
}

void show_backup_panel(Window& main) {
    apply_panel_mode(main, kBackupMode);
}

void on_main_restore_radio_clicked(Event& event) {
    show_restore_panel(*event.window);
}

void on_main_backup_radio_clicked(Event& event) {
    show_backup_panel(*event.window);
}

void minimize_main_window(Event& event) {
    event.window->minimize();
}

void on_noide_toggled(Event& event) {
    set_switch(g_ghost_noide_switch, event.window->checked("noide_check"), " -noide");
}

void on_crcignore_toggled(Event& event) {
    set_switch(g_ghost_crcignore_switch, event.window->checked("crcignore_check"), " -crcignore ");
}

void on_ghost_password_toggled(Event& event) {
    Window& main = *event.window;
    bool on = main.checked("password_check");
    if (!on) main.set_text("password_edit", "");
    main.set_enabled("password_edit", on);
    set_switch(g_ghost_password_switch, on, " -pwd=");
}

void on_check_image_integrity_toggled(Event&) {}

void on_restart_after_job_toggled(Event& event) {
    on_finish_box_toggled(*event.window, kRestartSide);
}

void on_shutdown_after_job_toggled(Event& event) {
    on_finish_box_toggled(*event.window, kShutdownSide);
}

void toggle_auto_restart_menu(Event& event) {
    on_finish_mark_chosen(*event.window, kRestartSide);
}

void toggle_auto_shutdown_menu(Event& event) {
    on_finish_mark_chosen(*event.window, kShutdownSide);
}

void pop_up_main_menu_at_cursor(Event& event) {
    Rect cursor = os::os().ui->cursor();
    event.window->popup_menu("main_menu", cursor.x, cursor.y);
}

void pop_up_main_menu_below_button(Event& event) {
    Window& main = *event.window;
    Rect window = main.rect();
    Rect button = main.control_rect("menu_button");
    main.popup_menu("main_menu", window.x + button.x, window.y + button.h);
}

void bind_main_window_handlers() {
    const std::string w = kMainWindowName;
    ui::bind_handler(w, "restore_radio", EventKind::Click, on_main_restore_radio_clicked);
    ui::bind_handler(w, "backup_radio", EventKind::Click, on_main_backup_radio_clicked);
    ui::bind_handler(w, "expand_button", EventKind::Click, on_main_expand_button_clicked);
    ui::bind_handler(w, "compact_button", EventKind::Click, on_main_compact_button_clicked);
    ui::bind_handler(w, "minimize_button", EventKind::Click, minimize_main_window);
    ui::bind_handler(w, "noide_check", EventKind::Click, on_noide_toggled);
    ui::bind_handler(w, "crcignore_check", EventKind::Click, on_crcignore_toggled);
    ui::bind_handler(w, "password_check", EventKind::Click, on_ghost_password_toggled);
    ui::bind_handler(w, "integrity_check", EventKind::Click, on_check_image_integrity_toggled);
    ui::bind_handler(w, "restart_after_job_check", EventKind::Click, on_restart_after_job_toggled);
    ui::bind_handler(w, "shutdown_after_job_check", EventKind::Click,
                     on_shutdown_after_job_toggled);
    ui::bind_handler(w, "main_menu_auto_restart", EventKind::Menu, toggle_auto_restart_menu);
    ui::bind_handler(w, "main_menu_auto_shutdown", EventKind::Menu, toggle_auto_shutdown_menu);
    ui::bind_handler(w, "tray_icon", EventKind::RButtonUp, pop_up_main_menu_at_cursor);
    ui::bind_handler(w, "menu_button", EventKind::Click, pop_up_main_menu_below_button);
}

}  // namespace qv::ui
