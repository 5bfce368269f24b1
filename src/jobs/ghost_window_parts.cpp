#include "jobs/ghost_window_parts.h"

#include "disks/drive_facts.h"
#include "disks/partition_list.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv {

const char* const kRestoreTargetRenumberedText =
    "分区已发生变化，分区列表已刷新，请重新选择要还原的分区！";
const char* const kBackupTargetRenumberedText =
    "分区已发生变化，分区列表已刷新，请重新选择要备份的分区！";

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

bool ghost_target_numbered_as_confirmed(const std::string& root,
                                        const std::string& disk_partition) {
    return !root.empty() && disk_partition_of(root) == disk_partition;
}

void refuse_renumbered_ghost_target(const std::string& text, int (*say)(const std::string&, int)) {
    if (ui::Window* main = ui::main_window()) refresh_stale_partition_list(*main);
    say(text, os::kIconWarning);
}

}  // namespace qv
