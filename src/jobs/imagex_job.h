// What the imagex restore and backup windows share: a run typed into the persistent console, its
// progress read from the window's console box, the elapsed time, the decision of its end and the
// cancel button while it runs. Both windows name these controls alike: console_box,
// percent_label, progress_bar, elapsed_label, remaining_label and the end, progress and elapsed
// timers.
#pragma once

#include "jobs/imagex_progress.h"
#include "ui/runtime.h"
#include "ui/window_def.h"

namespace qv {

inline constexpr const char* kImagexConsoleBox = "console_box";
// Moves the console's output into the box for as long as the window is open.
inline constexpr const char* kImagexConsoleTimer = "console_timer";
// The remaining and percent labels between runs.
inline constexpr const char* kImagexRemainingReset = "剩余时间：00:00:00";
inline constexpr const char* kImagexZeroPercent = "  0%";

// The box that receives the console's output: it lies outside the window and is never shown.
// With it comes the console timer.
void add_imagex_console_box(ui::WindowDef& def, const char* unit);

// The window's "created" step for the console: start_console, and the console timer at 50 ms,
// so that every chunk reaches the box while the window is open (BCDBOOT's lines arrive after
// the run's own timers have stopped).
void start_imagex_console(ui::Window& window);
// The console timer's tick.
void copy_imagex_console_output(ui::Event& event);
// The end, progress and elapsed timers (时钟1 to 时钟3).
void add_imagex_run_timers(ui::WindowDef& def);

// A run starts from an empty box: the lines of an earlier run, its success marker among them,
// must not speak for this one.
void begin_imagex_run(ui::Window& window, ImagexProgress& progress);

// The end (500 ms), progress (50 ms) and elapsed (1000 ms) timers, the time from zero, and the
// elapsed, remaining and percent labels shown.
void start_imagex_run_timers(ui::Window& window, int& elapsed_seconds);
void stop_imagex_run_timers(ui::Window& window);

// The progress timer's tick: the console's output into the box, then the percentage, the bar and
// the remaining time from it.
void show_imagex_progress(ui::Window& window, const char* percent_marker, ImagexProgress& progress);
// The elapsed timer's tick.
void count_imagex_second(ui::Window& window, int& elapsed_seconds);

// The end timer's tick: the console's output into the box, then the end as decided. A cancelled
// run whose imagex shows up only now is ended as it appears, and the run is not over while imagex
// may still appear.
ImagexJobEnd read_imagex_run_end(ui::Window& window, ImagexEndWatch& watch,
                                 const char* success_marker);

// OK's check before a run: when some imagex runs already, asks whether to end it and ends it on
// Yes. False when the user keeps it (the run does not start).
bool end_other_imagex_if_agreed(const char* question);

// The cancel button while imagex runs or may still be starting (between the command and imagex's
// first appearance): asks the question and, on Yes, ends imagex and says the cancelled text.
// False when no imagex runs and none is starting: the caller goes on to its own closing.
// `job_running` is the job's own flag, read again when the answer comes: the timers run while
// the question is open, and a job that has ended meanwhile, or whose imagex has ended by itself,
// keeps the end it has, so a Yes then changes nothing.
bool ask_to_stop_imagex(const bool& job_running, const ImagexEndWatch& watch, const char* question,
                        const char* cancelled_text);

}  // namespace qv
