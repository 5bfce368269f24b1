#include "jobs/imagex_apply.h"

#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "jobs/answer_files.h"
#include "jobs/boot_files.h"
#include "jobs/command_console.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_backup.h"
#include "jobs/imagex_apply_window.h"
#include "jobs/imagex_capture.h"
#include "jobs/imagex_commands.h"
#include "jobs/imagex_job.h"
#include "jobs/imagex_progress.h"
#include "jobs/start_checks.h"
#include "jobs/virtual_drive.h"
#include "jobs/volume_format.h"
#include "jobs/wim_editions.h"
#include "jobs/winnt32_setup.h"
#include "main_window/info_windows.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "platform/os_process.h"
#include "ui/dialog_def.h"

namespace qv {

int g_wim_image_index = 0;
std::string g_shown_image_path;
std::string g_restore_title_word;
bool g_from_install_disc = false;
int g_apply_elapsed_seconds = 0;

const char kOtherImagexQuestion[] =
    "检测到有其他Imagex.exe正在运行，是否终止？\r\n注意：如果不终止其他Imagex."
    "exe，可能会影响系统还原。";
const char kStopImagexQuestion[] = "Imagex正在还原，是否终止？";
const char kImagexCancelledText[] = "用户取消Imagex还原。";

namespace {

const char* const kConsoleBox = kImagexConsoleBox;
const char kStatus[] = "status_label";
constexpr int kStatusWidthRunning = 288;
constexpr int kStatusWidthEnded = 192;

// The job of the open window (there is one at a time: it is modal).
ImagexProgress g_apply_progress;
ImagexEndWatch g_apply_end_watch;
std::string g_apply_image_path;
bool g_apply_running = false;    // from the command's sending to the job's conclusion
bool g_apply_finishing = false;  // the boot and answer-file steps after a success

struct Target {
    std::string root;
    std::string caption;
};

Target apply_target() {
    ui::Window* main = ui::main_window();
    if (main == nullptr) return {};
    return {main->text("selected_drive_label"), main->text("selected_caption_label")};
}

std::uint32_t now_ms() {
    return os::os().clock->tick_ms();
}

void set_status_width(ui::Window& w, int width) {
    w.resize_control(kStatus, width, kImagexApplyStatusHeight);
}

void set_choices_enabled(ui::Window& w, bool on) {
    for (const char* role : {"edition_combo", "format_combo", "add_boot_check", "unattended_check"})
        w.set_enabled(role, on);
    w.set_enabled("boot_mode_combo", on && w.checked("add_boot_check"));
}

// What the three endings share once imagex is gone: the window is ready for another run.
void end_job(ui::Window& w) {
    g_apply_running = false;
    set_choices_enabled(w, true);
    w.set_enabled("ok_button", true);
    w.set_enabled("cancel_button", true);
    g_busy = false;
    set_status_width(w, kStatusWidthEnded);
    w.set_text("remaining_label", kImagexRemainingReset);
}

void end_without_success(ui::Window& w, const std::string& status) {
    w.set_text(kStatus, status);
    w.set_text("percent_label", kImagexZeroPercent);
    w.set_progress("progress_bar", 0);
    w.set_visible("ok_button", true);
    set_apply_stopped_pictures(w, "cancel_button");
    end_job(w);
}

void end_with_success(ui::Window& w) {
    Target target = apply_target();
    // The boot step waits for its tools while window messages keep coming: nothing may close the
    // window or stop the console under it, and a lost source no longer matters now.
    g_apply_finishing = true;
    w.stop_timer("disc_watch_timer");
    lock_apply_window(w);
    if (w.checked("add_boot_check")) {
        ui::show_notice_balloon(kBootBalloonText);
        BootMode mode = w.selected("boot_mode_combo") == 0 ? BootMode::Auto : BootMode::None;
        add_boot_files(w, mode, target.root, kStatus, kConsoleBox);
    }
    ui::Runtime* runtime = os::os().ui;
    if (!w.alive() || (runtime != nullptr && runtime->quitting())) {
        g_apply_finishing = false;
        return;
    }
    if (w.checked("unattended_check")) {
        ui::show_notice_balloon(kAnswerFileBalloonText);
        w.set_text(kStatus, kAnswerFileStatusText);
        AnswerFileResult answer = write_answer_file(
            target.root, [](const std::string& command) { run_command_capture_output(command); });
        if (!answer.report.empty()) report_step_failure(w, kStatus, answer.report);
    }
    g_apply_finishing = false;
    set_apply_done_pictures(w, "cancel_button");
    end_job(w);
    std::string done = "Imagex还原 " + target.caption + " 完成！";
    w.set_text(kStatus, done);
    ui::show_notice_balloon(done);
    if (g_from_install_disc) w.start_timer("disc_watch_timer", 50);
    if (open_finish_countdown_if_chosen(kJobRestore)) w.close();
}

// The windows of the jobs that set the busy state while they are open or run.
bool job_window_open() {
    ui::Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return false;
    for (const char* name :
         {kImagexApplyWindowName, kImagexCaptureWindowName, ui::kGhostRestoreWindowName,
          kGhostBackupWindowName, kWinnt32SetupWindowName})
        if (runtime->find(name) != nullptr) return true;
    return false;
}

void close_for_lost_source(ui::Window& w, const char* timer, const std::string& message) {
    w.stop_timer(timer);
    if (ui::Window* main = ui::main_window()) main->clear_items("image_combo");
    ui::show_notice(message, os::kIconError);
    w.close();
}

}  // namespace

void open_imagex_apply_window() {
    ui::Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return;
    runtime->open_modal(imagex_apply_window_def(), ui::main_window());
}

void lock_apply_window(ui::Window& window) {
    set_choices_enabled(window, false);
    window.set_enabled("cancel_button", false);
    window.set_enabled("ok_button", false);
}

void unlock_apply_window(ui::Window& window) {
    set_choices_enabled(window, true);
    window.set_enabled("cancel_button", true);
    window.set_enabled("ok_button", true);
}

void load_wim_editions(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_picture("panel", ui::kDialogBackground);
    w.clear_items("edition_combo");
    w.add_item("edition_combo", kEditionsLoadingItem);
    w.select("edition_combo", 0);
    Target target = apply_target();
    find_boot_partition(target.root);

    ui::Window* main = ui::main_window();
    WimEditionInputs in;
    if (main != nullptr) {
        in.image_path = main->text("image_combo");
        in.optical_drive_text = main->text("optical_drive_combo");
        in.install_disc_choice = main->checked("disc_install_radio");
        in.info_output = main->text("edition_info_edit");
    }
    in.from_install_disc = g_from_install_disc;
    in.target_caption = target.caption;
    WimEditionWindow prepared = prepare_wim_edition_window(in);
    g_restore_title_word = prepared.restore_title_word;
    g_imagex_ref_option = prepared.imagex_ref_option;
    g_shown_image_path = prepared.shown_image_path;
    g_apply_image_path =
        g_from_install_disc ? install_disc_image_path(in.optical_drive_text) : in.image_path;
    w.set_text("title_label", prepared.title_label);

    w.clear_items("edition_combo");
    for (const std::string& item : prepared.editions) w.add_item("edition_combo", item);
    // The start button kept the main window locked while the image was read.
    ui::unlock_ui();
    if (prepared.selected >= 0) w.select("edition_combo", prepared.selected);
    w.set_caption(prepared.caption);
    w.set_text("caption_label", prepared.caption);
    start_imagex_console(w);
    g_busy = true;
    if (!prepared.editions.empty()) {
        ui::show_notice_balloon(kEditionsLoadedBalloon);
        g_wim_image_index = prepared.image_index;
        return;
    }
    ui::show_notice_balloon(kEditionsFailedBalloon);
    if (ui::show_notice(wim_editions_error_text(g_shown_image_path),
                        os::kBoxYesNo | os::kIconError) == os::kIdYes)
        g_wim_image_index = 1;
    else
        w.close();
}

void store_selected_edition(ui::Event& event) {
    g_wim_image_index = event.window->selected("edition_combo") + 1;
}

void check_other_imagex_then_restore(ui::Event& event) {
    if (g_apply_finishing || g_apply_running) return;
    if (!end_other_imagex_if_agreed(kOtherImagexQuestion)) return;
    restore_with_format(*event.window);
}

void restore_with_format(ui::Window& w) {
    // imagex and the format take the letter: when it names another partition by now than the
    // row the list showed, nothing is written, and the window closes, since the partition it
    // names is no longer the one chosen.
    if (!selected_target_numbered_as_shown()) {
        refuse_renumbered_target(kRestoreTargetRenumberedText);
        w.close();
        return;
    }
    Target target = apply_target();
    int choice = w.selected("format_combo");
    if (choice == kFormatDialog || choice == kFormatNtfs || choice == kFormatFat) {
        // A disc image mounted from the target partition would be wiped with it, before imagex
        // has read the image that lies on it.
        if (source_lies_on_drive(g_apply_image_path, target.root)) {
            ui::show_notice(image_on_target_text(g_from_install_disc), os::kIconWarning);
            return;
        }
        std::string formatting = "正在格式化 " + target.caption;
        ui::show_notice_balloon(formatting);
        w.set_text(kStatus, formatting);
        lock_apply_window(w);
        bool formatted = choice == kFormatDialog
                             ? format_drive_dialog(target.root, 1)
                             : format_partition(target.root.substr(0, 1) + ":",
                                                choice == kFormatFat ? "FAT" : "NTFS", "本地磁盘",
                                                0, true, ignore_format_progress);
        if (!w.alive()) return;
        if (!formatted) {
            unlock_apply_window(w);
            std::string failed = "格式化 " + target.caption + " 失败！";
            w.set_text(kStatus, failed);
            ui::show_notice_balloon(failed);
            ui::show_notice(failed, os::kIconError);
            return;
        }
    }
    imagex_apply_start(w);
}

void imagex_apply_start(ui::Window& w) {
    Target target = apply_target();
    begin_imagex_run(w, g_apply_progress);

    std::string command = imagex_apply_command(g_imagex_exe_name, g_apply_image_path,
                                               g_wim_image_index, target.root, g_imagex_ref_option);
    console_send_command(command);
    g_apply_running = true;
    begin_imagex_end_watch(g_apply_end_watch, now_ms());
    w.start_timer(g_from_install_disc ? "disc_watch_timer" : "image_watch_timer", 50);
    console_start_reader(&w, kConsoleBox);

    std::string running = "Imagex正在还原 " + target.caption + "，请稍候....";
    ui::show_notice_balloon(running);
    w.set_text(kStatus, running);
    set_status_width(w, kStatusWidthRunning);
    w.set_visible("ok_button", false);
    set_apply_running_pictures(w, "cancel_button");
    w.set_enabled("cancel_button", true);
    w.set_text("remaining_label", "剩余时间：正在计算");

    start_imagex_run_timers(w, g_apply_elapsed_seconds);
    set_choices_enabled(w, false);
    w.set_text("percent_label", kImagexZeroPercent);
    g_busy = true;
    g_imagex_cancelled = false;
}

void apply_progress_tick(ui::Event& event) {
    show_imagex_progress(*event.window, kApplyingMarker, g_apply_progress);
}

void elapsed_time_tick(ui::Event& event) {
    count_imagex_second(*event.window, g_apply_elapsed_seconds);
}

void on_wim_apply_finished(ui::Event& event) {
    ui::Window& w = *event.window;
    ImagexJobEnd end = read_imagex_run_end(w, g_apply_end_watch, kApplySuccessMarker);
    if (end == ImagexJobEnd::Wait) return;
    stop_imagex_run_timers(w);
    w.stop_timer("image_watch_timer");
    if (end == ImagexJobEnd::Cancelled) {
        end_without_success(w, kImagexCancelledText);
    } else if (end == ImagexJobEnd::Failed) {
        std::string failed = "Imagex还原" + apply_target().caption + "失败！";
        ui::show_notice_balloon(failed);
        end_without_success(w, failed);
    } else {
        end_with_success(w);
    }
}

void cancel_imagex_restore(ui::Event& event) {
    ui::Window& w = *event.window;
    if (g_apply_finishing) return;
    if (ask_to_stop_imagex(g_apply_running, g_apply_end_watch, kStopImagexQuestion,
                           kImagexCancelledText))
        return;
    g_busy = false;
    w.stop_timer("end_timer");
    console_stop();
    w.close();
}

void on_add_boot_toggled(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_enabled("boot_mode_combo", w.checked("add_boot_check"));
}

void on_imagex_apply_window_closing(ui::Event& event) {
    event.cancel = g_apply_finishing;
}

void on_imagex_apply_window_destroyed(ui::Event&) {
    console_stop();
    g_apply_running = false;
    g_apply_finishing = false;
    // imagex goes on without the window (the console's end does not end it): the busy state
    // stays until it has ended, watched from the main window, which outlives this one.
    ui::Window* main = ui::main_window();
    if (is_process_running(g_imagex_exe_name) && main != nullptr)
        main->start_timer(kImagexLeftTimer, 500);
    else
        g_busy = false;
}

void imagex_left_tick(ui::Event& event) {
    if (is_process_running(g_imagex_exe_name)) return;
    event.window->stop_timer(kImagexLeftTimer);
    // A job that began meanwhile holds the busy state itself and clears it at its own end.
    if (!job_window_open()) g_busy = false;
}

void image_watch_tick(ui::Event& event) {
    if (file_exists(g_apply_image_path)) return;
    close_for_lost_source(*event.window, "image_watch_timer",
                          "还原 " + g_apply_image_path + " 时出现错误！");
}

void disc_watch_tick(ui::Event& event) {
    ui::Window* main = ui::main_window();
    std::string root =
        main == nullptr ? std::string() : main->text("optical_drive_combo").substr(0, 3);
    if (file_exists(root + "sources\\install.wim")) return;
    close_for_lost_source(*event.window, "disc_watch_timer", "系统光盘 " + root + " 被弹出！");
}

void open_format_dialog(ui::Event&) {
    Target target = apply_target();
    if (drive_exists(target.root))
        format_drive_dialog(target.root, 1);
    else
        ui::show_notice(target.caption + " 不存在！", os::kIconWarning);
}

void bind_imagex_apply_handlers() {
    const std::string w = kImagexApplyWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, load_wim_editions);
    ui::bind_handler(w, "", ui::EventKind::Closing, on_imagex_apply_window_closing);
    ui::bind_handler(w, "", ui::EventKind::Destroyed, on_imagex_apply_window_destroyed);
    ui::bind_handler(w, "edition_combo", ui::EventKind::SelChange, store_selected_edition);
    ui::bind_handler(w, "ok_button", ui::EventKind::Click, check_other_imagex_then_restore);
    ui::bind_handler(w, "cancel_button", ui::EventKind::Click, cancel_imagex_restore);
    ui::bind_handler(w, "add_boot_check", ui::EventKind::Click, on_add_boot_toggled);
    ui::bind_handler(w, "end_timer", ui::EventKind::Timer, on_wim_apply_finished);
    ui::bind_handler(w, "progress_timer", ui::EventKind::Timer, apply_progress_tick);
    ui::bind_handler(w, kImagexConsoleTimer, ui::EventKind::Timer, copy_imagex_console_output);
    ui::bind_handler(w, "elapsed_timer", ui::EventKind::Timer, elapsed_time_tick);
    ui::bind_handler(w, "image_watch_timer", ui::EventKind::Timer, image_watch_tick);
    ui::bind_handler(w, "disc_watch_timer", ui::EventKind::Timer, disc_watch_tick);
    ui::bind_handler(ui::kMainWindowName, "disk_menu_format", ui::EventKind::Menu,
                     open_format_dialog);
    ui::bind_handler(ui::kMainWindowName, kImagexLeftTimer, ui::EventKind::Timer, imagex_left_tick);
}

void reset_imagex_apply_state() {
    g_wim_image_index = 0;
    g_shown_image_path.clear();
    g_restore_title_word.clear();
    g_from_install_disc = false;
    g_apply_elapsed_seconds = 0;
    g_main_boot_disk.clear();
    g_apply_progress = ImagexProgress{};
    g_apply_end_watch = ImagexEndWatch{};
    g_apply_image_path.clear();
    g_apply_running = false;
    g_apply_finishing = false;
    g_formatting = false;
    g_format_failed = false;
}

}  // namespace qv
