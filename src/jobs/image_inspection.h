// What the user offers as a source becomes entries of MainWindow's image combo: an image file
// (".GHO", ".WIM", ".SWM"), the setup program "WINNT32.EXE" of a Windows XP or Server 2003
// source, or an ISO image of an installation disc, which is mounted on g_virtual_drive_letter and
// searched for images, for "sources\install.wim" and for "I386\WINNT32.EXE". The browse button
// chooses such a file (or, in backup mode, the path of the backup image), a dropped file is
// inspected in restore mode, and the install-from-disc panel swaps the image combo for the
// optical-drive combo.
#pragma once

#include <string>

#include "base/state.h"
#include "ui/runtime.h"

namespace qv {

// The record of an "I386\WINNT32.EXE" found on a mounted ISO, and of a chosen "WINNT32.EXE"
// (the latter record also serves the custom Ghost's check).
extern FileVersionInfo g_winnt32_version_info;

FileVersionInfo read_file_version_info(const std::string& path);
// The setup-program test: the file description, upper-cased, is the stub loader's.
bool is_winnt32_setup_program(const FileVersionInfo& info);

// The number of a preset backup name: drawn from 10 to 9999 after seeding the generator with
// 9999, so every call gives the same number.
int backup_name_number();
// The save dialog's proposed name: the current backup path's file name; else, with a row
// selected, its drive letter, "_BAK", the number and ".GHO"; else none.
std::string backup_preset_name(const std::string& backup_path, bool row_selected,
                               const std::string& row_root);

enum class InspectionSource { Browse, Drop };

// The restore-mode inspection of a chosen or dropped path, by its kind (see the .cpp).
void inspect_chosen_image(ui::Window& main, const std::string& path, InspectionSource source);
// The drop target's work: inspects the name in restore mode, does nothing otherwise.
void open_image_file(ui::Window& main, const std::string& dropped_name);
// The install-from-disc panel, when its radio is set.
void show_disc_install_panel(ui::Window& main);

// Handlers.
void on_image_chosen(ui::Event& event);        // browse button
void on_image_file_dropped(ui::Event& event);  // drop target
void on_disc_install_radio_clicked(ui::Event& event);

void bind_image_inspection_handlers();
void reset_image_inspection_state();

}  // namespace qv
