#include <gtest/gtest.h>

#include <functional>

#include "base/state.h"
#include "fakes/console_waits.h"
#include "fakes/fake_os.h"
#include "fakes/headless_runtime.h"
#include "jobs/command_console.h"

namespace qv {
namespace {

using fakes::eventually;

// Two boxes of job windows, told apart by their target only (the reader never touches them).
const ConsoleTarget kApplyBox{reinterpret_cast<const ui::Window*>(0x10), "console_box"};
const ConsoleTarget kOtherBox{reinterpret_cast<const ui::Window*>(0x20), "console_box"};

class CommandConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { g_console_running = false; }
    void TearDown() override {
        fakes::stop_console_expecting_no_readers();
        reset_console_boxes();
    }

    bool start_reader(const ConsoleTarget& target) {
        return console_start_reader(target.window, target.box);
    }
    // Drains until the box holds `wanted` (or the wait runs out); returns the box.
    std::string drain_until(const ConsoleTarget& target, std::string& box,
                            const std::string& wanted) {
        eventually([&] {
            console_drain_into(target, box);
            return box.find(wanted) != std::string::npos;
        });
        return box;
    }

    fakes::FakeOs fake;
};

TEST_F(CommandConsoleTest, StartsOnceInTheSystemFolder) {
    EXPECT_EQ(start_console(), 4242u);
    EXPECT_TRUE(g_console_running);
    ASSERT_EQ(fake.consoles.starts.size(), 1u);
    EXPECT_EQ(fake.consoles.starts[0].command_line, "cmd.exe");
    EXPECT_EQ(fake.consoles.starts[0].folder, "X:\\WINDOWS\\system32\\");
    EXPECT_EQ(start_console(), 4242u);  // the running interpreter's id; nothing new
    EXPECT_EQ(fake.consoles.starts.size(), 1u);
}

TEST_F(CommandConsoleTest, StartsNothingOutsideNtOrWhenTheProcessFails) {
    fake.consoles.nt = false;
    EXPECT_EQ(start_console(), 0u);
    fake.consoles.nt = true;
    fake.consoles.fail_start = true;
    EXPECT_EQ(start_console(), 0u);
    EXPECT_FALSE(g_console_running);
    std::string command = " dir ";
    EXPECT_EQ(console_send_command(command), 0);
    EXPECT_EQ(command, " dir ");  // untouched while no console runs
    EXPECT_FALSE(start_reader(kApplyBox));
}

TEST_F(CommandConsoleTest, SendsTrimmedLinesEachInOneWrite) {
    ASSERT_NE(start_console(), 0u);
    struct Row {
        std::string command, trimmed, written;
        int result;
    } rows[] = {
        {"  dir C:\\ ", "dir C:\\", "dir C:\\\r\n", 9},
        {"\xA1\xA1"
         "dir\xA1\xA1",
         "dir", "dir\r\n", 5},  // ideographic blanks
        {"", "", "\r\n", 2},
        {"   ", "", "\r\n", 2},
        {"exit now", "exit now", "exit now\r\n", 10},
        {"echo 提示 ", "echo 提示", "echo 提示\r\n", 11},
    };
    for (const Row& r : rows) {
        std::string command = r.command;
        EXPECT_EQ(console_send_command(command), r.result) << r.command;
        EXPECT_EQ(command, r.trimmed);
        EXPECT_EQ(fake.consoles.last->inputs().back(), r.written);
    }
    EXPECT_EQ(fake.consoles.last->inputs().size(), 6u);
}

TEST_F(CommandConsoleTest, ExitStopsAndClsWritesAFreshPrompt) {
    ASSERT_NE(start_console(), 0u);
    ASSERT_TRUE(start_reader(kApplyBox));
    std::string box;
    fake.consoles.last->print("old text\r\n");
    drain_until(kApplyBox, box, "old text");
    std::string cls = "CLS";
    EXPECT_EQ(console_send_command(cls), 3);
    EXPECT_EQ(drain_until(kApplyBox, box, ">"), "old text\r\nX:\\WINDOWS\\system32>");
    EXPECT_TRUE(fake.consoles.last->inputs().empty());

    auto state = fake.consoles.last;
    std::string exit = " Exit ";
    EXPECT_EQ(console_send_command(exit), 4);
    EXPECT_FALSE(g_console_running);
    EXPECT_TRUE(state->stopped());
    EXPECT_EQ(state->exit_code(), kConsoleStopExitCode);
    EXPECT_TRUE(state->inputs().empty());
}

TEST_F(CommandConsoleTest, ReaderCopiesInChunksAndKeepsCharactersWhole) {
    ASSERT_NE(start_console(), 0u);
    ASSERT_TRUE(start_reader(kApplyBox));
    // 259 bytes and a double-byte character: the first read ends between its two bytes.
    std::string first = std::string(259, 'a') + "成";
    fake.consoles.last->print(first);
    fake.consoles.last->print("功\r\n");
    // A chunk is cut at a zero byte.
    fake.consoles.last->print(std::string("ok\0lost", 7));
    std::string box;
    std::vector<std::string> chunks;
    eventually([&] {
        console_take_output(kApplyBox, [&](bool clear, const std::string& chunk) {
            if (!clear) chunks.push_back(chunk);
            append_console_chunk(box, chunk);
        });
        return box.find("ok") != std::string::npos;
    });
    EXPECT_EQ(box, first + "功\r\nok");
    EXPECT_EQ(chunks, (std::vector<std::string>{std::string(259, 'a'), "成", "功\r\n", "ok"}));
    EXPECT_EQ(fake.consoles.last->largest_read(), kConsoleChunkBytes);
}

TEST_F(CommandConsoleTest, BoxIsEmptiedBeforeAChunkThatWouldPassTheLimit) {
    struct Row {
        std::size_t box, chunk, expected;
    } rows[] = {{29900, 100, 30000}, {29900, 101, 101}, {0, 30001, 30001}, {30000, 0, 30000}};
    for (const Row& r : rows) {
        std::string box(r.box, 'x');
        append_console_chunk(box, std::string(r.chunk, 'y'));
        EXPECT_EQ(box.size(), r.expected) << r.box << "+" << r.chunk;
    }
}

TEST_F(CommandConsoleTest, FirstReaderEmptiesTheBoxAndTheDrainKeepsTheLimit) {
    ASSERT_NE(start_console(), 0u);
    std::string box = "left from before";
    ASSERT_TRUE(start_reader(kApplyBox));
    fake.consoles.last->print(std::string(200, 'p'));
    drain_until(kApplyBox, box, "p");
    EXPECT_EQ(box, std::string(200, 'p'));
    box = std::string(29950, 'z');
    fake.consoles.last->print("0123456789");
    fake.consoles.last->print(std::string(60, 'q'));
    drain_until(kApplyBox, box, "q");
    EXPECT_EQ(box, std::string(60, 'q'));
}

TEST_F(CommandConsoleTest, KeptTextAndTheWindowsBoxNeverDisagree) {
    fakes::HeadlessRuntime ui(&fake.clock);
    ui::WindowDef def;
    def.name = "JobWindow";
    ui::add_control(def, "console_box", "编辑框1", ui::Kind::Edit, "", 0, 0, 10, 10);
    ui::Window& w = *ui.open(def, nullptr);
    w.set_text("console_box", "left from before");
    ASSERT_NE(start_console(), 0u);
    ASSERT_TRUE(console_start_reader(&w, "console_box"));
    auto copy_until = [&](const std::string& wanted) {
        return eventually([&] {
            console_copy_output(w, "console_box");
            return console_box_text(w, "console_box").text.find(wanted) != std::string::npos;
        });
    };
    const ConsoleBoxText& kept = console_box_text(w, "console_box");
    const std::uint64_t before = kept.emptied;
    fakes::print_and_wait_for_reader(*fake.consoles.last, std::string(29990, 'a'));
    ASSERT_TRUE(copy_until("a"));
    EXPECT_EQ(kept.emptied, before + 1);  // the reader's start emptied it
    EXPECT_EQ(w.text("console_box"), kept.text);
    EXPECT_EQ(kept.text.size(), 29990u);
    // Two chunks in one copy: the second passes the limit and empties the box first.
    fakes::print_and_wait_for_reader(*fake.consoles.last, "0123456789");
    fakes::print_and_wait_for_reader(*fake.consoles.last, "bc");
    ASSERT_TRUE(copy_until("bc"));
    EXPECT_EQ(kept.text, "bc");
    EXPECT_EQ(kept.emptied, before + 2);
    EXPECT_EQ(w.text("console_box"), "bc");
    console_clear_box(w, "console_box");
    EXPECT_EQ(kept.emptied, before + 3);
    EXPECT_EQ(w.text("console_box"), "");
    fakes::print_and_wait_for_reader(*fake.consoles.last, "de");
    ASSERT_TRUE(copy_until("de"));
    EXPECT_EQ(w.text("console_box"), "de");
    EXPECT_EQ(kept.text, "de");
}

TEST_F(CommandConsoleTest, LaterReaderRedirectsTheFirstAndWaitsUntilTheStop) {
    ASSERT_NE(start_console(), 0u);
    ASSERT_TRUE(start_reader(kApplyBox));
    std::string apply_box, other_box;
    fake.consoles.last->print("imagex\r\n");
    drain_until(kApplyBox, apply_box, "imagex");
    ASSERT_TRUE(start_reader(kOtherBox));
    fake.consoles.last->print("bcdboot\r\n");
    drain_until(kOtherBox, other_box, "bcdboot");
    EXPECT_EQ(other_box, "bcdboot\r\n");  // the waiting reader never emptied it again
    EXPECT_EQ(apply_box, "imagex\r\n");
    EXPECT_EQ(console_reader_count(), 2);
    // Stopping ends both: the copying one through its read, the waiting one without copying.
    auto state = fake.consoles.last;
    EXPECT_TRUE(console_stop());
    EXPECT_TRUE(eventually([] { return console_reader_count() == 0; }));
    EXPECT_EQ(state->exit_code(), kConsoleStopExitCode);
    EXPECT_FALSE(console_drain_into(kOtherBox, other_box));
}

TEST_F(CommandConsoleTest, FailedTerminationKeepsTheConsoleMarkedRunning) {
    ASSERT_NE(start_console(), 0u);
    ASSERT_TRUE(start_reader(kApplyBox));
    fake.consoles.last->stop_fails = true;
    EXPECT_FALSE(console_stop());
    EXPECT_TRUE(g_console_running);
    EXPECT_TRUE(eventually([] { return console_reader_count() == 0; }));
    std::string command = "dir";
    EXPECT_EQ(console_send_command(command), 0);  // its pipes are closed
    fake.consoles.last->stop_fails = false;
    EXPECT_TRUE(console_stop());
    EXPECT_FALSE(console_stop());
}

TEST_F(CommandConsoleTest, OutputSinceAMarkLeavesEarlierOutputOut) {
    ASSERT_NE(start_console(), 0u);
    ASSERT_TRUE(start_reader(kApplyBox));
    std::string box;
    fake.consoles.last->print("Successfully applied image.\r\nX:\\>");
    drain_until(kApplyBox, box, "X:\\>");
    std::uint64_t mark = console_output_mark();
    std::string bcdboot = "BCDBOOT.EXE C:\\Windows  /l zh-cn /S C:\\";
    console_send_command(bcdboot);
    fake.consoles.last->print("Failure when attempting to copy boot files.\r\n");
    EXPECT_TRUE(eventually(
        [&] { return console_output_since(mark).find("Failure") != std::string::npos; }));
    EXPECT_EQ(console_output_since(mark), "Failure when attempting to copy boot files.\r\n");
    EXPECT_EQ(console_output_since(0).find("Successfully"), 0u);
}

}  // namespace
}  // namespace qv
