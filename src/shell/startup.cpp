#include "shell/startup.h"

#include "base/carried_tools.h"
#include "base/helpers.h"
#include "base/identity.h"
#include "base/state.h"
#include "disks/disk_manager.h"
#include "disks/drive_facts.h"
#include "disks/partition_list.h"
#include "images/image_list.h"
#include "main_window/info_windows.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "shell/command_line.h"
#include "shell/hot_keys.h"
#include "shell/shortcut.h"
#include "shell/single_instance.h"

namespace qv {
namespace {

bool start_up_stopped(const StartUpRun& run) {
    const ui::Runtime* runtime = os::os().ui;
    return !run.main.alive() || (runtime != nullptr && runtime->quitting());
}

// 1. The tray icon is added only at step 14, so the shell normally drops this one.
void step_show_starting_balloon(StartUpRun&) {
    ui::show_tray_balloon("提示", "正在启动，请稍后.......", ui::kBalloonInfo, 0);
}

// 2. Device arrivals and removals reach the window from now on.
void step_listen_for_device_changes(StartUpRun& run) {
    run.main.listen_for_device_changes();
}

// 3. Files dropped on the main window are taken from now on.
void step_register_drop_target(StartUpRun& run) {
    run.main.set_drop_enabled(true);
}

// 4. The names the instance event, the shortcut and the messages are built from.
void step_set_identity_names(StartUpRun&) {
    g_instance_name = "Norvex";
    g_maker_name = "Quennix";
    g_edition_word = "PE版";
}

// 5. A second copy only says so and ends; the first copy's windows are left where they are.
void step_check_single_instance(StartUpRun&) {
    ensure_single_instance(g_instance_name, true, second_copy_message(), os::kIconWarning, false);
}

// 6. Until an option says otherwise, no option has applied and the drives are scanned.
void step_prepare_start_flags(StartUpRun& run) {
    run.no_option_applied = true;
    g_scan_images_at_start = true;
}

// 7. Drives hidden from Explorer by an earlier run or another tool are shown again.
void step_show_all_drives(StartUpRun&) {
    g_disk.show_all_drives();
}

// 8. The version label: "Ver：" and the start of the program file's version.
void step_set_version_caption(StartUpRun& run) {
    run.main.set_text("version_label", version_caption(program_file_version()));
}

// 9. The command line (step 15) reads the rows and g_no_partitions.
void step_fill_partition_list(StartUpRun& run) {
    fill_partition_list_fixed(run.main);
    fill_partition_list_removable(run.main);
    check_partitions_found(run.main);
    select_default_partition_row(run.main);
}

// 10. The window's built-in caption carries an old version number; the plain title replaces it
// in the caption, the skin's caption label and the tray tip.
void step_set_title_and_tray_tip(StartUpRun& run) {
    std::string title = product_title();
    run.main.set_tray_tip(title);
    run.main.set_caption(title);
    run.main.set_text("caption_label", title);
}

// 11. Where Ghost is written and run from, and the name imagex is run by.
void step_set_tool_paths(StartUpRun&) {
    g_ghost_exe_path = windows_dir() + g_instance_name + "32.exe";
    g_imagex_exe_name = "Imagex.exe";
}

// 12. The carried tools are written out where missing; the two archives are run and waited for.
void step_write_carried_tools(StartUpRun&) {
    install_carried_tools();
}

// 13. Ghost's two fixed switches, which every restore and backup passes on.
void step_set_ghost_switches(StartUpRun&) {
    g_ghost_crcignore_switch = " -crcignore ";
    g_ghost_noide_switch = " -noide";
}

// 14. The tray icon appears only now, after the tools are in place.
void step_add_tray_icon(StartUpRun& run) {
    run.main.tray_add();
}

// 15. Some options open a window modally here or end the run.
void step_apply_command_line(StartUpRun& run) {
    apply_command_line(run);
}

// 16. Outside Windows PE (the Windows folder is not on the expected letter) only the notice is
// shown, and the main window goes; an option that set no letter never passes.
void step_check_running_in_pe(StartUpRun& run) {
    std::string letter = windows_folder_letter();
    if (!letter.empty() && letter == g_expected_system_letter) return;
    ui::open_pe_only_notice_window();
    run.main.close();
}

// 17. The command line may have ticked a finish box; its menu mark follows.
void step_set_finish_menu_marks(StartUpRun& run) {
    if (run.main.checked("restart_after_job_check"))
        run.main.set_menu_checked("main_menu_auto_restart", true);
    else if (run.main.checked("shutdown_after_job_check"))
        run.main.set_menu_checked("main_menu_auto_shutdown", true);
}

// 18. Alt+E (help) and Alt+R (parameter help).
void step_register_hot_keys(StartUpRun& run) {
    register_hot_keys(run.main);
}

// 19. Backups start with the highest Ghost compression and no extra imagex option.
void step_set_backup_defaults(StartUpRun&) {
    g_ghost_compression_switch = " -z9";
    g_imagex_ref_option.clear();
}

// 20. An option of step 15 may have run a tool that hides drives.
void step_show_all_drives_again(StartUpRun&) {
    g_disk.show_all_drives();
}

// 21. The window takes its compact size and positions.
void step_apply_compact_layout(StartUpRun& run) {
    ui::compact_main_window(run.main);
}

// 22. Disc images are mounted on this letter later; with none free the letter stays as it was.
void step_choose_mount_letter(StartUpRun&) {
    std::string letter = free_mount_letter();
    if (letter.empty())
        os::os().notices->message_box(kNoMountLetterMessage, "提示", os::kIconError);
    else
        g_virtual_drive_letter = letter;
}

// 23. Unless an option turned the scan off.
void step_scan_for_images(StartUpRun& run) {
    if (g_scan_images_at_start) ui::scan_images_into_combo(run.main);
}

// 24. The desktop shortcut is made when it is missing and no option ran a mode of its own.
void step_create_desktop_shortcut(StartUpRun& run) {
    if (!file_exists(desktop_dir() + g_maker_name + "Velquist.LNK") && run.no_option_applied)
        create_program_shortcut();
}

// 25. Shown at every start on UEFI firmware.
void step_warn_on_uefi_firmware(StartUpRun&) {
    if (get_firmware_type() == 2)
        os::os().notices->message_box(kUefiWarning, "提示", os::kIconWarning);
}

// 26. The welcome balloon names the help key and stays for 90 s.
void step_show_welcome_balloon(StartUpRun&) {
    ui::show_tray_balloon("欢迎使用，如需帮助请按Alt+E！", welcome_balloon_text(), ui::kBalloonInfo,
                          90000);
}

using Step = void (*)(StartUpRun&);

// Later steps read what earlier ones wrote: the order is binding.
constexpr Step kSteps[] = {
    step_show_starting_balloon, step_listen_for_device_changes,
    step_register_drop_target,  step_set_identity_names,
    step_check_single_instance, step_prepare_start_flags,
    step_show_all_drives,       step_set_version_caption,
    step_fill_partition_list,   step_set_title_and_tray_tip,
    step_set_tool_paths,        step_write_carried_tools,
    step_set_ghost_switches,    step_add_tray_icon,
    step_apply_command_line,    step_check_running_in_pe,
    step_set_finish_menu_marks, step_register_hot_keys,
    step_set_backup_defaults,   step_show_all_drives_again,
    step_apply_compact_layout,  step_choose_mount_letter,
    step_scan_for_images,       step_create_desktop_shortcut,
    step_warn_on_uefi_firmware, step_show_welcome_balloon,
};
static_assert(sizeof(kSteps) / sizeof(kSteps[0]) == 26);

}  // namespace

const char* const kUefiWarning =
    "当前计算机主板固件为UEFI固件，非传统BIOS，请注意Ghost还原的使用！";

std::string version_caption(const std::string& file_version) {
    return "Ver：" + short_version(file_version);
}

std::string welcome_balloon_text() {
    return "欢迎使用" + product_title() +
           "\r\n支持Ghost、WIM及分卷WIM映像还原，原版与Ghost版Windows ISO映像及系统光盘安装，"
           "Ghost与imagex一键备份。"
           "\r\n如需定制本软件，请联系示例工作室：000-0000-0000";
}

void on_start_window_created(ui::Event& event) {
    StartUpRun run{*event.window};
    // A step may end the run (a second copy, an option with a job of its own, a start outside
    // Windows PE); nothing after it may run then.
    for (Step step : kSteps) {
        step(run);
        if (start_up_stopped(run)) return;
    }
}

void bind_start_up() {
    ui::bind_handler(ui::kMainWindowName, "", ui::EventKind::Created, on_start_window_created);
}

}  // namespace qv
