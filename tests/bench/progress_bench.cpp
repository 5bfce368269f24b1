// The progress timer's tick every 50 ms: a line of imagex output appended to a console box at its
// 30000-byte limit, then the tick over the box (the percentage, the bar and the remaining time).
// It is measured next to one plain pass over the same 30000 bytes, and next to the read of the
// whole box that the tick replaced; the ratio to the plain pass is printed, and the tick's values
// are checked against the whole-box read (a difference ends the run with status 1).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "../native/fixture_folder.h"
#include "jobs/command_console.h"
#include "jobs/imagex_progress.h"

namespace {

const std::string kLine = "[  46% ] Applying progress: 4:21 mins remaining\r\n";

// A box as a long run leaves it: recorded output, then progress lines, up to the limit less one
// line, with the ticks caught up on it.
struct Tick {
    qv::ConsoleBoxText box;
    qv::ImagexProgress progress;
};

Tick full_box() {
    const char* fixture = "imagex_console/apply_success.txt";
    std::string text;
    if (!qv::testing_fixtures::read_fixture_file(fixture, text)) {
        std::fprintf(stderr, "missing fixture %s\n",
                     qv::testing_fixtures::fixture_path(fixture).c_str());
        std::exit(1);
    }
    text = text.substr(0, text.find("Successfully"));
    for (int p = 0; text.size() + 2 * kLine.size() < qv::kConsoleBoxLimit; p = (p + 1) % 100) {
        char line[80];
        std::snprintf(line, sizeof line, "[ %3d%% ] Applying progress: %d:%02d mins remaining\r\n",
                      p, 9 - p / 12, p % 60);
        text += line;
    }
    text.append(qv::kConsoleBoxLimit - kLine.size() - text.size(), ' ');
    Tick tick;
    tick.box.text.reserve(qv::kConsoleBoxLimit);
    qv::append_console_chunk(tick.box, text);
    qv::update_imagex_progress(tick.box, qv::kApplyingMarker, tick.progress);
    return tick;
}

const Tick& prepared() {
    static const Tick tick = full_box();
    return tick;
}

// What the tick gives its three controls.
struct Shown {
    std::string percent;
    int bar = 0;
    std::string remaining;
    bool operator==(const Shown& o) const {
        return percent == o.percent && bar == o.bar && remaining == o.remaining;
    }
};

Shown shown(const qv::ImagexProgress& progress) {
    return {qv::percent_label_text(progress), qv::progress_bar_position(progress),
            qv::remaining_label_text(progress)};
}

// Each measured tick starts from its own copy of the prepared box; the copies are made while the
// clock is stopped, many at a time. A box's text keeps room for the limit, as a box that has been
// filled before does.
void refill(std::vector<Tick>& pool) {
    for (Tick& t : pool) {
        t.box.text.reserve(qv::kConsoleBoxLimit);
        t.box.text.assign(prepared().box.text);
        t.box.emptied = prepared().box.emptied;
        t.progress = prepared().progress;
    }
}

template <typename TickFn>
void run_ticks(benchmark::State& state, TickFn tick_fn) {
    std::vector<Tick> pool(256);
    refill(pool);
    std::size_t next = 0;
    for (auto _ : state) {
        if (next == pool.size()) {
            state.PauseTiming();
            refill(pool);
            next = 0;
            state.ResumeTiming();
        }
        Tick& t = pool[next++];
        qv::append_console_chunk(t.box, kLine);
        tick_fn(t);
        Shown s = shown(t.progress);
        benchmark::DoNotOptimize(s);
    }
}

void progress_tick(benchmark::State& state) {
    run_ticks(state,
              [](Tick& t) { qv::update_imagex_progress(t.box, qv::kApplyingMarker, t.progress); });
}
BENCHMARK(progress_tick);

void whole_box_read(benchmark::State& state) {
    run_ticks(state, [](Tick& t) {
        qv::parse_imagex_progress(t.box.text, qv::kApplyingMarker, t.progress);
    });
}
BENCHMARK(whole_box_read);

void plain_scan(benchmark::State& state) {
    std::string text = prepared().box.text + kLine;
    for (auto _ : state) benchmark::DoNotOptimize(std::count(text.begin(), text.end(), '%'));
}
BENCHMARK(plain_scan);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) ns_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> ns_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    Tick ticked = prepared();
    qv::append_console_chunk(ticked.box, kLine);
    qv::update_imagex_progress(ticked.box, qv::kApplyingMarker, ticked.progress);
    qv::ImagexProgress whole;
    qv::parse_imagex_progress(ticked.box.text, qv::kApplyingMarker, whole);
    bool same = shown(ticked.progress) == shown(whole) && ticked.progress.percent == " 46";

    double tick = reporter.ns_["progress_tick"];
    double read = reporter.ns_["whole_box_read"];
    double scan = reporter.ns_["plain_scan"];
    if (tick > 0 && scan > 0) {
        std::printf(
            "progress tick (a line appended to a box of %zu bytes, then the tick): %.2f us; "
            "plain scan: %.2f us; ratio %.2f (the whole-box read: %.2f us, ratio %.1f); "
            "same values as the whole-box read: %s\n",
            ticked.box.text.size(), tick / 1000.0, scan / 1000.0, tick / scan, read / 1000.0,
            read / scan, same ? "yes" : "NO");
    }
    return same ? 0 : 1;
}
