// The progress timer parses the whole console box every 50 ms. This measures one tick's parse of a
// box at its 30000-byte limit, filled with recorded imagex output, next to one plain pass over the
// same bytes, and prints the ratio of the two.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "../native/fixture_folder.h"
#include "jobs/command_console.h"
#include "jobs/imagex_progress.h"

namespace {

std::string full_box() {
    const char* fixture = "imagex_console/apply_success.txt";
    std::string record;
    if (!qv::testing_fixtures::read_fixture_file(fixture, record)) {
        std::fprintf(stderr, "missing fixture %s\n",
                     qv::testing_fixtures::fixture_path(fixture).c_str());
        std::exit(1);
    }
    std::string lines;
    for (int p = 0; lines.size() < qv::kConsoleBoxLimit; p = (p + 1) % 100) {
        char line[80];
        std::snprintf(line, sizeof line, "[ %3d%% ] Applying progress: %d:%02d mins remaining\r\n",
                      p, 9 - p / 12, p % 60);
        lines += line;
    }
    std::string box = record + lines;
    box.resize(qv::kConsoleBoxLimit);
    return box;
}

const std::string& box() {
    static const std::string text = full_box();
    return text;
}

void progress_tick(benchmark::State& state) {
    for (auto _ : state) {
        qv::ImagexProgress progress;
        qv::parse_imagex_progress(box(), qv::kApplyingMarker, progress);
        benchmark::DoNotOptimize(progress);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * box().size()));
}
BENCHMARK(progress_tick);

void plain_scan(benchmark::State& state) {
    for (auto _ : state) {
        const std::string& text = box();
        benchmark::DoNotOptimize(std::count(text.begin(), text.end(), '%'));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * box().size()));
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
    double tick = reporter.ns_["progress_tick"];
    double scan = reporter.ns_["plain_scan"];
    if (tick > 0 && scan > 0) {
        std::printf(
            "progress tick over %zu bytes: %.1f us; plain scan: %.1f us; ratio %.1f; "
            "share of the 50 ms tick: %.3f%%\n",
            box().size(), tick / 1000.0, scan / 1000.0, tick / scan, tick / 50e6 * 100.0);
    }
    return 0;
}
