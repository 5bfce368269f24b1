#include "jobs/imagex_job.h"

#include "base/state.h"
#include "base/tool_runner.h"
#include "jobs/command_console.h"
#include "jobs/imagex_apply.h"
#include "jobs/start_checks.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv {
namespace {

std::uint32_t now_ms() {
    return os::os().clock->tick_ms();
}

}  // namespace

void add_imagex_console_box(ui::WindowDef& def, const char* unit) {
    ui::ControlDef& box =
        ui::add_control(def, kImagexConsoleBox, unit, ui::Kind::Edit, "", 8, 260, 200, 96);
    box.flags = ui::kMultiLine | ui::kVScroll;
    box.visible = false;
    // Unnamed: no unit of the window's own stands behind it; it only moves the console's output
    // into the box while the window is open.
    ui::add_timer(def, kImagexConsoleTimer, "");
}

void start_imagex_console(ui::Window& window) {
    start_console();
    window.start_timer(kImagexConsoleTimer, 50);
}

void copy_imagex_console_output(ui::Event& event) {
    console_copy_output(*event.window, kImagexConsoleBox);
}

void add_imagex_run_timers(ui::WindowDef& def) {
    ui::add_timer(def, "end_timer", "时钟1");
    ui::add_timer(def, "progress_timer", "时钟2");
    ui::add_timer(def, "elapsed_timer", "时钟3");
}

void begin_imagex_run(ui::Window& window, ImagexProgress& progress) {
    progress = ImagexProgress{};
    console_clear_box(window, kImagexConsoleBox);
    window.set_text("elapsed_label", elapsed_label_text(0));
}

void start_imagex_run_timers(ui::Window& window, int& elapsed_seconds) {
    window.start_timer("end_timer", 500);
    window.start_timer("progress_timer", 50);
    window.start_timer("elapsed_timer", 1000);
    elapsed_seconds = 0;
    for (const char* label : {"elapsed_label", "remaining_label", "percent_label"})
        window.set_visible(label, true);
}

void stop_imagex_run_timers(ui::Window& window) {
    for (const char* timer : {"end_timer", "progress_timer", "elapsed_timer"})
        window.stop_timer(timer);
}

void show_imagex_progress(ui::Window& window, const char* percent_marker,
                          ImagexProgress& progress) {
    console_copy_output(window, kImagexConsoleBox);
    update_imagex_progress(console_box_text(window, kImagexConsoleBox), percent_marker, progress);
    window.set_text("percent_label", percent_label_text(progress));
    window.set_progress("progress_bar", progress_bar_position(progress));
    window.set_text("remaining_label", remaining_label_text(progress));
}

void count_imagex_second(ui::Window& window, int& elapsed_seconds) {
    ++elapsed_seconds;
    window.set_text("elapsed_label", elapsed_label_text(elapsed_seconds));
}

ImagexJobEnd read_imagex_run_end(ui::Window& window, ImagexEndWatch& watch,
                                 const char* success_marker) {
    console_copy_output(window, kImagexConsoleBox);
    const std::uint32_t now = now_ms();
    bool running = is_process_running(g_imagex_exe_name);
    if (g_imagex_cancelled) {
        if (running) terminate_process_by_name(g_imagex_exe_name);
        if (running || imagex_may_be_starting(watch, now)) return ImagexJobEnd::Wait;
    }
    return decide_imagex_end(watch, now, running, g_imagex_cancelled,
                             console_box_text(window, kImagexConsoleBox).text, success_marker);
}

bool end_other_imagex_if_agreed(const char* question) {
    if (!is_process_running(g_imagex_exe_name)) return true;
    if (os::os().notices->message_box(question, "提示", kAskYesNo) != os::kIdYes) return false;
    terminate_process_by_name(g_imagex_exe_name);
    return true;
}

bool ask_to_stop_imagex(const bool& job_running, const ImagexEndWatch& watch, const char* question,
                        const char* cancelled_text) {
    bool imagex_running = is_process_running(g_imagex_exe_name);
    const bool job_asked_about = job_running;
    if (!imagex_running && !(job_asked_about && imagex_may_be_starting(watch, now_ms())))
        return false;
    const std::uint32_t run = watch.started_ms;
    if (os::os().notices->message_box(question, "提示", kAskYesNo) != os::kIdYes) return true;
    // The timers ran while the question was open: a job that has ended since, or whose imagex
    // has ended by itself, is reported by its end timer as what it was.
    if (job_asked_about) {
        if (!job_running || watch.started_ms != run) return true;
        if (!is_process_running(g_imagex_exe_name) && !imagex_may_be_starting(watch, now_ms()))
            return true;
    }
    g_imagex_cancelled = true;
    terminate_process_by_name(g_imagex_exe_name);
    ui::show_tray_balloon("提示", cancelled_text, ui::kBalloonInfo, 0);
    return true;
}

}  // namespace qv
