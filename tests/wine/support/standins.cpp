#include "support/standins.h"

#include <shellapi.h>

#include <sstream>

#include "encoding.h"
#include "jobs/command_console.h"
#include "platform/os.h"
#include "platform/os_process.h"
#include "support/files.h"

namespace qv::wine_support {

std::vector<LogLine> read_standin_log(const std::wstring& log) {
    std::vector<LogLine> lines;
    std::istringstream in(read_all(log));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() < 4) continue;
        // A tool's own notes may hold tabs in their detail.
        std::string detail = fields[3];
        for (std::size_t i = 4; i < fields.size(); ++i) detail += "\t" + fields[i];
        lines.push_back({fields[0], fields[1], fields[2], detail});
    }
    return lines;
}

Lines standin_details(const std::wstring& log, const std::string& tool, const std::string& event) {
    Lines out;
    for (const LogLine& l : read_standin_log(log))
        if (l.tool == tool && l.event == event) out.push_back(l.detail);
    return out;
}

Lines started_commands(const std::wstring& log) {
    Lines out;
    for (const LogLine& l : read_standin_log(log))
        if (l.event == "start") out.push_back(l.detail);
    return out;
}

std::vector<Lines> started_arguments(const std::wstring& log, const std::string& tool) {
    std::vector<Lines> out;
    for (const std::string& line : standin_details(log, tool, "start")) {
        int n =
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring command(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), command.data(),
                            n);
        int count = 0;
        wchar_t** args = CommandLineToArgvW(command.c_str(), &count);
        Lines received;
        for (int i = 1; args != nullptr && i < count; ++i)
            received.push_back(win32::narrow(args[i]));
        if (args != nullptr) LocalFree(args);
        out.push_back(received);
    }
    return out;
}

void wait_for_ends(const std::wstring& log, int ends) {
    for (int waited = 0; waited < 10000 && count_of(read_all(log), "\tend\t") < ends; waited += 20)
        Sleep(20);
}

void use_ghost_map(const std::wstring& folder, const std::string& lines) {
    const std::wstring map = folder + L"\\map.txt";
    write_all(map, lines);
    set_env(L"QV_GHOST_MAP", map);
}

Finished run_captured(const std::string& command_line) {
    Finished result;
    std::unique_ptr<os::CapturedProcess> run = os::os().processes->start_captured(command_line);
    if (!run) return result;
    result.started = true;
    // Once the tool has ended, all it wrote is waiting in the pipe.
    for (int waited = 0; waited < 30000;) {
        bool ended = run->ended();
        while (std::size_t n = run->bytes_waiting()) {
            std::string chunk = run->read(n);
            if (chunk.empty()) break;
            result.output += chunk;
        }
        if (ended) break;
        Sleep(5);
        waited += 5;
    }
    result.exit_code = run->exit_code();
    return result;
}

bool run_timers_until(fakes::HeadlessRuntime& runtime, const std::function<bool()>& done,
                      int limit_ms, int step_ms) {
    for (int waited = 0; waited < limit_ms; waited += step_ms) {
        if (done()) return true;
        runtime.advance(step_ms);
        Sleep(static_cast<DWORD>(step_ms));
    }
    return done();
}

void stop_console_and_readers() {
    console_stop();
    for (int i = 0; i < 250 && console_reader_count() > 0; ++i) Sleep(20);
}

}  // namespace qv::wine_support
