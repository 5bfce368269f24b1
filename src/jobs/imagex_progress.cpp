#include "jobs/imagex_progress.h"

#include "base/helpers.h"
#include "base/text_between_all.h"

namespace qv {

const char kPercentLeftMarker[] = "[ ";
const char kApplyingMarker[] = "% ] Applying";
const char kCapturingMarker[] = "% ] Capturing";
const char kRemainingLeftMarker[] = "progress:";
const char kRemainingRightMarker[] = "remaining";
const char kApplySuccessMarker[] = "Successfully";
const char kCaptureSuccessMarker[] = "Successfully imaged";

namespace {

std::string two_places(std::int64_t value) {
    std::string text = std::to_string(value);
    return text.size() == 2 ? text : "0" + text;
}

// The interpreter prints its prompt (ending in ">") when a command has ended.
bool prompt_at_end(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\r' || text[end - 1] == '\n'))
        --end;
    return end > 0 && text[end - 1] == '>';
}

}  // namespace

void parse_imagex_progress(const std::string& box_text, const char* percent_right_marker,
                           ImagexProgress& progress) {
    last_text_between(box_text, kPercentLeftMarker, percent_right_marker, progress.percent);
    last_text_between(box_text, kRemainingLeftMarker, kRemainingRightMarker, progress.remaining);
}

void update_imagex_progress(const ConsoleBoxText& box, const char* percent_right_marker,
                            ImagexProgress& progress) {
    bool restart = box.emptied != progress.box_emptied;
    progress.box_emptied = box.emptied;
    if (!progress.percent_search.searches_for(kPercentLeftMarker, percent_right_marker))
        progress.percent_search = TextBetweenSearch(kPercentLeftMarker, percent_right_marker);
    if (!progress.remaining_search.searches_for(kRemainingLeftMarker, kRemainingRightMarker))
        progress.remaining_search = TextBetweenSearch(kRemainingLeftMarker, kRemainingRightMarker);
    progress.percent_search.update(box.text, restart);
    progress.percent_search.last(box.text, progress.percent);
    progress.remaining_search.update(box.text, restart);
    progress.remaining_search.last(box.text, progress.remaining);
}

std::string percent_label_text(const ImagexProgress& progress) {
    return progress.percent.empty() ? "  0%" : progress.percent + "%";
}

int progress_bar_position(const ImagexProgress& progress) {
    const std::string& p = progress.percent;
    std::size_t i = 0;
    while (i < p.size() && (p[i] == ' ' || p[i] == '\t')) ++i;
    int value = 0;
    for (; i < p.size() && p[i] >= '0' && p[i] <= '9'; ++i) {
        value = value * 10 + (p[i] - '0');
        if (value > 100) return 100;
    }
    return value;
}

std::string remaining_label_text(const ImagexProgress& progress) {
    return "剩余时间：" +
           (progress.remaining.empty() ? std::string("正在计算") : progress.remaining);
}

std::string ms_to_clock_text(std::int64_t ms) {
    std::int64_t hours = ms / 3600000;
    std::int64_t minutes = ms / 60000 - hours * 60;
    std::int64_t seconds = ms / 1000 - hours * 3600 - minutes * 60;
    return two_places(hours) + ":" + two_places(minutes) + ":" + two_places(seconds);
}

std::string elapsed_label_text(int seconds) {
    return "已用时间：" + ms_to_clock_text(static_cast<std::int64_t>(seconds) * 1000);
}

void begin_imagex_end_watch(ImagexEndWatch& watch, std::uint32_t now_ms) {
    watch = ImagexEndWatch{};
    watch.started_ms = now_ms;
}

namespace {

// imagex writes its verdict at the start of a line. The box also holds the echo of the typed
// command, whose image path or name may carry the same words anywhere in the line.
bool marker_begins_a_line(const std::string& text, const char* marker) {
    for (int at = find_text(text, marker); at != -1; at = find_text(text, marker, at + 1)) {
        const std::size_t i = static_cast<std::size_t>(at) - 1;
        if (i == 0 || text[i - 1] == '\n' || text[i - 1] == '\r') return true;
    }
    return false;
}

}  // namespace

ImagexJobEnd decide_imagex_end(ImagexEndWatch& watch, std::uint32_t now_ms, bool imagex_running,
                               bool cancelled, const std::string& box_text,
                               const char* success_marker) {
    if (imagex_running) {
        watch.seen_running = true;
        watch.gone = false;
        watch.box_length_running = box_text.size();
        return ImagexJobEnd::Wait;
    }
    if (cancelled) return ImagexJobEnd::Cancelled;
    // The marker is written as the tool writes it: case counts.
    if (marker_begins_a_line(box_text, success_marker)) return ImagexJobEnd::Succeeded;
    if (imagex_may_be_starting(watch, now_ms)) return ImagexJobEnd::Wait;
    if (!watch.gone) {
        watch.gone = true;
        watch.gone_since_ms = now_ms;
    }
    // A prompt counts once output has come after the last tick that saw the tool: the one that
    // was there before it ran is no sign of its end.
    bool fresh_prompt = prompt_at_end(box_text) &&
                        (!watch.seen_running || box_text.size() != watch.box_length_running);
    if (fresh_prompt || now_ms - watch.gone_since_ms >= kImagexOutputGraceMs)
        return ImagexJobEnd::Failed;
    return ImagexJobEnd::Wait;
}

bool imagex_may_be_starting(const ImagexEndWatch& watch, std::uint32_t now_ms) {
    return !watch.seen_running && now_ms - watch.started_ms < kImagexStartGraceMs;
}

bool bcdboot_succeeded(const std::string& output_after_command) {
    return contains_ignore_case(output_after_command, "successfully") ||
           find_text(output_after_command, "成功") != -1;
}

}  // namespace qv
