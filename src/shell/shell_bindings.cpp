#include "shell/shell_bindings.h"

#include "base/power.h"
#include "images/image_file_operations.h"
#include "jobs/command_console.h"
#include "jobs/custom_ghost.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_backup.h"
#include "jobs/ghost_restore.h"
#include "jobs/image_inspection.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_capture.h"
#include "jobs/manual_ghost.h"
#include "jobs/start_button.h"
#include "jobs/virtual_drive.h"
#include "jobs/whole_disk_layouts.h"
#include "jobs/winnt32_setup.h"
#include "main_window/info_windows.h"
#include "shell/boot_tools.h"
#include "shell/exit_and_power.h"
#include "shell/hot_keys.h"

namespace qv {

void bind_shell_handlers() {
    bind_exit_and_power_handlers();
    ui::bind_info_window_handlers();
    bind_hot_key_handlers();
    bind_finish_countdown_handlers();
    bind_start_button_handlers();
    bind_ghost_restore_handlers();
    bind_imagex_apply_handlers();
    bind_ghost_backup_handlers();
    bind_imagex_capture_handlers();
    bind_boot_tool_handlers();
    bind_whole_disk_layout_handlers();
    bind_manual_ghost_handlers();
    bind_custom_ghost_handlers();
    ui::bind_image_file_operation_handlers();
    bind_virtual_drive_handlers();
    bind_image_inspection_handlers();
    bind_winnt32_setup_handlers();
}

void reset_shell_state() {
    reset_hot_keys();
    reset_end_of_run();
    reset_imagex_apply_state();
    reset_console_boxes();
    reset_ghost_backup_state();
    reset_ghost_restore_state();
    reset_whole_disk_layout_state();
    reset_manual_ghost_state();
    reset_imagex_capture_state();
    reset_virtual_drive_state();
    reset_image_inspection_state();
}

}  // namespace qv
