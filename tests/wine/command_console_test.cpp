// The persistent console against the system's own cmd.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "base/state.h"
#include "jobs/command_console.h"
#include "platform/os.h"
#include "support/files.h"
#include "win32_console.h"
#include "win32_os.h"

namespace qv {
namespace {

const ConsoleTarget kBox{reinterpret_cast<const ui::Window*>(0x10), "console_box"};

bool eventually(const std::function<bool()>& condition, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

bool is_whole_gbk(const std::string& chunk) {
    return chunk.empty() || MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, chunk.data(),
                                                static_cast<int>(chunk.size()), nullptr, 0) > 0;
}

class RealConsole : public ::testing::Test {
protected:
    void SetUp() override {
        win32::install_win32_os();
        g_console_running = false;
    }
    void TearDown() override {
        console_stop();
        EXPECT_TRUE(eventually([] { return console_reader_count() == 0; }));
    }
    // Drains chunk by chunk until the box holds `wanted`.
    bool drain_until(const std::string& wanted) {
        return eventually([&] {
            console_take_output(kBox, [&](bool clear, const std::string& chunk) {
                chunks.push_back(chunk);
                if (clear)
                    box.clear();
                else
                    append_console_chunk(box, chunk);
            });
            return box.find(wanted) != std::string::npos;
        });
    }
    std::string box;
    std::vector<std::string> chunks;
};

TEST_F(RealConsole, RunsCommandsWritesAPromptForClsAndStopsWithItsExitCode) {
    std::uint32_t pid = start_console();
    ASSERT_NE(pid, 0u);
    EXPECT_EQ(start_console(), pid);
    ASSERT_TRUE(console_start_reader(kBox.window, kBox.box));
    std::string echo = "  echo first line  ";
    EXPECT_EQ(console_send_command(echo),
              static_cast<int>(std::string("echo first line\r\n").size()));
    ASSERT_TRUE(drain_until("first line")) << box;
    std::string echo2 = "echo 提示成功";
    console_send_command(echo2);
    ASSERT_TRUE(drain_until("提示成功")) << box;

    std::string cls = "cls";
    EXPECT_EQ(console_send_command(cls), 3);
    std::string prompt = get_system_directory() + ">";
    ASSERT_TRUE(drain_until("提示成功")) << box;
    ASSERT_TRUE(eventually([&] {
        console_take_output(
            kBox, [&](bool, const std::string& chunk) { append_console_chunk(box, chunk); });
        return box.size() >= prompt.size() &&
               box.compare(box.size() - prompt.size(), prompt.size(), prompt) == 0;
    })) << box;
    EXPECT_NE(box.find("提示成功"), std::string::npos);  // cls leaves the old text

    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(console_stop());
    EXPECT_FALSE(g_console_running);
    EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, kConsoleStopExitCode);
    CloseHandle(process);
    EXPECT_TRUE(eventually([] { return console_reader_count() == 0; }));
}

TEST_F(RealConsole, ChunksStayWithinTheBufferAndKeepCharactersWhole) {
    ASSERT_NE(start_console(), 0u);
    ASSERT_TRUE(console_start_reader(kBox.window, kBox.box));
    ASSERT_TRUE(drain_until(">")) << box;
    // One ASCII letter, then double-byte characters: reads of 260 bytes would cut them in halves.
    std::string line = "x";
    for (int i = 0; i < 700; ++i) line += "成";
    std::string command = "echo " + line;
    console_send_command(command);
    ASSERT_TRUE(drain_until(line)) << box.size();
    for (const std::string& chunk : chunks) {
        EXPECT_LE(chunk.size(), static_cast<std::size_t>(kConsoleChunkBytes) + 1);
        EXPECT_TRUE(is_whole_gbk(chunk)) << chunk.size();
    }
    EXPECT_GT(chunks.size(), 5u);
}

TEST_F(RealConsole, StopEndsTheReaderWhileAToolStillHoldsTheOutput) {
    // The stand-in waits three seconds holding the interpreter's output pipe, as a running imagex
    // would after its window was closed.
    std::wstring tool = wine_support::standin(L"PECMD.exe");
    if (!wine_support::exists(tool)) GTEST_SKIP() << "no stand-in tools";
    SetEnvironmentVariableW(L"QV_PECMD_DELAY_MS", L"3000");
    ASSERT_NE(start_console(), 0u);
    SetEnvironmentVariableW(L"QV_PECMD_DELAY_MS", nullptr);
    ASSERT_TRUE(console_start_reader(kBox.window, kBox.box));
    ASSERT_TRUE(drain_until(">"));
    int wide_length = WideCharToMultiByte(936, 0, tool.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string command(static_cast<std::size_t>(wide_length - 1), '\0');
    WideCharToMultiByte(936, 0, tool.c_str(), -1, command.data(), wide_length, nullptr, nullptr);
    console_send_command(command);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(console_stop());
    EXPECT_TRUE(eventually([] { return console_reader_count() == 0; }, 1500));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(2000));
}

TEST(Win32Console, OnlyTheInterpretersOwnEndsWereInheritable) {
    win32::Win32Consoles consoles;
    std::unique_ptr<os::ConsoleProcess> process = consoles.start_hidden("cmd.exe", "C:\\");
    ASSERT_NE(process, nullptr);
    auto* win = static_cast<win32::Win32ConsoleProcess*>(process.get());
    win32::Win32ConsoleProcess::PipeEnds ends = win->pipe_ends();
    for (HANDLE h : {ends.stdin_read, ends.stdin_write, ends.stdout_read, ends.stdout_write}) {
        DWORD flags = 0;
        ASSERT_TRUE(GetHandleInformation(h, &flags));
        EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
    }
    EXPECT_TRUE(consoles.nt_family());
    EXPECT_TRUE(process->stop(kConsoleStopExitCode));
    EXPECT_TRUE(process->stop(kConsoleStopExitCode));  // already gone: still stopped
    char buffer[16];
    EXPECT_EQ(process->read_output(buffer, 16), 0);
    EXPECT_EQ(process->write_input("dir\r\n"), -1);
}

}  // namespace
}  // namespace qv
