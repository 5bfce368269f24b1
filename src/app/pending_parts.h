// Calls the command line makes into parts of the program that are built elsewhere. Each is a
// stand-in here until its part lands; then the part's own definition replaces the one in
// pending_parts.cpp.
#pragma once

namespace qv {

// TODO(ghost restore window): GhostRestoreWindow loaded modally without a parent; its
// command-line restore uses g_install_image_path, g_target_disk_partition and g_target_drive.
void open_ghost_restore_window_modal();
// TODO(whole-disk layouts): HD3.GHO, HD4.GHO, HD5.GHO restored to disk 1.
void quick_restore_hd3();
void quick_restore_hd4();
void quick_restore_hd5();

}  // namespace qv
