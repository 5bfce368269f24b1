// What the Ghost restore and backup windows share: their buttons and status line while Ghost
// runs, and the last look at the target just before Ghost is started.
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

// The refusals of a target whose partition has been renumbered since it was confirmed.
extern const char* const kRestoreTargetRenumberedText;
extern const char* const kBackupTargetRenumberedText;

// Whether the drive still carries the disk:partition that the window confirmed. Partitions are
// renumbered when disks are attached in another order or another tool repartitions; Ghost takes
// the number, not the letter, so a number that moved to another partition would have Ghost write
// onto that one. A drive that is gone carries no number and never passes.
bool ghost_target_numbered_as_confirmed(const std::string& root, const std::string& disk_partition);

// The refusal of such a target: the partition list is rebuilt with the new numbers (also while a
// long action holds the main window's lock), then `say(text, style)` tells the user, with the
// warning icon, to choose again.
void refuse_renumbered_ghost_target(const std::string& text, int (*say)(const std::string&, int));

}  // namespace qv
