// What the imagex jobs read from their console box: the progress of the running tool, the time
// it has taken, and whether the job has ended and how.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text_between_all.h"
#include "jobs/command_console.h"

namespace qv {

extern const char kPercentLeftMarker[];     // "[ "
extern const char kApplyingMarker[];        // "% ] Applying"
extern const char kCapturingMarker[];       // "% ] Capturing"
extern const char kRemainingLeftMarker[];   // "progress:"
extern const char kRemainingRightMarker[];  // "remaining"
extern const char kApplySuccessMarker[];    // "Successfully"
extern const char kCaptureSuccessMarker[];  // "Successfully imaged"

// The last values read; each keeps its previous value while the box shows none.
struct ImagexProgress {
    std::string percent;    // as printed, right-aligned in three places (" 45")
    std::string remaining;  // as printed between the markers, blanks included
    // Where the ticks' searches of the box stopped, and the box's emptyings they have seen.
    TextBetweenSearch percent_search;
    TextBetweenSearch remaining_search;
    std::uint64_t box_emptied = 0;
};

// The progress read over the whole box: the last percentage before percent_right_marker
// (kApplyingMarker or kCapturingMarker) and the last remaining time.
void parse_imagex_progress(const std::string& box_text, const char* percent_right_marker,
                           ImagexProgress& progress);
// One progress tick: the same values, reading only what the box has gained since the last tick
// (the whole box again once it has been emptied).
void update_imagex_progress(const ConsoleBoxText& box, const char* percent_right_marker,
                            ImagexProgress& progress);

// The percent label: the percentage and "%", or "  0%" while there is none.
std::string percent_label_text(const ImagexProgress& progress);
// The progress bar's position: the percentage read as a number, leading blanks ignored, 0 when
// there is none, kept within 0 to 100.
int progress_bar_position(const ImagexProgress& progress);
// "剩余时间：" and the remaining time, or "剩余时间：正在计算" while there is none.
std::string remaining_label_text(const ImagexProgress& progress);

// "hh:mm:ss"; each field in decimal with one "0" in front when it is not two digits long.
std::string ms_to_clock_text(std::int64_t ms);
// "已用时间：" and the clock text of the seconds.
std::string elapsed_label_text(int seconds);

// The end of an imagex job, decided every end tick (500 ms) from the tool's process, the cancel
// flag and the box (drained just before). A job concludes only once imagex has been seen running
// or the start grace has passed, and, without the success marker, only once the interpreter's
// prompt has come back after the tool's output or the output grace has passed: imagex that has not
// started yet, or whose last lines are still on their way, is never taken for a failure.
enum class ImagexJobEnd { Wait, Cancelled, Failed, Succeeded };

constexpr std::uint32_t kImagexStartGraceMs = 10000;
constexpr std::uint32_t kImagexOutputGraceMs = 2000;

struct ImagexEndWatch {
    std::uint32_t started_ms = 0;
    bool seen_running = false;
    bool gone = false;
    std::uint32_t gone_since_ms = 0;
    std::size_t box_length_running = 0;  // the box's length at the last tick that saw the tool
};

// At the moment the job's command is sent.
void begin_imagex_end_watch(ImagexEndWatch& watch, std::uint32_t now_ms);
ImagexJobEnd decide_imagex_end(ImagexEndWatch& watch, std::uint32_t now_ms, bool imagex_running,
                               bool cancelled, const std::string& box_text,
                               const char* success_marker);
// True while the command was sent but imagex has not been seen yet and may still be starting:
// the job is not over and its busy state stays.
bool imagex_may_be_starting(const ImagexEndWatch& watch, std::uint32_t now_ms);

// Whether the output that followed the BCDBOOT command reports success ("successfully" in any
// case, or "成功"). Output from before the command (imagex's "Successfully") does not count.
bool bcdboot_succeeded(const std::string& output_after_command);

}  // namespace qv
