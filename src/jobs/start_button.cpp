#include "jobs/start_button.h"

#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "jobs/ghost_backup.h"
#include "jobs/ghost_restore.h"
#include "jobs/ghost_switches.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_capture.h"
#include "jobs/imagex_commands.h"
#include "jobs/start_checks.h"
#include "jobs/whole_disk_layouts.h"
#include "jobs/winnt32_setup.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv {
namespace {

int ask(const std::string& text, int style) {
    return os::os().notices->message_box(text, "提示", style);
}

bool checks_pass(StartRun& run, const CheckList<StartRun>& checks) {
    return pass_checks(run, checks, ask);
}

void balloon(const std::string& text, int timeout_ms = 0) {
    ui::show_tray_balloon("提示", text, ui::kBalloonInfo, timeout_ms);
}

// The edition list of an image goes into the hidden box that the imagex restore window reads;
// that window unlocks the main window once it has read it.
void load_editions_then_open_apply(ui::Window& main, const std::string& command, int timeout_ms) {
    ui::lock_ui();
    balloon("正在加载系统版本，请稍后.....", timeout_ms);
    main.set_text("edition_info_edit", "");
    main.set_text("edition_info_edit", run_command_capture_output(command));
    open_imagex_apply_window();
}

void start_restore(ui::Window& main, StartRun& run) {
    if (!checks_pass(run, image_checks())) return;
    if (!checks_pass(run, restore_target_checks(run.kind))) return;
    switch (run.kind) {
        case RestoreKind::Ghost:
            if (run.in.check_image && !ghost_image_check_passes(main, run.in.image)) return;
            confirm_ghost_password_then_start();
            break;
        case RestoreKind::Wim:
        case RestoreKind::Swm:
            load_editions_then_open_apply(
                main, imagex_info_command(g_imagex_exe_name, run.in.image), 3000);
            break;
        case RestoreKind::I386Folder:
            open_folder_install_window();
            break;
        case RestoreKind::Winnt32:
            open_winnt32_install_window();
            break;
        case RestoreKind::Unsupported:
            break;
    }
}

// The password checks of the restore and the backup alike, the empty box first.
bool ghost_password_acceptable(bool required, const std::string& password) {
    if (!required) return true;
    if (password.empty()) {
        ask("请输入Gho密码", kStopWarning);
        return false;
    }
    if (ghost_password_has_quote(password)) {
        ask(ghost_password_quote_refusal_text(), kStopWarning);
        return false;
    }
    return true;
}

void start_backup(StartRun& run) {
    if (!checks_pass(run, backup_checks())) return;
    std::string ext = upper_ascii(path_extension(run.in.save_path));
    if (ext == ".GHO") {
        if (ghost_password_acceptable(run.in.password_required, run.in.password))
            open_ghost_backup_window();
    } else if (ext == ".WIM") {
        open_imagex_capture_window();
    } else {
        ask("本工具支持Gho、WIM备份，请输入正确的文件！", kStopWarning);
    }
}

void start_disc_install(StartRun& run) {
    if (!checks_pass(run, disc_checks())) return;
    std::string disc = run.in.optical_text.substr(0, 3);
    std::string setup = disc + "I386\\winnt32.EXE";
    if (file_exists(setup) && is_original_setup_program(setup)) {
        record_setup_version(setup);
        if (!checks_pass(run, disc_setup_target_checks())) return;
        open_disc_install_window();
    } else if (file_exists(disc + "sources\\install.wim")) {
        list_wim_editions(run.in.optical_text);
    } else {
        ask("      " + disc +
                " 为非原版Windows系统光盘！\r\n本功能仅支持原版Windows系统光盘一键安装。\r\n   "
                "其他系统光盘请使用 还原分区(&R) 功能！",
            kStopWarning);
    }
}

void open_setup_window(int install_mode) {
    g_busy = true;
    g_install_mode = install_mode;
    open_winnt32_setup_window();
}

}  // namespace

void on_start_clicked(ui::Event& event) {
    ui::Window& main = *event.window;
    // The Ghost restore window leaves the main window usable while Ghost writes, imagex may go on
    // after its window has gone, and a layout rewrites the whole disk: no job starts on top of
    // one that is still running.
    if (job_or_layout_running()) {
        ask(ui::kBusyText, kStopWarning);
        return;
    }
    g_from_install_disc = false;
    main.set_focus("partition_list");
    StartRun run{read_start_inputs(main)};
    switch (run.in.mode) {
        case StartMode::Backup:
            start_backup(run);
            break;
        case StartMode::DiscInstall:
            start_disc_install(run);
            break;
        case StartMode::Restore:
            start_restore(main, run);
            break;
    }
}

bool ghost_image_check_passes(ui::Window& main, const std::string& image) {
    if (ask("还原前是否对镜像文件 " + image + " 镜像文件进行完整性检查？", kAskYesNo) != os::kIdYes)
        return true;
    g_busy = true;
    ui::lock_ui();
    main.hide();
    balloon("正在检查 " + image + " 镜像文件完整性。");
    main.set_text("image_check_output_edit",
                  run_command_capture_output(ghost_check_image_command(g_ghost_exe_path, image)));
    wait_process_end(get_file_title(g_ghost_exe_path, true));
    g_busy = false;
    main.show();
    ui::unlock_ui();
    balloon(image + "镜像文件完整性检查完成。");
    if (!main.text("image_check_output_edit").empty()) {
        ask(image + " 镜像文件不能通过完整性检查，程序无法继续！", kStopError);
        return false;
    }
    ask("经检查 " + image + " 镜像文件非常完整！", kInformation);
    return true;
}

void confirm_ghost_password_then_start() {
    ui::Window* main = ui::main_window();
    if (main != nullptr &&
        !ghost_password_acceptable(main->checked("password_check"), main->text("password_edit")))
        return;
    open_ghost_restore_window_modal();
}

void open_disc_install_window() {
    open_setup_window(1);
}
void open_folder_install_window() {
    open_setup_window(2);
}
void open_winnt32_install_window() {
    open_setup_window(0);
}

void list_wim_editions(const std::string& optical_drive_text) {
    ui::Window* main = ui::main_window();
    if (main == nullptr) return;
    g_from_install_disc = true;
    StartRun run{read_start_inputs(*main)};
    if (!checks_pass(run, disc_edition_target_checks())) return;
    std::string image = install_disc_image_path(optical_drive_text);
    load_editions_then_open_apply(*main, imagex_info_command(g_imagex_exe_name, image), 0);
}

void bind_start_button_handlers() {
    ui::bind_handler(ui::kMainWindowName, "start_button", ui::EventKind::Click, on_start_clicked);
}

}  // namespace qv
