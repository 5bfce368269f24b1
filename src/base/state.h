// The program-wide variables through which the parts of the program hand values to each other.
// There is one of each for the life of the process; all are used on the user-interface thread.
#pragma once

#include <string>
#include <vector>

namespace qv {

// Identity
extern std::string g_instance_name;
extern std::string g_maker_name;
extern std::string g_edition_word;

// Tools and their switches
extern std::string g_ghost_exe_path;
extern std::string g_imagex_exe_name;
extern std::string g_ghost_crcignore_switch;
extern std::string g_ghost_noide_switch;
extern std::string g_ghost_password_switch;
extern std::string g_ghost_compression_switch;
extern std::string g_ghost_split_switch;
extern std::string g_imagex_ref_option;
extern std::string g_imagex_compress_option;
extern std::string g_virtual_drive_letter;

// The two texts of a version resource that the program uses.
struct FileVersionInfo {
    std::string file_description;
    std::string file_version;
};
extern FileVersionInfo g_ghost_version_info;  // the last Ghost chosen as the custom one
extern std::string g_layout_count_word;  // "三", "四" or "五": the whole-disk layout under way

// Images
extern std::string g_preferred_image;  // the first image-combo item found to hold ".gho"

// Command-line facts (start-up only)
extern std::vector<std::string> g_command_args;
extern std::string g_command_text;
extern bool g_scan_images_at_start;
extern std::string g_expected_system_letter;
extern bool g_automatic_mode;
extern bool g_end_after_help;
extern bool g_no_partitions;
extern std::vector<std::string> g_drive_roots;
extern std::string g_install_device_arg;
extern std::string g_install_image_path;
extern std::string g_target_disk_partition;
extern std::string g_target_row_key;
extern std::string g_target_drive;
extern std::string g_dropped_image_path;     // a .GHO dropped in automatic mode and confirmed
extern std::string g_dropped_image_display;  // the shortened image text of the question line

// Job state
extern bool g_busy;
extern int g_finish_action;      // 1 shut down, 0 restart
extern int g_finished_job_kind;  // 0 restore, 1 backup, 2 setup
extern bool g_iso_mounted;
extern bool g_imagex_cancelled;
extern bool g_console_running;
extern bool g_ui_locked;                 // lock_ui holds the main window's controls until unlock_ui
extern int g_install_mode;               // 1 disc, 2 I386 folder, 0 a chosen WINNT32.EXE
extern std::string g_winnt32_version;    // file version of the setup program found
extern std::string g_setup_system_name;  // " XP", " Server 2003" or empty
// The one disk manager of the run lives with its class in src/disks.

// Drives
extern std::string g_omnifs_output;  // the last partition report of the file-system utility

// Puts every variable back to its construction value: texts empty, flags false, numbers 0.
void reset_program_state();

}  // namespace qv
