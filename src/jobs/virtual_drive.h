// Disc images mounted as a virtual optical drive by the carried virtual-drive tool: the mount
// from the found-images list's menu, VirtualDriveWindow (main menu "虚拟光驱(&G)", or the only
// window of a "/gq" run), and the tool's command lines, which the image inspection uses too.
//
// The tool is run hidden and waited for; nothing reads its exit code or output. What it mounted
// is seen only through the drive letter afterwards.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kVirtualDriveWindowName = "VirtualDriveWindow";

// The letter the found-images list's mount chose last; empty before the first.
extern std::string g_iso_mount_letter;

// "ISO.exe /D:" + bare letter + " /I:" + path: the list mount and the image inspection.
std::string virtual_drive_mount_command(const std::string& letter, const std::string& iso_path);
// "ISO.exe /D:" + letter + ":\  /I:" + path (two blanks): VirtualDriveWindow's mount.
std::string virtual_drive_window_mount_command(const std::string& letter,
                                               const std::string& iso_path);
// "explorer.exe L:\ " after a list mount; "EXPLORER.EXE L:\ " from the window's open button
// (both end in a blank).
std::string list_mount_explorer_command(const std::string& letter);
std::string drive_explorer_command(const std::string& letter);

// The ISO files this run mounted, by drive letter. A later mount on the same letter replaces the
// earlier one, and when it brings another ISO file the image combo's entries on that letter go.
// VirtualDriveWindow's mounts count too: an image on such a drive can still be chosen as the
// source of a restore or a setup.
void remember_mounted_iso(const std::string& letter, const std::string& iso_path);
// The ISO file behind the drive letter of `path` ("Z:\I386" gives the ISO mounted on Z:), or
// empty when this run mounted none there.
std::string mounted_iso_behind(const std::string& path);
// Whether formatting the drive of `target_root` would destroy `source`: the source lies on that
// drive, or it lies on a letter this run mounted from an ISO file on that drive.
bool source_lies_on_drive(const std::string& source, const std::string& target_root);

const ui::WindowDef& virtual_drive_window_def();

// Loads VirtualDriveWindow modally: over MainWindow from the main menu, without a parent in
// automatic mode ("/gq"), where the main window is hidden.
void open_virtual_drive_window();

// The found-images list's mount: a free letter among Z, Y, W, A, B, the tool, Explorer on the
// letter and the two balloons around it. Sets g_iso_mounted before the tool runs.
void mount_iso_from_list(ui::Window& main);

// Set the disabled state of the window's two combos and four buttons.
void lock_virtual_drive_window(ui::Window& window);
void unlock_virtual_drive_window(ui::Window& window);

// Handlers.
void on_virtual_drive_menu_chosen(ui::Event& event);       // main menu "虚拟光驱(&G)"
void on_image_list_menu_mount_selected(ui::Event& event);  // list menu "加载到虚拟光驱(&G)"
void virtual_drive_window_load(ui::Event& event);          // Created
void choose_iso_for_virtual_drive(ui::Event& event);
void mount_iso(ui::Event& event);
void open_drive_in_explorer(ui::Event& event);
void on_virtual_drive_exit_clicked(ui::Event& event);
void on_virtual_drive_close_clicked(ui::Event& event);
void on_virtual_drive_window_destroyed(ui::Event& event);

void bind_virtual_drive_handlers();
// The list mount's letter and the remembered mounts back to their start.
void reset_virtual_drive_state();

}  // namespace qv
