#include "disks/partition_list.h"

#include <vector>

#include "base/state.h"
#include "disks/partition_info.h"
#include "disks/safe_removal.h"
#include "disks/volume_label.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv {
namespace {

constexpr const char* kList = "partition_list";

// The controls the disc-install panel switches around a refresh in place of the lock.
const char* const kDiscPanelControls[] = {
    "optical_drive_combo",
    "partition_list",
    "manual_ghost_check",
    "restart_after_job_check",
    "shutdown_after_job_check",
    "expand_button",
    "search_button",
    "compact_button",
    "exit_button",
    "start_button",
    "depth_edit",
    "search_pattern_combo",
    "restore_radio",
    "backup_radio",
    "disc_install_radio",
};

void set_disc_panel_enabled(ui::Window& main, bool on) {
    for (const char* role : kDiscPanelControls) main.set_enabled(role, on);
}

void append_rows(ui::Window& main, const std::vector<PartitionRow>& rows) {
    for (const PartitionRow& row : rows) main.add_row(kList, row.cells());
}

// The start button follows the size of the chosen row: a row whose size could not be read is
// no target.
PartitionClick apply_click_rules(ui::Window& main, const SelectedPartition& chosen) {
    PartitionClick click =
        partition_click_of(chosen, main.cell(kList, main.selected_row(kList), 4));
    main.set_enabled("start_button", click.start_enabled);
    return click;
}

// The refresh itself. With `switch_controls` the controls are off while the drives are read (the
// lock set, or on the disc-install panel only its own controls) and on again afterwards; without
// it they are left to the long action that holds the lock.
void rebuild_partition_list(ui::Window& main, bool switch_controls) {
    bool disc_panel = main.checked("disc_install_radio");
    if (switch_controls) {
        if (disc_panel)
            set_disc_panel_enabled(main, false);
        else
            ui::lock_ui();
    }
    ui::show_tray_balloon("提示", kRefreshingText, ui::kBalloonInfo, 0);
    main.clear_rows(kList);
    fill_partition_list_fixed(main);
    fill_partition_list_removable(main);
    if (disc_panel) list_cd_drives(main);
    if (switch_controls) {
        if (disc_panel)
            set_disc_panel_enabled(main, true);
        else
            ui::unlock_ui();
    }
    check_partitions_found(main);
    ui::show_tray_balloon("提示", kRefreshDoneText, ui::kBalloonInfo, 0);
}

}  // namespace

void show_partition_list_mode(ui::Window& main, PartitionListMode mode) {
    main.set_column_caption(kList, 0, partition_columns(mode)[0].caption);
}

void fill_partition_list_fixed(ui::Window& main) {
    append_rows(main, partition_rows_fixed());
}

void fill_partition_list_removable(ui::Window& main) {
    append_rows(main, partition_rows_removable());
}

bool check_partitions_found(ui::Window& main) {
    int rows = main.row_count(kList);
    if (rows == 0) {
        main.set_enabled("start_button", false);
        main.set_enabled(kList, false);
    }
    return check_partitions_found(static_cast<std::size_t>(rows));
}

bool partition_row_at(const ui::Window& main, int index, PartitionRow& row) {
    row = PartitionRow{};
    if (index < 0 || index >= main.row_count(kList)) return false;
    row.root = main.cell(kList, index, 0);
    row.disk_partition = main.cell(kList, index, 1);
    row.system = main.cell(kList, index, 2);
    row.type_name = main.cell(kList, index, 3);
    row.total = main.cell(kList, index, 4);
    row.free = main.cell(kList, index, 5);
    return true;
}

SelectedPartition show_selected_partition(ui::Window& main) {
    PartitionRow row;
    bool found = partition_row_at(main, main.selected_row(kList), row);
    SelectedPartition chosen = selected_partition_of(found ? &row : nullptr);
    main.set_text("selected_caption_label", chosen.caption);
    main.set_text("selected_disk_partition_label", chosen.disk_partition);
    main.set_text("selected_drive_label", chosen.root);
    main.set_text("selected_system_label", chosen.system);
    main.set_text("selected_drive_type_label", chosen.type_name);
    return chosen;
}

void select_partition_row(ui::Window& main, int index) {
    main.select_row(kList, index);
    show_selected_partition(main);
}

void select_default_partition_row(ui::Window& main) {
    std::vector<PartitionRow> rows;
    PartitionRow row;
    for (int i = 0; partition_row_at(main, i, row); ++i) rows.push_back(row);
    int index = default_partition_row(rows);
    if (index >= 0) main.select_row(kList, index);
    show_selected_partition(main);
}

void refresh_partition_list(ui::Window& main) {
    PartitionRefreshGuard guard(ui::ui_locked());
    if (!guard.entered()) return;
    rebuild_partition_list(main, true);
}

void refresh_stale_partition_list(ui::Window& main) {
    PartitionRefreshGuard guard(false);
    if (!guard.entered()) return;
    rebuild_partition_list(main, !ui::ui_locked());
}

void list_cd_drives(ui::Window& main) {
    std::vector<std::string> items = cd_drive_items();
    main.clear_items("optical_drive_combo");
    for (const std::string& item : items) main.add_item("optical_drive_combo", item);
    main.select("optical_drive_combo", 0);
}

void on_refresh_label_pressed(ui::Event& event) {
    refresh_partition_list(*event.window);
}

void on_partition_list_clicked(ui::Event& event) {
    ui::Window& main = *event.window;
    apply_click_rules(main, show_selected_partition(main));
}

void on_partition_list_right_click(ui::Event& event) {
    ui::Window& main = *event.window;
    PartitionClick click = apply_click_rules(main, show_selected_partition(main));
    if (!click.show_menu) return;
    main.set_menu_visible("disk_menu_remove_separator", click.show_remove);
    main.set_menu_visible("disk_menu_remove", click.show_remove);
    ui::Rect cursor = os::os().ui->cursor();
    main.popup_menu("disk_menu", cursor.x, cursor.y);
}

void on_partition_selection_changed(ui::Event& event) {
    ui::Window& main = *event.window;
    // Only a row becoming selected counts: a refresh empties the list and leaves the target
    // shown until a row of the new list is chosen.
    if (main.selected_row(kList) < 0) return;
    SelectedPartition chosen = show_selected_partition(main);
    // A row chosen by code while a long action holds the lock must not hand the start button
    // back; unlock_ui decides then.
    if (!ui::ui_locked()) apply_click_rules(main, chosen);
}

void bind_partition_list_handlers() {
    const std::string w = ui::kMainWindowName;
    ui::bind_handler(w, "refresh_label", ui::EventKind::LButtonDown, on_refresh_label_pressed);
    ui::bind_handler(w, kList, ui::EventKind::Click, on_partition_list_clicked);
    ui::bind_handler(w, kList, ui::EventKind::RButtonDown, on_partition_list_right_click);
    ui::bind_handler(w, kList, ui::EventKind::SelChange, on_partition_selection_changed);
    // The disk menu that the right click pops up.
    bind_partition_info_handlers();
    bind_volume_label_handlers();
    bind_safe_removal_handlers();
}

}  // namespace qv
