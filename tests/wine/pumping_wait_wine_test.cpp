// The program's one wait against the real thing: it ends with its process and gives back the exit
// code (through the command interpreter too), gives up at its time-out, and keeps the window
// answering while a tool runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "base/tool_runner.h"
#include "platform/os.h"
#include "platform/os_process.h"
#include "support/files.h"
#include "support/runtime_fixture.h"
#include "win32_os.h"

namespace qv {
namespace {

using namespace wine_support;

class PumpingWaitWine : public testing::RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        win32::install_win32_os();
        os::Os set = os::os();
        set.ui = runtime_.get();
        os::install(set);
        set_env(L"QV_MANYLINES_COUNT", L"0");
        set_env(L"QV_MANYLINES_TAIL_MS", L"0");
    }
    void TearDown() override {
        os::Os set = os::os();
        set.ui = nullptr;
        os::install(set);
        RuntimeTest::TearDown();
    }
    // A copy of the line printer under a name of this test's own, so that it can be found and
    // ended by name without touching another test's processes.
    std::string tool(const std::wstring& name) {
        std::wstring path = scratch_folder(name) + L"\\" + name;
        CopyFileW(standin(L"manylines.exe").c_str(), path.c_str(), FALSE);
        return win32::narrow(path);
    }
};

// Ends the named tool after `ms` unless it is gone by then, and wakes the waiting thread: a
// safety net, so that a wait that fails to return fails its test instead of hanging it.
std::thread end_after(const std::string& name, DWORD ms) {
    const DWORD waiter = GetCurrentThreadId();
    return std::thread([name, ms, waiter] {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            if (!is_process_running(name)) return;
            Sleep(20);
        }
        if (std::uint32_t id = find_process_id(name)) os::os().processes->terminate(id, 99);
        PostThreadMessageW(waiter, WM_NULL, 0, 0);
    });
}

TEST_F(PumpingWaitWine, EndsWithItsProcessAndKeepsTheExitCodeThroughTheInterpreter) {
    const std::string path = tool(L"QvEndProbe.exe");
    set_env(L"QV_MANYLINES_DELAY_MS", L"300");
    set_env(L"QV_MANYLINES_EXIT", L"5");
    for (const std::string& command : {path, "cmd.exe /c " + path}) {
        SCOPED_TRACE(command);
        std::unique_ptr<os::ProcessWatch> run = os::os().processes->start(command, os::kShowHidden);
        ASSERT_NE(run, nullptr);
        EXPECT_FALSE(run->ended());
        EXPECT_EQ(run->exit_code(), os::kStillActive);
        EXPECT_TRUE(run->wait(os::kWaitForever, os::Wake::OnlyOnEnd));
        EXPECT_TRUE(run->ended());
        EXPECT_EQ(run->exit_code(), 5);
    }
    std::unique_ptr<os::ProcessWatch> started = start_program(path, os::kShowHidden);
    ASSERT_NE(started, nullptr);
    EXPECT_TRUE(wait_for_process(*started));
    EXPECT_EQ(started->exit_code(), 5);
    EXPECT_EQ(start_program(path + ".missing", os::kShowHidden), nullptr);
}

TEST_F(PumpingWaitWine, GivesUpAtItsTimeOutWhileTheProcessRuns) {
    const std::string path = tool(L"QvHangProbe.exe");
    set_env(L"QV_MANYLINES_HANG", L"1");
    std::unique_ptr<os::ProcessWatch> run = os::os().processes->start(path, os::kShowHidden);
    ASSERT_NE(run, nullptr);
    EXPECT_FALSE(run->wait(200, os::Wake::OnlyOnEnd));
    EXPECT_FALSE(wait_for_process(*run, 300));
    EXPECT_FALSE(run->ended());
    const DWORD start = GetTickCount();
    delay_pumping(300);
    EXPECT_GE(GetTickCount() - start, 250u);
    ASSERT_TRUE(os::os().processes->terminate(find_process_id("QvHangProbe.exe"), 3389));
    EXPECT_TRUE(wait_for_process(*run));
    EXPECT_EQ(run->exit_code(), 3389);
}

// A message sent from another thread (as the outside probe does, and as the system does) is
// answered while the program waits without limit for a tool, whichever way it waits; the tool
// ends only after the answer.
TEST_F(PumpingWaitWine, WindowAnswersWhileAToolIsWaitedFor) {
    HWND window = open_sample()->hwnd();
    const std::string path = tool(L"QvAnswerProbe.exe");
    set_env(L"QV_MANYLINES_HANG", L"1");
    const std::function<bool()> waits[] = {
        [&] { return run_program(path, true, os::kShowHidden); },
        [&] {
            std::unique_ptr<os::ProcessWatch> run = start_program(path, os::kShowHidden);
            return run != nullptr && wait_for_process(*run);
        },
        [&] {
            run_program(path, false, os::kShowHidden);
            return wait_process_end("QvAnswerProbe.exe");
        },
        [&] { return run_command_capture_output(path).empty(); },
    };
    int way = 0;
    for (const auto& wait : waits) {
        SCOPED_TRACE(way++);
        std::atomic<bool> answered{false};
        std::thread asker([&] {
            while (!is_process_running("QvAnswerProbe.exe")) Sleep(20);
            Sleep(100);
            DWORD_PTR result = 0;
            answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
            os::os().processes->terminate(find_process_id("QvAnswerProbe.exe"), 0);
        });
        EXPECT_TRUE(wait());
        asker.join();
        EXPECT_TRUE(answered);
    }
}

// A message already in the queue wakes the wait, even one that a look at the queue has seen
// without taking it: the wait must never sleep on work that is waiting.
TEST_F(PumpingWaitWine, WaitingMessagesWakeTheWait) {
    HWND window = open_sample()->hwnd();
    const std::string path = tool(L"QvWakeProbe.exe");
    set_env(L"QV_MANYLINES_HANG", L"1");
    std::unique_ptr<os::ProcessWatch> run = os::os().processes->start(path, os::kShowHidden);
    ASSERT_NE(run, nullptr);
    std::thread safety = end_after("QvWakeProbe.exe", 10000);
    PostMessageW(window, WM_NULL, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(run->wait(os::kWaitForever, os::Wake::OnMessages)) << "slept on a waiting message";
    os::os().processes->wait_for_message(os::kWaitForever, os::Wake::OnMessages);
    EXPECT_FALSE(run->ended()) << "slept on a waiting message";
    os::os().processes->terminate(find_process_id("QvWakeProbe.exe"), 0);
    safety.join();
}

}  // namespace
}  // namespace qv
