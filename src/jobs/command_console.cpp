#include "jobs/command_console.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "base/helpers.h"
#include "base/state.h"
#include "platform/os.h"
#include "platform/os_console.h"
#include "ui/runtime.h"

namespace qv {
namespace {

constexpr std::size_t kRecentBytes = 64 * 1024;
// Output nobody drains (a target whose window is gone) is bounded; a box never shows more than
// 30000 bytes, so what is dropped here could never have been seen.
constexpr std::size_t kPendingLimit = 1024 * 1024;
const char kIdeographicBlank[] = "\xA1\xA1";

struct Piece {
    ConsoleTarget target;
    bool clear = false;  // a reader's start: the box is emptied here
    std::string bytes;
};

// One run of the interpreter. Readers hold it as long as they live, so the process object (whose
// read end a reader may still be using) and the lock outlast the stop that ends them.
struct ConsoleSession {
    std::unique_ptr<os::ConsoleProcess> process;
    std::mutex lock;
    std::condition_variable changed;
    bool stopped = false;
    bool copying = false;
    ConsoleTarget target;
    std::deque<Piece> pending;
    std::size_t pending_bytes = 0;
    std::uint64_t produced = 0;
    std::string recent;
    std::string last_chunk;
};

std::shared_ptr<ConsoleSession> g_session;  // user-interface thread only
ConsoleTarget g_console_target;             // user-interface thread only
// The kept texts of the boxes, by target; user-interface thread only. Windows outlive the
// program's run (the runtime keeps them), so a target's window pointer is never reused.
std::vector<std::pair<ConsoleTarget, ConsoleBoxText>> g_boxes;
std::atomic<int> g_readers{0};

bool console_running() {
    return g_console_running && g_session != nullptr;
}

// Call with the session's lock held.
void queue_piece(ConsoleSession& s, Piece piece) {
    s.produced += piece.bytes.size();
    s.recent += piece.bytes;
    if (s.recent.size() > kRecentBytes) s.recent.erase(0, s.recent.size() - kRecentBytes);
    s.pending_bytes += piece.bytes.size();
    s.pending.push_back(std::move(piece));
    while (s.pending_bytes > kPendingLimit && s.pending.size() > 1) {
        s.pending_bytes -= s.pending.front().bytes.size();
        s.pending.pop_front();
    }
}

// A chunk as the box receives it: cut at a zero byte; a lead byte that ends the read waits for
// its trail byte, which is still in the pipe, so a character never reaches the box in halves.
std::string take_chunk(std::string& held, const char* data, int n) {
    std::string chunk;
    chunk.swap(held);
    const char* zero = static_cast<const char*>(std::memchr(data, 0, static_cast<std::size_t>(n)));
    chunk.append(data, zero != nullptr ? static_cast<std::size_t>(zero - data)
                                       : static_cast<std::size_t>(n));
    if (zero != nullptr || chunk.empty()) return chunk;
    std::size_t last = 0;
    for (std::size_t i = 0; i < chunk.size(); i = next_char(chunk, i)) last = i;
    if (last == chunk.size() - 1 && is_lead_byte(chunk[last])) {
        held = chunk.substr(last);
        chunk.resize(last);
    }
    return chunk;
}

void console_reader_thread(std::shared_ptr<ConsoleSession> s) {
    bool copied = false;
    {
        std::unique_lock<std::mutex> guard(s->lock);
        s->changed.wait(guard, [&] { return s->stopped || !s->copying; });
        if (!s->stopped) {
            s->copying = copied = true;
            queue_piece(*s, Piece{s->target, true, {}});
        }
    }
    if (copied) {
        char buffer[kConsoleChunkBytes];
        std::string held;
        for (;;) {
            int n = s->process->read_output(buffer, kConsoleChunkBytes);
            if (n <= 0) break;
            std::string chunk = take_chunk(held, buffer, n);
            std::lock_guard<std::mutex> guard(s->lock);
            if (s->stopped) break;
            s->last_chunk = chunk;
            if (!chunk.empty()) queue_piece(*s, Piece{s->target, false, std::move(chunk)});
        }
        std::lock_guard<std::mutex> guard(s->lock);
        if (!held.empty() && !s->stopped) queue_piece(*s, Piece{s->target, false, held});
        s->copying = false;
        s->changed.notify_all();
    }
    --g_readers;
}

std::string trim_blanks(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        if (text[begin] == ' ')
            begin += 1;
        else if (text.compare(begin, 2, kIdeographicBlank) == 0)
            begin += 2;
        else
            break;
    }
    std::size_t end = begin;
    for (std::size_t i = begin; i < text.size();) {
        std::size_t next = next_char(text, i);
        bool blank = text[i] == ' ' || text.compare(i, 2, kIdeographicBlank) == 0;
        if (!blank) end = next;
        i = next;
    }
    return text.substr(begin, end - begin);
}

ConsoleBoxText& kept_box(const ConsoleTarget& target) {
    for (auto& entry : g_boxes)
        if (entry.first == target) return entry.second;
    g_boxes.emplace_back(target, ConsoleBoxText{});
    return g_boxes.back().second;
}

std::vector<Piece> take_pieces(const ConsoleTarget& target) {
    std::vector<Piece> mine;
    if (!g_session) return mine;
    std::lock_guard<std::mutex> guard(g_session->lock);
    std::deque<Piece> others;
    for (Piece& p : g_session->pending) {
        if (p.target == target)
            mine.push_back(std::move(p));
        else
            others.push_back(std::move(p));
    }
    g_session->pending.swap(others);
    g_session->pending_bytes = 0;
    for (const Piece& p : g_session->pending) g_session->pending_bytes += p.bytes.size();
    return mine;
}

}  // namespace

std::uint32_t start_console(const std::string& command_line, const std::string& current_folder) {
    os::Consoles* consoles = os::os().consoles;
    if (consoles == nullptr || !consoles->nt_family()) return 0;
    if (console_running()) return g_session->process->process_id();
    if (g_session) {
        // A session left behind by a reset of the running flag: its readers must not wait on.
        std::lock_guard<std::mutex> guard(g_session->lock);
        g_session->stopped = true;
        g_session->changed.notify_all();
    }
    g_session.reset();
    std::string folder = current_folder.empty() ? system_dir() : current_folder;
    std::unique_ptr<os::ConsoleProcess> process = consoles->start_hidden(command_line, folder);
    if (!process) return 0;
    auto session = std::make_shared<ConsoleSession>();
    session->process = std::move(process);
    session->target = g_console_target;
    g_session = session;
    g_console_running = true;
    std::uint32_t id = g_session->process->process_id();
    return id != 0 ? id : 1;
}

int console_send_command(std::string& command) {
    if (!console_running()) return 0;
    command = trim_blanks(command);
    if (equals_ignore_case(command, "exit")) {
        console_stop();
        return 4;
    }
    if (equals_ignore_case(command, "cls")) {
        g_session->process->write_output(get_system_directory() + ">");
        return 3;
    }
    // One write for the whole line: an interpreter may take each pipe write as a line of its own.
    int written = g_session->process->write_input(command + "\r\n");
    return written < 0 ? 0 : written;
}

bool console_start_reader(const ui::Window* window, const std::string& box) {
    g_console_target = ConsoleTarget{window, box};
    if (!console_running()) return false;
    {
        std::lock_guard<std::mutex> guard(g_session->lock);
        g_session->target = g_console_target;
    }
    ++g_readers;
    try {
        std::thread(console_reader_thread, g_session).detach();
    } catch (const std::system_error&) {
        --g_readers;
        return false;
    }
    return true;
}

bool console_stop() {
    if (!console_running()) return false;
    std::shared_ptr<ConsoleSession> s = g_session;
    {
        std::lock_guard<std::mutex> guard(s->lock);
        s->stopped = true;
        s->pending.clear();
        s->pending_bytes = 0;
    }
    s->changed.notify_all();
    if (!s->process->stop(kConsoleStopExitCode)) return false;
    g_console_running = false;
    g_session.reset();
    return true;
}

std::string get_system_directory() {
    std::string folder = trim_blanks(os::os().files->system_folder());
    if (folder.size() > 3 && find_last_char(folder, '\\') == folder.size() - 1) folder.pop_back();
    return folder;
}

void append_console_chunk(std::string& box_text, const std::string& chunk) {
    if (box_text.size() + chunk.size() > kConsoleBoxLimit) box_text.clear();
    box_text += chunk;
}

void append_console_chunk(ConsoleBoxText& box, const std::string& chunk) {
    if (box.text.size() + chunk.size() > kConsoleBoxLimit) {
        box.text.clear();
        ++box.emptied;
    }
    box.text += chunk;
}

void console_take_output(const ConsoleTarget& target,
                         const std::function<void(bool clear, const std::string& chunk)>& each) {
    for (const Piece& p : take_pieces(target)) each(p.clear, p.bytes);
}

bool console_drain_into(const ConsoleTarget& target, std::string& box_text) {
    bool changed = false;
    console_take_output(target, [&](bool clear, const std::string& chunk) {
        if (clear)
            box_text.clear();
        else
            append_console_chunk(box_text, chunk);
        changed = true;
    });
    return changed;
}

void console_copy_output(ui::Window& window, const std::string& box) {
    std::vector<Piece> pieces = take_pieces(ConsoleTarget{&window, box});
    if (pieces.empty()) return;
    ConsoleBoxText& kept = kept_box(ConsoleTarget{&window, box});
    const std::uint64_t emptied = kept.emptied;
    const std::size_t shown = kept.text.size();
    for (const Piece& p : pieces) {
        if (p.clear) {
            kept.text.clear();
            ++kept.emptied;
        } else {
            append_console_chunk(kept, p.bytes);
        }
    }
    // The control ends up holding the kept text: the new bytes appended, or all of it anew.
    if (kept.emptied != emptied)
        window.set_text(box, kept.text);
    else if (kept.text.size() > shown)
        window.append_text(box, kept.text.substr(shown));
}

const ConsoleBoxText& console_box_text(const ui::Window& window, const std::string& box) {
    return kept_box(ConsoleTarget{&window, box});
}

void console_clear_box(ui::Window& window, const std::string& box) {
    ConsoleBoxText& kept = kept_box(ConsoleTarget{&window, box});
    kept.text.clear();
    ++kept.emptied;
    window.set_text(box, "");
}

void reset_console_boxes() {
    g_boxes.clear();
}

std::uint64_t console_output_mark() {
    if (!g_session) return 0;
    std::lock_guard<std::mutex> guard(g_session->lock);
    return g_session->produced;
}

std::string console_output_since(std::uint64_t mark) {
    if (!g_session) return {};
    std::lock_guard<std::mutex> guard(g_session->lock);
    const ConsoleSession& s = *g_session;
    if (mark >= s.produced) return {};
    std::uint64_t wanted = s.produced - mark;
    if (wanted >= s.recent.size()) return s.recent;
    return s.recent.substr(s.recent.size() - static_cast<std::size_t>(wanted));
}

int console_reader_count() {
    return g_readers.load();
}

}  // namespace qv
