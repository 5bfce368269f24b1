// How the image scan and search compare with a walk of the same tree through the bare directory
// functions. Builds a tree of 20,000 files and more (once, under the build folder), walks it to
// depth 3 both ways and prints the time ratio: the scan's single walk for both image kinds against
// one bare walk matching both, and the search against a bare walk for one pattern.
//
// Run: build/native/qv_scan_benchmark [Google Benchmark options]
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_os.h"
#include "images/image_scan.h"
#include "platform/os_directories.h"

namespace {

std::string g_tree;  // the tree's folder on this machine; the walker sees it as drive R:

bool is_folder(const std::string& folder, const dirent* e) {
    if (e->d_type == DT_DIR) return true;
    if (e->d_type != DT_UNKNOWN) return false;
    struct stat st;
    return stat((folder + e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The seam over readdir, as the Win32 lister is over the find-file functions.
class PosixLister : public qv::os::DirectoryLister {
public:
    bool each_entry(const std::string& folder,
                    const std::function<void(const qv::os::FolderEntry&)>& each) override {
        std::string path = g_tree + "/" + folder.substr(3);
        for (char& c : path)
            if (c == '\\') c = '/';
        DIR* dir = opendir(path.c_str());
        if (dir == nullptr) return false;
        while (const dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.' &&
                (e->d_name[1] == '\0' || (e->d_name[1] == '.' && e->d_name[2] == '\0')))
                continue;
            each({e->d_name, is_folder(path, e)});
        }
        closedir(dir);
        return true;
    }
};

// The bare walk: the same depth rule, files before subfolders, hits collected as full paths.
void bare_walk(const std::string& folder, int parts, int depth,
               const std::vector<const char*>& patterns,
               std::vector<std::vector<std::string>>& hits) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> subfolders;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' &&
            (e->d_name[1] == '\0' || (e->d_name[1] == '.' && e->d_name[2] == '\0')))
            continue;
        if (is_folder(folder, e)) {
            subfolders.push_back(folder + e->d_name + "/");
            continue;
        }
        for (std::size_t p = 0; p < patterns.size(); ++p)
            if (fnmatch(patterns[p], e->d_name, FNM_CASEFOLD) == 0)
                hits[p].push_back(folder + e->d_name);
    }
    closedir(dir);
    if (parts + 1 >= depth + 1) return;
    for (const std::string& sub : subfolders) bare_walk(sub, parts + 1, depth, patterns, hits);
}

void make_tree() {
    std::string marker = g_tree + "/.complete";
    if (access(marker.c_str(), F_OK) == 0) return;
    mkdir(g_tree.c_str(), 0755);
    char name[64];
    int n = 0;
    auto touch = [&](const std::string& folder) {
        ++n;
        const char* ext = n % 50 == 0 ? "gho" : n % 70 == 0 ? "WIM" : "dat";
        std::snprintf(name, sizeof name, "/f%05d.%s", n, ext);
        std::ofstream(folder + name).flush();
    };
    for (int a = 0; a < 20; ++a) {
        std::snprintf(name, sizeof name, "/d%02d", a);
        std::string level1 = g_tree + name;
        mkdir(level1.c_str(), 0755);
        for (int f = 0; f < 10; ++f) touch(level1);
        for (int b = 0; b < 25; ++b) {
            std::snprintf(name, sizeof name, "/s%02d", b);
            std::string level2 = level1 + name;
            mkdir(level2.c_str(), 0755);
            for (int f = 0; f < 40; ++f) touch(level2);
            std::string level3 = level2 + "/deeper";  // beyond depth 3: never walked
            mkdir(level3.c_str(), 0755);
            for (int f = 0; f < 2; ++f) touch(level3);
        }
    }
    std::ofstream(marker).flush();
}

struct Setup {
    qv::fakes::FakeOs fake;
    PosixLister lister;
    Setup() {
        fake.drives.add("R:\\", qv::os::kDriveFixed);
        qv::os::Os set = qv::os::os();
        set.directories = &lister;
        qv::os::install(set);
    }
};

void BM_ScanWalker(benchmark::State& state) {
    Setup setup;
    std::size_t found = 0;
    for (auto _ : state) found = qv::scan_image_paths().size();
    state.counters["hits"] = static_cast<double>(found);
}

void BM_ScanBare(benchmark::State& state) {
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<std::vector<std::string>> hits(2);
        bare_walk(g_tree + "/", 1, 3, {"*.Gho", "*.WIM"}, hits);
        found = hits[0].size() + hits[1].size();
    }
    state.counters["hits"] = static_cast<double>(found);
}

void BM_SearchWalker(benchmark::State& state) {
    Setup setup;
    std::size_t found = 0;
    for (auto _ : state) found = qv::search_image_paths("*.Gho", 3).size();
    state.counters["hits"] = static_cast<double>(found);
}

void BM_SearchBare(benchmark::State& state) {
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<std::vector<std::string>> hits(1);
        bare_walk(g_tree + "/", 1, 3, {"*.Gho"}, hits);
        found = hits[0].size();
    }
    state.counters["hits"] = static_cast<double>(found);
}

BENCHMARK(BM_ScanWalker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanBare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchWalker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchBare)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    char self[4096] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder =
        n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string("./x");
    g_tree = folder.substr(0, folder.find_last_of('/')) + "/scan-bench-tree";
    make_tree();
    // Without options: five runs of each, compared by their medians, since one run of a walk that
    // is mostly system time varies by several percent.
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    if (argc == 1) {
        args.push_back(repetitions);
        args.push_back(aggregates);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* kind : {"Scan", "Search"}) {
        auto time_of = [&reporter](const std::string& name) {
            auto median = reporter.times.find(name + "_median");
            return median != reporter.times.end() ? median->second : reporter.times[name];
        };
        double walker = time_of(std::string("BM_") + kind + "Walker");
        double bare = time_of(std::string("BM_") + kind + "Bare");
        if (walker > 0 && bare > 0)
            std::printf("%s: walker / bare directory functions = %.2f\n", kind, walker / bare);
    }
    benchmark::Shutdown();
    return 0;
}
