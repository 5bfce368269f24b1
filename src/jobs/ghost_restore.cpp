#include "jobs/ghost_restore.h"

#include <memory>

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/power.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_switches.h"
#include "jobs/ghost_window_parts.h"
#include "jobs/start_checks.h"
#include "main_window/info_windows.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv {
namespace {

constexpr const char* kInteractiveWatch = "interactive_watch_timer";
constexpr const char* kAutomaticWatch = "automatic_watch_timer";
constexpr int kWatchMs = 50;
constexpr std::size_t kShortenedBelow = 28;
constexpr std::size_t kShortenedPart = 12;

// What the interactive window asked about when it opened: the image and the target that the
// start button's checks passed. OK restores exactly these, whatever the main window shows by
// then, since the main window stays usable while this window is open.
struct ConfirmedRestore {
    std::string image;
    std::string caption;
    std::string root;
    std::string disk_partition;
    std::string password_part;
};
ConfirmedRestore g_confirmed;

// The job that runs: what its end reports, and the very Ghost process it started, which the
// watch asks whether it has ended and how. Another Ghost running meanwhile (a hand-run one, or
// a custom Ghost chosen on the main window) neither holds the job up nor ends it early.
struct RunningRestore {
    bool running = false;
    bool automatic = false;
    std::string image;
    std::string target;
    std::shared_ptr<os::ProcessWatch> ghost;
    std::string timer;
};
RunningRestore g_job;

ui::WindowDef make_ghost_restore_window_def() {
    ui::WindowDef def =
        ui::dialog_window(ui::kGhostRestoreWindowName, 400, 176, "Tavrin Ghost", false);
    ui::add_control(def, "question_label", "透明标签1", ui::Kind::Label, "panel", 8, 10, 366, 16,
                    "程序准备就绪，是否马上用 Ghost32 进行还原？");
    ui::add_control(def, "warning_label", "透明标签2", ui::Kind::Label, "panel", 8, 34, 366, 16,
                    "注意：本操作将删除目标分区上的所有数据。");
    ui::add_control(def, "hint_label", "透明标签3", ui::Kind::Label, "panel", 8, 58, 366, 16,
                    "点击“确定(&C)”马上进行还原，点击“取消(&X)”返回程序。");
    // The status line takes the buttons' row while Ghost runs.
    ui::add_control(def, "status_label", "透明标签4", ui::Kind::Label, "panel", 96, 99, 17, 16)
        .visible = false;
    ui::add_picture_button(def, "ok_button", "按钮2", "panel", 96, 94, 82, 26, "确定(&C)",
                           "btn_ok");
    ui::add_picture_button(def, "cancel_button", "按钮1", "panel", 204, 94, 82, 26, "取消(&X)",
                           "btn_cancel_x");
    ui::add_control(def, "drop_target", "拖放对象1", ui::Kind::DropTarget, "", 0, 0, 0, 0);
    ui::add_timer(def, kInteractiveWatch, "时钟3");
    ui::add_timer(def, kAutomaticWatch, "时钟4");
    return def;
}

// Every box of this window: in automatic mode the window leaves always-on-top while it speaks.
int say(const std::string& text, int style) {
    ui::lower_ghost_restore_window();
    int answer = os::os().notices->message_box(text, "提示", style);
    ui::raise_ghost_restore_window();
    return answer;
}

std::string erase_warning(const std::string& target) {
    return "注意：本操作将删除 " + target + " 上的所有数据。";
}

std::string question_text(const std::string& shortened) {
    return "是否马上还原 " + shortened + " ？";
}

void show_status(ui::Window& w, const std::string& text) {
    show_ghost_status(w, text, 96, 248);
}

void hide_status(ui::Window& w) {
    hide_ghost_status(w, 3, 3);
}

// The start common to the three jobs, for the target's drive root and the disk:partition that the
// window named. Ghost takes the number, so it is looked up once more right before Ghost starts:
// when the drive carries another number by now, nothing starts. The interactive window then
// closes, since what it confirmed no longer exists; the unattended one stays, and it never takes
// the new number for its own: only the partition its warning named may be restored, and a later
// OK goes ahead only once the drive carries that number again.
// A Ghost that cannot be started has done nothing: that is reported as a failure, and no watch
// runs, so it can never pass for a finished restore.
void start_job(ui::Window& w, RunningRestore job, const std::string& root,
               const std::string& disk_partition, const std::string& command) {
    if (!target_numbered_as_confirmed(root, disk_partition)) {
        refuse_renumbered_target(kRestoreTargetRenumberedText, say);
        if (!job.automatic) w.close();
        return;
    }
    std::string status = "Ghost正在还原 " + job.target + "，请稍候....";
    show_ghost_buttons(w, false);
    show_status(w, status);
    ui::show_notice_balloon(status);
    job.ghost = start_program(command, os::kShowNormal);
    if (!job.ghost) {
        hide_status(w);
        show_ghost_buttons(w, true);
        say("Ghost启动失败，" + job.image + " 未能还原到 " + job.target + "！", kStopError);
        return;
    }
    job.running = true;
    g_job = job;
    w.start_timer(g_job.timer, kWatchMs);
    g_busy = true;
}

// Ghost's exit code is its verdict: only 0 is a restore. A failed one never reaches the
// countdown, so the machine is not restarted over a partition that Ghost left unfinished.
void end_job(ui::Window& w) {
    const bool done = g_job.ghost->exit_code() == 0;
    g_job.ghost.reset();
    show_ghost_buttons(w, true);
    g_busy = false;
    w.stop_timer(g_job.timer);
    g_job.running = false;
    hide_status(w);
    std::string report = done ? ghost_restore_done_text(g_job.image, g_job.target)
                              : ghost_restore_failed_text(g_job.image, g_job.target);
    ui::lower_ghost_restore_window();
    ui::show_notice_balloon(report);
    if (done && open_finish_countdown_if_chosen(kJobRestore)) {
        w.close();
        return;
    }
    // The interactive window stays for another run; an unattended run ends with its job.
    say(report, done ? kInformation : kStopError);
    if (g_job.automatic) end_program(0);
}

// The one procedure of the unattended and the dropped-image jobs; both restore to the command
// line's target.
void run_command_line_job(ui::Window& w, const std::string& image_path) {
    StartRun run =
        unattended_ghost_run(full_path(image_path), g_target_drive, command_line_target_text());
    if (!pass_checks(run, unattended_ghost_checks(), say)) return;
    RunningRestore job;
    job.automatic = true;
    job.image = run.in.image;
    job.target = run.in.caption;
    job.timer = kAutomaticWatch;
    start_job(w, job, g_target_drive, g_target_disk_partition,
              ghost_restore_command(g_ghost_exe_path, run.in.image, g_target_disk_partition,
                                    g_ghost_crcignore_switch, g_ghost_noide_switch, ""));
}

}  // namespace

const ui::WindowDef& ghost_restore_window_def() {
    static const ui::WindowDef def = make_ghost_restore_window_def();
    return def;
}

std::string ghost_restore_command(const std::string& ghost_exe, const std::string& image,
                                  const std::string& disk_partition,
                                  const std::string& crcignore_switch,
                                  const std::string& noide_switch,
                                  const std::string& password_part) {
    return quote_path_for_cmd(ghost_exe) + " -clone,mode=pload,src=\"" + image +
           "\":1,dst=" + disk_partition + crcignore_switch + noide_switch + password_part +
           " -sure  -fx";
}

std::string shortened_image_text(const std::string& path) {
    std::string full = full_path(path);
    if (full.size() < kShortenedBelow) return full;
    std::size_t head = 0;
    while (head < full.size() && next_char(full, head) <= kShortenedPart)
        head = next_char(full, head);
    std::size_t tail = head;
    while (tail < full.size() && full.size() - tail > kShortenedPart) tail = next_char(full, tail);
    return full.substr(0, head) + "..." + full.substr(tail);
}

std::string ghost_restore_done_text(const std::string& image, const std::string& target) {
    return image + " 还原到 " + target + " 完成！";
}

std::string ghost_restore_failed_text(const std::string& image, const std::string& target) {
    return image + " 还原到 " + target + " 失败！";
}

std::string command_line_target_text() {
    return g_target_drive + "(" + g_target_disk_partition + ")";
}

void open_ghost_restore_window_modal() {
    ui::Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return;
    // Without a parent the main window stays usable, and its start button may be pressed again:
    // a second window would take over what the first one confirmed, whose OK would then restore
    // an image or a target that its own warning does not name.
    if (runtime->find(ui::kGhostRestoreWindowName) != nullptr) return;
    runtime->open_modal(ghost_restore_window_def(), nullptr);
}

void ghost_restore_window_load(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_picture("panel", ui::kDialogBackground);
    w.set_drop_enabled(false);
    g_job = RunningRestore{};
    if (!g_automatic_mode) {
        ui::Window* main = ui::main_window();
        g_confirmed = ConfirmedRestore{};
        if (main != nullptr) {
            g_confirmed.image = main->text("image_combo");
            g_confirmed.caption = main->text("selected_caption_label");
            g_confirmed.root = main->text("selected_drive_label");
            g_confirmed.disk_partition = main->text("selected_disk_partition_label");
            g_confirmed.password_part =
                ghost_password_part(g_ghost_password_switch, main->text("password_edit"));
        }
        w.set_text("warning_label", erase_warning(g_confirmed.caption));
        return;
    }
    g_dropped_image_display = shortened_image_text(g_install_image_path);
    w.set_text("question_label", question_text(g_dropped_image_display));
    w.set_text("warning_label", erase_warning(command_line_target_text()));
    w.set_topmost(true);
    w.set_drop_enabled(true);
}

void start_ghost_restore_job(ui::Event& event) {
    ui::Window& w = *event.window;
    if (!file_exists(g_ghost_exe_path)) {
        say("出现错误，支持库写入失败，可能被安全软件拦截，请重启本程序！", kStopError);
        return;
    }
    if (!g_dropped_image_path.empty()) {
        run_ghost_restore_dropped(w);
    } else if (g_automatic_mode) {
        run_ghost_restore_cmdline(w);
    } else if (file_exists(g_confirmed.image)) {
        run_ghost_restore(w);
    } else {
        say(g_confirmed.image + " 不存在！", kStopError);
    }
}

void run_ghost_restore(ui::Window& w) {
    RunningRestore job;
    job.image = g_confirmed.image;
    job.target = g_confirmed.caption;
    job.timer = kInteractiveWatch;
    start_job(w, job, g_confirmed.root, g_confirmed.disk_partition,
              ghost_restore_command(g_ghost_exe_path, g_confirmed.image, g_confirmed.disk_partition,
                                    g_ghost_crcignore_switch, g_ghost_noide_switch,
                                    g_confirmed.password_part));
}

void run_ghost_restore_cmdline(ui::Window& w) {
    run_command_line_job(w, g_install_image_path);
}

void run_ghost_restore_dropped(ui::Window& w) {
    run_command_line_job(w, g_dropped_image_path);
}

void ghost_restore_watch_tick(ui::Event& event) {
    ui::Window& w = *event.window;
    if (!g_job.running || g_job.timer != event.role) {
        w.stop_timer(event.role);
        return;
    }
    if (!g_job.ghost->ended()) return;
    end_job(w);
}

void on_ghost_restore_cancel_clicked(ui::Event& event) {
    if (g_automatic_mode) {
        end_program(0);
        return;
    }
    event.window->close();
}

// While Ghost runs the window has no button to leave by, and it must not go away under the job:
// the end would then never be reported nor the busy state cleared. An idle unattended window is
// the run's only window, so closing it is its cancel and ends the program.
void on_ghost_restore_window_closing(ui::Event& event) {
    event.cancel = g_job.running || g_automatic_mode;
    if (!g_job.running && g_automatic_mode) end_program(0);
}

void on_file_dropped(ui::Event& event) {
    if (event.files.empty()) return;
    const std::string& path = event.files.front();
    if (upper_ascii(path_extension(path)) != ".GHO") {
        say("不支持的文件格式。", kStopError);
        return;
    }
    if (say("是否还原 " + path + " ？", os::kBoxYesNo | os::kIconInfo) != os::kIdYes) return;
    g_dropped_image_path = path;
    g_dropped_image_display = shortened_image_text(path);
    event.window->set_text("question_label", question_text(g_dropped_image_display));
}

void reset_ghost_restore_state() {
    g_job = RunningRestore{};
    g_confirmed = ConfirmedRestore{};
}

void bind_ghost_restore_handlers() {
    const std::string w = ui::kGhostRestoreWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, ghost_restore_window_load);
    ui::bind_handler(w, "", ui::EventKind::Closing, on_ghost_restore_window_closing);
    ui::bind_handler(w, "ok_button", ui::EventKind::Click, start_ghost_restore_job);
    ui::bind_handler(w, "cancel_button", ui::EventKind::Click, on_ghost_restore_cancel_clicked);
    ui::bind_handler(w, kInteractiveWatch, ui::EventKind::Timer, ghost_restore_watch_tick);
    ui::bind_handler(w, kAutomaticWatch, ui::EventKind::Timer, ghost_restore_watch_tick);
    ui::bind_handler(w, "drop_target", ui::EventKind::Drop, on_file_dropped);
}

}  // namespace qv
