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

// How often the capture wakes to look at its pipe while the tool writes nothing: a pipe cannot
// be waited on, and a tool that fills it stops until it is read.
constexpr int kCaptureLookMs = 20;
// How long a started program is given to become idle for input.
constexpr int kInputIdleMs = 1000;
constexpr int kInputIdleLookMs = 10;

bool program_ending() {
    ui::Runtime* runtime = os::os().ui;
    return runtime != nullptr && runtime->quitting();
}

// `read_limit` 0 reads exactly what the pipe reports waiting.
std::string capture(const std::string& command_line, std::size_t read_limit) {
    std::unique_ptr<os::CapturedProcess> run = processes().start_captured(command_line);
    if (!run) return {};
    std::string out;
    // One read of what is waiting; false when nothing is, or the pipe gives nothing after all.
    auto read_some = [&] {
        std::size_t waiting = run->bytes_waiting();
        if (waiting == 0) return false;
        std::string chunk = run->read(read_limit == 0 ? waiting : std::min(waiting, read_limit));
        append_chunk(out, chunk);
        return !chunk.empty();
    };
    for (;;) {
        if (read_some()) {
            pump_messages();
            continue;
        }
        if (wait_pumping(run.get(), kCaptureLookMs)) break;
    }
    // What the process wrote between the last look at the pipe and its end is still in the pipe.
    while (read_some()) {
    }
    return out;
}

// A program that shows a window is given time to show it before the caller goes on, as the
// platform's own launchers do; the window keeps answering meanwhile.
void wait_for_input_idle(os::ProcessWatch& process) {
    os::Clock& clock = *os::os().clock;
    const std::uint32_t start = clock.tick_ms();
    while (!process.input_idle()) {
        const std::int64_t left = kInputIdleMs - static_cast<std::int64_t>(clock.tick_ms() - start);
        if (left <= 0) return;
        if (wait_pumping(&process,
                         static_cast<int>(std::min<std::int64_t>(left, kInputIdleLookMs))))
            return;
    }
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

bool wait_pumping(os::ProcessWatch* process, int timeout_ms) {
    os::Clock& clock = *os::os().clock;
    const std::uint32_t start = clock.tick_ms();
    for (;;) {
        int slice = os::kWaitForever;
        if (timeout_ms != os::kWaitForever) {
            const std::int64_t left =
                timeout_ms - static_cast<std::int64_t>(clock.tick_ms() - start);
            slice = static_cast<int>(std::max<std::int64_t>(left, 0));
        }
        // An ending program's own quit message would wake the wait again at once, for ever.
        const os::Wake wake = program_ending() ? os::Wake::OnlyOnEnd : os::Wake::OnMessages;
        if (process != nullptr) {
            if (process->wait(slice, wake)) return true;
        } else {
            processes().wait_for_message(slice, wake);
        }
        pump_messages();
        if (timeout_ms != os::kWaitForever &&
            static_cast<std::int64_t>(clock.tick_ms() - start) >= timeout_ms)
            return false;
    }
}

std::unique_ptr<os::ProcessWatch> start_program(const std::string& command_line, int show) {
    std::unique_ptr<os::ProcessWatch> process =
        processes().start(command_line, clamp_show_state(show));
    if (process) wait_for_input_idle(*process);
    return process;
}

bool run_program(const std::string& command_line, bool wait, int show) {
    if (!wait) return start_program(command_line, show) != nullptr;
    std::unique_ptr<os::ProcessWatch> process =
        processes().start(command_line, clamp_show_state(show));
    if (!process) return false;
    wait_for_process(*process);
    return true;
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
    // The seconds are counted from this wait's own start, not by a shared counter.
    return wait_for_process(*process, limit_seconds <= 0 ? os::kWaitForever : limit_seconds * 1000);
}

void pump_messages() {
    if (ui::Runtime* runtime = os::os().ui) runtime->pump();
}

void delay_pumping(int ms) {
    wait_pumping(nullptr, std::max(ms, 0));
}

}  // namespace qv
