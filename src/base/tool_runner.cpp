#include "base/tool_runner.h"

#include <algorithm>
#include <memory>

#include "base/helpers.h"
#include "platform/os.h"
#include "ui/runtime.h"

namespace qv {
namespace {

os::Processes& processes() {
    return *os::os().processes;
}

std::string interpreter_prefix(const std::string& nt_interpreter) {
    return processes().nt_family() ? nt_interpreter : std::string("command.com /c ");
}

// Appends a chunk as text: like the C string it is taken for, it ends at its first zero byte.
void append_chunk(std::string& out, const std::string& chunk) {
    std::size_t zero = chunk.find('\0');
    out.append(chunk, 0, zero);
}

// `read_limit` 0 reads exactly what the pipe reports waiting.
std::string capture(const std::string& command_line, std::size_t read_limit) {
    std::unique_ptr<os::CapturedProcess> run = processes().start_captured(command_line);
    if (!run) return {};
    std::string out;
    for (;;) {
        std::size_t waiting = run->bytes_waiting();
        if (waiting > 0) {
            append_chunk(out, run->read(read_limit == 0 ? waiting : std::min(waiting, read_limit)));
        } else if (run->ended()) {
            break;
        }
        pump_messages();
    }
    // What the process wrote between the last look at the pipe and its end is still in the pipe.
    while (std::size_t waiting = run->bytes_waiting())
        append_chunk(out, run->read(read_limit == 0 ? waiting : std::min(waiting, read_limit)));
    return out;
}

bool same_name(const std::string& a, const std::string& b, bool exact) {
    return exact ? a == b : equals_ignore_case(a, b);
}

}  // namespace

int clamp_show_state(int show) {
    if (show > os::kShowMinimizedNoActivate) return os::kShowMinimizedNoActivate;
    if (show < os::kShowHidden) return os::kShowHidden;
    return show;
}

bool run_program(const std::string& command_line, bool wait, int show) {
    return processes().run(command_line, wait, clamp_show_state(show));
}

std::string console_capture_command_line(const std::string& command) {
    return interpreter_prefix(system_dir() + "cmd.exe /c ") + command;
}

std::string command_capture_command_line(const std::string& command) {
    return interpreter_prefix("cmd.exe /c ") + command;
}

std::string run_console_capture(const std::string& command) {
    return capture(console_capture_command_line(command), 1023);
}

std::string run_command_capture_output(const std::string& command) {
    return capture(command_capture_command_line(command), 0);
}

std::uint32_t find_process_id(const std::string& name, bool exact) {
    for (const os::ProcessEntry& p : processes().snapshot())
        if (same_name(p.exe_name, name, exact)) return p.id;
    return 0;
}

bool is_process_running(const std::string& name, bool exact) {
    return find_process_id(name, exact) != 0;
}

bool terminate_process_by_name(const std::string& name) {
    std::uint32_t id = find_process_id(name);
    return id != 0 && os::os().processes->terminate(id, 0);
}

bool wait_process_end(const std::string& name, int limit_seconds) {
    std::uint32_t id = 0;
    for (const os::ProcessEntry& p : processes().snapshot()) {
        if (same_name(p.exe_name, name, false)) {
            id = p.id;
            break;
        }
        pump_messages();
    }
    std::unique_ptr<os::ProcessWatch> process = id == 0 ? nullptr : processes().open(id);
    if (!process) return false;
    if (limit_seconds <= 0) {
        while (!process->ended()) pump_messages();
        return true;
    }
    // The seconds are counted from this wait's own start, not by a shared counter.
    os::Clock& clock = *os::os().clock;
    const std::uint32_t start = clock.tick_ms();
    for (;;) {
        if (process->ended()) return true;
        if ((clock.tick_ms() - start) / 1000 >= static_cast<std::uint32_t>(limit_seconds))
            return false;
        delay_pumping(250);
        pump_messages();
    }
}

void pump_messages() {
    if (ui::Runtime* runtime = os::os().ui) runtime->pump();
}

void delay_pumping(int ms) {
    os::Clock& clock = *os::os().clock;
    const std::uint32_t start = clock.tick_ms();
    do {
        pump_messages();
        clock.sleep_ms(10);
    } while (static_cast<std::int64_t>(clock.tick_ms() - start) < ms);
}

}  // namespace qv
