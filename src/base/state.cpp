#include "base/state.h"

namespace qv {

std::string g_instance_name;
std::string g_maker_name;
std::string g_edition_word;

std::string g_ghost_exe_path;
std::string g_imagex_exe_name;
std::string g_ghost_crcignore_switch;
std::string g_ghost_noide_switch;
std::string g_ghost_password_switch;
std::string g_ghost_compression_switch;
std::string g_ghost_split_switch;
std::string g_imagex_ref_option;
std::string g_imagex_compress_option;
std::string g_virtual_drive_letter;

FileVersionInfo g_ghost_version_info;
std::string g_layout_count_word;

std::string g_preferred_image;

std::vector<std::string> g_command_args;
std::string g_command_text;
bool g_scan_images_at_start = false;
std::string g_expected_system_letter;
bool g_automatic_mode = false;
bool g_end_after_help = false;
bool g_no_partitions = false;
std::vector<std::string> g_drive_roots;
std::string g_install_device_arg;
std::string g_install_image_path;
std::string g_target_disk_partition;
std::string g_target_row_key;
std::string g_target_drive;
std::string g_dropped_image_path;
std::string g_dropped_image_display;

bool g_busy = false;
int g_finish_action = 0;
int g_finished_job_kind = 0;
bool g_iso_mounted = false;
bool g_imagex_cancelled = false;
bool g_console_running = false;
bool g_ui_locked = false;
int g_install_mode = 0;
std::string g_winnt32_version;
std::string g_setup_system_name;

std::string g_omnifs_output;

void reset_program_state() {
    for (std::string* text : {&g_instance_name,
                              &g_maker_name,
                              &g_edition_word,
                              &g_ghost_exe_path,
                              &g_imagex_exe_name,
                              &g_ghost_crcignore_switch,
                              &g_ghost_noide_switch,
                              &g_ghost_password_switch,
                              &g_ghost_compression_switch,
                              &g_ghost_split_switch,
                              &g_imagex_ref_option,
                              &g_imagex_compress_option,
                              &g_virtual_drive_letter,
                              &g_preferred_image,
                              &g_command_text,
                              &g_expected_system_letter,
                              &g_install_device_arg,
                              &g_install_image_path,
                              &g_target_disk_partition,
                              &g_target_row_key,
                              &g_target_drive,
                              &g_dropped_image_path,
                              &g_dropped_image_display,
                              &g_winnt32_version,
                              &g_setup_system_name,
                              &g_omnifs_output}) {
        text->clear();
    }
    g_command_args.clear();
    g_drive_roots.clear();
    for (bool* flag :
         {&g_scan_images_at_start, &g_automatic_mode, &g_end_after_help, &g_no_partitions, &g_busy,
          &g_iso_mounted, &g_imagex_cancelled, &g_console_running, &g_ui_locked}) {
        *flag = false;
    }
    g_finish_action = 0;
    g_install_mode = 0;
    g_finished_job_kind = 0;

    g_ghost_version_info = FileVersionInfo{};
    g_layout_count_word.clear();
}

}  // namespace qv
