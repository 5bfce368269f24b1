// The partition list of the main window: its rows, the target the user picked (SelectedPartition,
// kept in five hidden labels), the empty-list check, the default row of start-up, the refresh,
// the click and right-click handlers and the optical-drive combo. The rows themselves are made
// in partition_rows.
#pragma once

#include <string>

#include "disks/partition_rows.h"
#include "main_window/partition_columns.h"
#include "ui/runtime.h"

namespace qv {

// Column 0 is titled by the panel the list serves; the other captions never change.
void show_partition_list_mode(ui::Window& main, PartitionListMode mode);

// Appends the rows of the fixed drives (loading the partition report first), then those of the
// removable drives with the report of that load.
void fill_partition_list_fixed(ui::Window& main);
void fill_partition_list_removable(ui::Window& main);

// With no row: sets g_no_partitions, disables the start button and the list, and warns.
// Otherwise clears the flag and leaves the controls alone. Returns whether there are rows.
bool check_partitions_found(ui::Window& main);

// The row of the list at that index; false (and an empty row) for no such row.
bool partition_row_at(const ui::Window& main, int index, PartitionRow& row);

// Copies the selected row into SelectedPartition; no selection gives the caption "()" and
// empty texts.
SelectedPartition show_selected_partition(ui::Window& main);
// Selects the row (the selection handler copies it), then shows the selection.
void select_partition_row(ui::Window& main, int index);
// The start-up row: the first 1:1, else 1:2, else partition 1 of any disk; shown also when none.
void select_default_partition_row(ui::Window& main);

// Rebuilds the list; refused while another refresh runs or a long action holds the lock.
void refresh_partition_list(ui::Window& main);
// Rebuilds the list for a job that found its target numbered otherwise than the list shows: also
// while a long action holds the main window's lock, which that action keeps (the list is rebuilt
// without taking or handing back the lock). Inside a refresh that already runs nothing more is
// done: that refresh is still reading the drives and fills the list with their new numbers.
void refresh_stale_partition_list(ui::Window& main);

// The optical-drive combo: one item per optical drive, the first one chosen.
void list_cd_drives(ui::Window& main);

// Handlers.
void on_refresh_label_pressed(ui::Event& event);
void on_partition_list_clicked(ui::Event& event);
void on_partition_list_right_click(ui::Event& event);
// A row became selected, by mouse, keyboard or code: the target follows it.
void on_partition_selection_changed(ui::Event& event);

// Also binds the disk menu's partition items (information, properties, label, removal).
void bind_partition_list_handlers();

}  // namespace qv
