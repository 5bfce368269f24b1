// Calls the command line makes into parts of the program that are built elsewhere. Each is a
// stand-in here until its part lands; then the part's own definition replaces the one in
// pending_parts.cpp.
#pragma once

#include <string>
#include <vector>

#include "ui/runtime.h"

namespace qv {

// TODO(ghost restore window): GhostRestoreWindow loaded modally without a parent; its
// command-line restore uses g_install_image_path, g_target_disk_partition and g_target_drive.
void open_ghost_restore_window_modal();
// TODO(virtual drive window): VirtualDriveWindow loaded modally without a parent.
void open_virtual_drive_window();
// TODO(whole-disk layouts): HD3.GHO, HD4.GHO, HD5.GHO restored to disk 1.
void quick_restore_hd3();
void quick_restore_hd4();
void quick_restore_hd5();
// TODO(partition list): copies the selected partition-list row into the hidden labels.
void show_selected_partition();

// The roots of every drive, in the drive lister's order.
// TODO(drive facts): answer with list_drives(kAllDrives); until then the letters A to Z that
// exist, in letter order.
std::vector<std::string> list_drive_roots();
// "m:n" of a drive letter: the disk counted from 1 and the partition number of its volume.
// TODO(drive facts): answer with disk_number_of / partition_number_of of letter + ":\"; until
// then the disk:partition cell of the partition-list row of that drive, or empty.
std::string drive_to_disk_partition(const std::string& letter);

}  // namespace qv
