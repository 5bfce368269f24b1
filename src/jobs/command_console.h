// CommandConsole: the one persistent, hidden command interpreter of the program. The imagex jobs
// type their commands into it and read what it prints from a text box of their window.
//
// All calls but the reader's own come from the user-interface thread. A reader thread never
// touches a window: it reads the interpreter's output in chunks of at most 260 bytes and queues
// them in the console, tagged with the box that is the console's target when the chunk is read.
// The job window's timers move the queued output into its box with console_copy_output (or, on a
// plain text, console_drain_into), which applies the box's 30000-byte rule chunk by chunk. The
// console keeps the text it put into each box beside the control (console_box_text), so that a
// timer reads the box without asking the control; only the console writes into such a box.
//
// A job: start_console when its window opens; console_send_command, then console_start_reader
// with the window's box; a timer that runs while the window is open calls console_copy_output,
// so every chunk reaches the box, also after the job's own timers have stopped; the job's ticks
// copy too and then read console_box_text; closing the window calls console_stop. A later step
// that must judge its own command's output takes console_output_mark before sending it and reads
// console_output_since afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qv::ui {
class Window;
}

namespace qv {

// The box that receives the console's output: a window and the role of its text box.
struct ConsoleTarget {
    const ui::Window* window = nullptr;
    std::string box;
    bool operator==(const ConsoleTarget& o) const { return window == o.window && box == o.box; }
};

constexpr std::uint32_t kConsoleStopExitCode = 3389;
constexpr int kConsoleChunkBytes = 260;
constexpr std::size_t kConsoleBoxLimit = 30000;

// Starts the interpreter (by default "cmd.exe" in the system folder). The running interpreter's
// process id when one already runs, non-zero after a start, 0 when nothing was started (not an
// NT-family system, or a pipe or the process could not be made).
std::uint32_t start_console(const std::string& command_line = "cmd.exe",
                            const std::string& current_folder = {});

// Types one line. The caller's command is replaced by its trimmed form (blanks and ideographic
// blanks). "exit" (any case) stops the console and gives 4; "cls" writes a fresh prompt (the
// system folder and ">") into the output and gives 3; an empty command writes a line end alone;
// anything else is written with "\r\n" in one write. The count written; 0 when no console runs.
int console_send_command(std::string& command);

// Makes the box the target of the console's output and starts a reader. The first reader empties
// the box and copies until the console stops; a later one waits for the earlier to end, while
// the earlier one's chunks go to the new target from its next chunk on. False when no console
// runs or no thread could be started.
bool console_start_reader(const ui::Window* window, const std::string& box);

// Stops the console: waiting readers leave without copying, the pipes are closed, a pending read
// ends and the interpreter is terminated with exit code 3389. False when no console ran or the
// interpreter could not be terminated (the console then stays marked running).
bool console_stop();

// The system folder without a trailing backslash.
std::string get_system_directory();

// The box rule: when the box's text and the chunk together are longer than 30000 bytes, the box
// is emptied first; then the chunk is appended.
void append_console_chunk(std::string& box_text, const std::string& chunk);

// A box's text as the console put it there. `emptied` counts the times the box was emptied (by
// the box rule, a reader's start or console_clear_box): a search that resumes over the text where
// it stopped starts again when the count has changed.
struct ConsoleBoxText {
    std::string text;
    std::uint64_t emptied = 0;
};
void append_console_chunk(ConsoleBoxText& box, const std::string& chunk);

// Hands the output queued for this target to `each`, piece by piece in the order read: `clear` for
// a reader's start (the box is emptied there), else a chunk to append. A chunk never ends inside
// a double-byte character, so each one can be converted on its own.
void console_take_output(const ConsoleTarget& target,
                         const std::function<void(bool clear, const std::string& chunk)>& each);

// Moves the output queued for this target into a plain text, chunk by chunk under the box rule
// (an emptying at a reader's start included). True when the text changed.
bool console_drain_into(const ConsoleTarget& target, std::string& box_text);

// The same for the window's own box and its kept text: called by the window's timers on the
// user-interface thread. The control is written once per call.
void console_copy_output(ui::Window& window, const std::string& box);
// The kept text of the window's box (empty for a box the console never wrote into).
const ConsoleBoxText& console_box_text(const ui::Window& window, const std::string& box);
// Empties the box and its kept text (a job's run starting afresh).
void console_clear_box(ui::Window& window, const std::string& box);
// Forgets every kept text, for a program state made anew.
void reset_console_boxes();

// Bytes read from the interpreter since it started; a mark to pass to console_output_since.
std::uint64_t console_output_mark();
// What the readers read after the mark (the newest 64 KB at most), whatever happened to the box
// meanwhile: a step judges its own command's output by it.
std::string console_output_since(std::uint64_t mark);

// Reader threads still alive (waiting or copying); they end soon after the console stops.
int console_reader_count();

}  // namespace qv
