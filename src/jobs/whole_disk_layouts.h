// The whole-disk layouts: a carried Ghost disk image of three, four or five partitions loaded
// onto disk 1 after a warning, either for the command-line options "/hdd3", "/hdd4", "/hdd5"
// (automatic mode: the run is this one job) or for the "自动分区(&F)" items of the main menu and
// the partition list's menu. MainWindow's disk_layout_timer watches Ghost and reports its end.
// The layouts leave g_busy and the main window's controls alone and have no finish countdown.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

struct WholeDiskLayout {
    const char* file;  // in the system folder
    const char* word;  // the number word of the reports
};

// The layout of 3, 4 or 5 partitions.
const WholeDiskLayout& whole_disk_layout(int partitions);

// Ghost's whole-disk load of a layout file from the system folder (ending in "\", so the image
// path holds a doubled backslash, which the system accepts) onto the first disk, started in a
// normal window. A path the system would split is quoted.
std::string ghost_disk_clone_command(const std::string& ghost_exe, const std::string& system_folder,
                                     const std::string& layout_file);
std::string layout_missing_text(const WholeDiskLayout& layout);
std::string layout_done_text(const std::string& word);
// "一键分" + word + "失败！": Ghost ended with an exit code other than 0.
std::string layout_failed_text(const std::string& word);

// The command-line entries: the Windows folder's letter, upper-cased, must be the expected one,
// otherwise the PE-only notice ends the program; No to the warning ends it too.
void quick_restore_hd3();
void quick_restore_hd4();
void quick_restore_hd5();
// The menu entries: refused unless the Windows folder is on "X" (as it stands, case kept).
void quick_restore_hd3_pe();
void quick_restore_hd4_pe();
void quick_restore_hd5_pe();

void on_main_menu_three_partitions_selected(ui::Event& event);
void on_disk_menu_three_partitions_selected(ui::Event& event);
void on_main_menu_four_partitions_selected(ui::Event& event);
void on_disk_menu_four_partitions_selected(ui::Event& event);
void on_main_menu_five_partitions_selected(ui::Event& event);
void on_disk_menu_five_partitions_selected(ui::Event& event);

// disk_layout_timer's tick: once the Ghost that the layout started is gone, the timer stops and
// the end is reported; in automatic mode the program then ends.
void wait_for_ghost(ui::Event& event);

void bind_whole_disk_layout_handlers();
// Whether a job holds the busy state or the Ghost that a layout started still runs: no other job
// or layout may start then.
bool job_or_layout_running();
// Forgets the Ghost of a layout that was running (a new run of the program in tests).
void reset_whole_disk_layout_state();

}  // namespace qv
