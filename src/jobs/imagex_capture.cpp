#include "jobs/imagex_capture.h"

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "jobs/backup_report.h"
#include "jobs/command_console.h"
#include "jobs/finish_countdown.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_apply_window.h"
#include "jobs/imagex_job.h"
#include "jobs/imagex_progress.h"
#include "jobs/start_checks.h"
#include "jobs/time_text.h"
#include "jobs/wim_editions.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv {

int g_capture_elapsed_seconds = 0;
std::string g_imagex_backup_size_text;

const char kOtherImagexBackupQuestion[] =
    "检测到有其他Imagex.exe正在运行，是否终止？\r\n注意：如果不终止其他Imagex."
    "exe，可能会影响系统备份。";
const char kStopImagexBackupQuestion[] = "Imagex正在备份，是否退出？";
const char kImagexBackupCancelledText[] = "用户取消Imagex备份。";

namespace {

const char* const kConsoleBox = kImagexConsoleBox;
const char kStatus[] = "status_label";
constexpr int kStatusHeight = 16;
constexpr int kStatusWidthRunning = 280;
constexpr int kStatusWidthEnded = 192;
constexpr std::size_t kShownWholeBelow = 26;
constexpr std::size_t kShownHead = 8;
constexpr std::size_t kShownTail = 14;
constexpr std::uint32_t kTempFolderWaitMs = 3000;

// What the window backs up, taken when it opens: the main window is disabled meanwhile.
struct CaptureInputs {
    std::string target_root;
    std::string caption;
    std::string save_path;
};
CaptureInputs g_inputs;

// The job of the open window (one at a time: it is modal).
ImagexProgress g_capture_progress;
ImagexEndWatch g_capture_end_watch;
SavedFileBefore g_saved_before;
bool g_capture_running = false;  // from the job's start to its conclusion

std::uint32_t now_ms() {
    return os::os().clock->tick_ms();
}

void set_status_width(ui::Window& w, int width) {
    w.resize_control(kStatus, width, kStatusHeight);
}

void set_choices_enabled(ui::Window& w, bool on) {
    w.set_enabled("compression_combo", on);
    w.set_enabled("name_edit", on);
}

void end_without_success(ui::Window& w, const std::string& status) {
    w.set_text("percent_label", kImagexZeroPercent);
    w.set_text(kStatus, status);
    w.set_progress("progress_bar", 0);
    set_choices_enabled(w, true);
    g_busy = false;
    w.set_visible("ok_button", true);
    set_backup_stopped_pictures(w, "cancel_button");
    w.set_text("remaining_label", kImagexRemainingReset);
}

void end_as_failed(ui::Window& w) {
    ui::show_notice_balloon("Imagex备份失败！");
    end_without_success(w, "Imagex备份失败。");
}

// A failed capture leaves no file of its own behind; a file that this run did not touch (one the
// user had chosen to overwrite, and imagex never wrote) is still the user's and stays.
void remove_file_this_run_wrote() {
    if (saved_file_written(g_inputs.save_path, g_saved_before)) delete_file(g_inputs.save_path);
}

// imagex's success line is not enough: the file decides. One that this run did not write, or
// under 1 MB, is a failed backup in the status and the balloon as in the summary, and a failed
// backup never hands over to the countdown. The small file is gone before the box says so.
void end_with_success_line(ui::Window& w) {
    std::int64_t mb = backup_size_mb(g_inputs.save_path, g_saved_before);
    if (mb == 0) {
        end_as_failed(w);
        remove_file_this_run_wrote();
        ui::show_notice(backup_failed_report("Imagex", g_inputs.caption, time_to_text()),
                        os::kIconError);
        return;
    }
    std::string done = "Imagex备份 " + g_inputs.caption + " 完成！";
    ui::show_notice_balloon(done);
    w.set_text(kStatus, done);
    set_choices_enabled(w, true);
    g_busy = false;
    set_backup_done_pictures(w, "cancel_button");
    w.set_text("remaining_label", kImagexRemainingReset);
    if (open_finish_countdown_if_chosen(kJobBackup)) {
        w.close();
        return;
    }
    g_imagex_backup_size_text = backup_size_line(mb);
    ui::show_notice(backup_done_report("Imagex", g_inputs.caption, g_inputs.save_path,
                                       g_imagex_backup_size_text, time_to_text()),
                    os::kIconInfo);
}

// imagex needs its temporary folder when it starts. The interpreter reads its input a line at a
// time on Windows, but Wine's takes each read of the pipe as one command and drops the rest, so
// the capture line is typed only once the folder is there, or the interpreter had its time.
void make_temp_folder(const std::string& save_path) {
    const std::string folder = save_path.substr(0, 3) + "ImagexTemp";
    if (path_is_directory(folder)) return;
    std::string md = imagex_temp_folder_command(save_path);
    if (console_send_command(md) == 0) return;
    const std::uint32_t sent = now_ms();
    while (!path_is_directory(folder) && now_ms() - sent < kTempFolderWaitMs) delay_pumping(50);
}

ui::WindowDef make_imagex_capture_window_def() {
    using ui::Kind;
    ui::WindowDef def =
        ui::dialog_window(kImagexCaptureWindowName, 410, 233, kImagexWindowCaption, false);
    def.controls.reserve(32);
    const std::string p = "panel";
    ui::add_control(def, "title_label", "透明标签1", Kind::Label, p, 64, 16, 320, 16);
    ui::add_control(def, "hint_label", "透明标签2", Kind::Label, p, 8, 40, 376, 16,
                    "点击“确定(&C)”立即开始，点击“取消(&X)”返回主界面。");
    ui::add_control(def, "name_caption_label", "透明标签3", Kind::Label, p, 8, 68, 64, 16,
                    "映像名称：");
    ui::add_control(def, "name_edit", "编辑框1", Kind::Edit, p, 72, 64, 120, 20);
    ui::add_control(def, "compression_caption_label", "透明标签4", Kind::Label, p, 208, 68, 52, 16,
                    "压缩率：");
    ui::ControlDef* c =
        &ui::add_control(def, "compression_combo", "组合框1", Kind::DropList, p, 260, 64, 124, 24);
    c->items = {"快速压缩", "最高压缩", "跳过压缩"};
    c->selected = 1;
    ui::add_control(def, "progress_caption_label", "透明标签5", Kind::Label, p, 8, 100, 64, 16,
                    "备份进度：");
    c = &ui::add_control(def, "percent_label", "透明标签6", Kind::Label, p, 72, 100, 40, 16, "0%");
    c->visible = false;
    ui::add_control(def, "elapsed_label", "透明标签7", Kind::Label, p, 116, 100, 134, 16,
                    "已用时间：00:00:00");
    ui::add_control(def, "remaining_label", "透明标签8", Kind::Label, p, 250, 100, 134, 16,
                    kImagexRemainingReset);
    ui::add_control(def, "progress_bar", "进度条1", Kind::ProgressBar, p, 8, 122, 376, 18);
    ui::add_control(def, "status_label", "透明标签9", Kind::Label, p, 8, 160, kStatusWidthEnded,
                    kStatusHeight);
    ui::add_picture_button(def, "ok_button", "图形按钮1", p, 212, 154, 82, 26, "确定(C)", "btn_ok");
    ui::add_picture_button(def, "cancel_button", "图形按钮2", p, 300, 154, 82, 26, "取消(X)",
                           "btn_job_stopped");
    add_imagex_console_box(def, "编辑框2");
    add_imagex_run_timers(def);
    return def;
}

}  // namespace

const ui::WindowDef& imagex_capture_window_def() {
    static const ui::WindowDef def = make_imagex_capture_window_def();
    return def;
}

std::string shortened_save_path(const std::string& path) {
    if (path.size() < kShownWholeBelow) return path;
    std::size_t head = 0;
    while (head < path.size() && next_char(path, head) <= kShownHead) head = next_char(path, head);
    std::size_t tail = head;
    while (tail < path.size() && path.size() - tail > kShownTail) tail = next_char(path, tail);
    return path.substr(0, head) + "..." + path.substr(tail);
}

std::string capture_name_text(const std::string& typed) {
    return typed.empty() ? " " : typed;
}

std::string capture_refusal_text(const std::string& save_path, const std::string& typed_name) {
    if (!cmd_can_carry(save_path))
        return "保存路径 " + save_path + " 含有无法传给Imagex的字符，请重新选择保存位置！";
    // The name is not repeated in the box: it may hold a line break of its own.
    if (!cmd_can_carry(typed_name)) return "映像名称含有无法传给Imagex的字符，请重新输入！";
    return {};
}

std::string imagex_compress_option_for(int item) {
    if (item == 0) return " /compress Fast";
    if (item == 1) return " /compress Maximum";
    return " /compress none";
}

std::string imagex_capture_command(const std::string& imagex_exe_name,
                                   const std::string& target_root, const std::string& save_path,
                                   const std::string& name, const std::string& compress_option) {
    return imagex_exe_name + " /capture " + target_root + " " + cmd_argument(save_path) + " " +
           cmd_argument(name) + compress_option + " /temp " + save_path.substr(0, 3) + "ImagexTemp";
}

std::string imagex_temp_folder_command(const std::string& save_path) {
    return "MD " + save_path.substr(0, 3) + "ImagexTemp";
}

std::string capture_exclusion_notice(const std::string& target_root, const std::string& caption) {
    static const char* const kLeftOut[] = {
        "$windows.~bt", "$windows.~ls", "winpepge.sys", "windows\\csc",
        "Recycled",     "Recycler",     "$Recycle.Bin", "System Volume Information",
        "swapfile.sys", "pagefile.sys", "hiberfil.sys"};
    std::string text = "Imagex将不会备份以下文件及文件夹：\r\n";
    for (const char* place : kLeftOut) text += target_root + place + "\r\n";
    return text + "\r\n是否继续备份 " + caption + " ？";
}

void open_imagex_capture_window() {
    if (ui::Runtime* runtime = os::os().ui)
        runtime->open_modal(imagex_capture_window_def(), ui::main_window());
}

void set_backup_running_pictures(ui::Window& window, const std::string& button) {
    set_apply_running_pictures(window, button);
}

void set_backup_done_pictures(ui::Window& window, const std::string& button) {
    set_apply_done_pictures(window, button);
}

void set_backup_stopped_pictures(ui::Window& window, const std::string& button) {
    set_apply_stopped_pictures(window, button);
}

void imagex_backup_window_load(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_picture("panel", ui::kDialogBackground);
    g_inputs = CaptureInputs{};
    g_capture_running = false;
    if (ui::Window* main = ui::main_window()) {
        g_inputs.target_root = main->text("selected_drive_label");
        g_inputs.caption = main->text("selected_caption_label");
        g_inputs.save_path = main->text("backup_path_combo");
    }
    g_shown_image_path = shortened_save_path(g_inputs.save_path);
    w.set_text("title_label", "备份分区 " + g_inputs.caption + " 到 " + g_shown_image_path);
    start_imagex_console(w);
    w.set_text("name_edit", g_inputs.target_root.substr(0, 1) + "_BAK");
    g_imagex_compress_option = " /compress Maximum";
}

void select_imagex_compression(ui::Event& event) {
    g_imagex_compress_option =
        imagex_compress_option_for(event.window->selected("compression_combo"));
}

void check_other_imagex_then_backup(ui::Event& event) {
    if (g_capture_running) return;
    // The name is read once: the text checked here is the text the command carries.
    const std::string typed_name = event.window->text("name_edit");
    std::string refusal = capture_refusal_text(g_inputs.save_path, typed_name);
    if (!refusal.empty()) {
        ui::show_notice(refusal, os::kIconWarning);
        return;
    }
    if (!end_other_imagex_if_agreed(kOtherImagexBackupQuestion)) return;
    imagex_capture_start(*event.window, typed_name);
}

void imagex_capture_start(ui::Window& w, const std::string& typed_name) {
    std::string name = capture_name_text(typed_name);
    if (ui::show_notice(capture_exclusion_notice(g_inputs.target_root, g_inputs.caption),
                        os::kBoxYesNo | os::kIconInfo) != os::kIdYes)
        return;
    begin_imagex_run(w, g_capture_progress);

    // From here the job runs: OK, the cancel button and closing wait for its end.
    g_capture_running = true;
    g_imagex_cancelled = false;
    begin_imagex_end_watch(g_capture_end_watch, now_ms());
    make_temp_folder(g_inputs.save_path);
    g_saved_before = note_saved_file(g_inputs.save_path);
    std::string command =
        imagex_capture_command(g_imagex_exe_name, g_inputs.target_root, g_inputs.save_path, name,
                               g_imagex_compress_option);
    console_send_command(command);
    begin_imagex_end_watch(g_capture_end_watch, now_ms());
    console_start_reader(&w, kConsoleBox);

    std::string running = "Imagex正在备份 " + g_inputs.caption + "，请稍候....";
    w.set_text(kStatus, running);
    ui::show_notice_balloon(running);

    start_imagex_run_timers(w, g_capture_elapsed_seconds);
    set_choices_enabled(w, false);
    w.set_visible("ok_button", false);

    g_busy = true;
    set_status_width(w, kStatusWidthRunning);
    set_backup_running_pictures(w, "cancel_button");
}

void capture_progress_tick(ui::Event& event) {
    show_imagex_progress(*event.window, kCapturingMarker, g_capture_progress);
}

void backup_elapsed_time_tick(ui::Event& event) {
    count_imagex_second(*event.window, g_capture_elapsed_seconds);
}

void imagex_backup_finish_tick(ui::Event& event) {
    ui::Window& w = *event.window;
    ImagexJobEnd end = read_imagex_run_end(w, g_capture_end_watch, kCaptureSuccessMarker);
    if (end == ImagexJobEnd::Wait) return;
    stop_imagex_run_timers(w);
    set_status_width(w, kStatusWidthEnded);
    g_capture_running = false;
    if (end == ImagexJobEnd::Cancelled) {
        end_without_success(w, kImagexBackupCancelledText);
    } else if (end == ImagexJobEnd::Failed) {
        end_as_failed(w);
        remove_file_this_run_wrote();
    } else {
        end_with_success_line(w);
    }
}

void cancel_imagex_backup(ui::Event& event) {
    ui::Window& w = *event.window;
    if (ask_to_stop_imagex(g_capture_running, g_capture_end_watch, kStopImagexBackupQuestion,
                           kImagexBackupCancelledText))
        return;
    // imagex has ended and the end timer is reading its last lines: the job ends there.
    if (g_capture_running) return;
    w.stop_timer("end_timer");
    console_stop();
    w.close();
}

// A running capture is ended through the cancel button, which asks first; the window cannot go
// away under it and leave the job without its end.
void on_imagex_capture_window_closing(ui::Event& event) {
    event.cancel = g_capture_running;
}

void on_imagex_capture_window_destroyed(ui::Event&) {
    console_stop();
    g_capture_running = false;
}

void bind_imagex_capture_handlers() {
    const std::string w = kImagexCaptureWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, imagex_backup_window_load);
    ui::bind_handler(w, "", ui::EventKind::Closing, on_imagex_capture_window_closing);
    ui::bind_handler(w, "", ui::EventKind::Destroyed, on_imagex_capture_window_destroyed);
    ui::bind_handler(w, "ok_button", ui::EventKind::Click, check_other_imagex_then_backup);
    ui::bind_handler(w, "cancel_button", ui::EventKind::Click, cancel_imagex_backup);
    ui::bind_handler(w, "compression_combo", ui::EventKind::SelChange, select_imagex_compression);
    ui::bind_handler(w, "end_timer", ui::EventKind::Timer, imagex_backup_finish_tick);
    ui::bind_handler(w, "progress_timer", ui::EventKind::Timer, capture_progress_tick);
    ui::bind_handler(w, kImagexConsoleTimer, ui::EventKind::Timer, copy_imagex_console_output);
    ui::bind_handler(w, "elapsed_timer", ui::EventKind::Timer, backup_elapsed_time_tick);
}

void reset_imagex_capture_state() {
    g_capture_elapsed_seconds = 0;
    g_imagex_backup_size_text.clear();
    g_inputs = CaptureInputs{};
    g_capture_progress = ImagexProgress{};
    g_capture_end_watch = ImagexEndWatch{};
    g_saved_before = SavedFileBefore{};
    g_capture_running = false;
}

}  // namespace qv
