#include <gtest/gtest.h>

#include "base/tool_runner.h"
#include "platform/os_process.h"
#include "support/files.h"
#include "support/standins.h"
#include "win32_os.h"
#include "win32_process.h"

namespace qv {
namespace {

using namespace wine_support;

struct RunnerWine : testing::Test {
    void SetUp() override { win32::install_win32_os(); }
};

std::string many_lines_expected(int count) {
    std::string out;
    for (int i = 1; i <= count; ++i) out += "line " + std::to_string(i) + "\r\n";
    return out + "last line\r\n";
}

int exit_code_of(const std::string& command_line) {
    return run_captured(command_line).exit_code;
}

TEST_F(RunnerWine, CapturesTheInterpretersOutput) {
    EXPECT_EQ(run_command_capture_output("echo hello"), "hello\r\n");
    EXPECT_EQ(run_console_capture("echo hi& echo there"), "hi\r\nthere\r\n");
    EXPECT_EQ(run_command_capture_output("rem nothing"), "");
    EXPECT_EQ(exit_code_of("cmd.exe /c exit 7"), 7);
    EXPECT_EQ(
        os::os().processes->start_captured(win32::narrow(build_folder()) + "\\no-such-tool.exe"),
        nullptr);
}

TEST_F(RunnerWine, ManyLinesArriveWholeWithTheLastLine) {
    const std::string tool = win32::narrow(standin(L"manylines.exe"));
    set_env(L"QV_MANYLINES_EXIT", L"5");
    EXPECT_EQ(run_command_capture_output(tool), many_lines_expected(5000));
    EXPECT_EQ(run_console_capture(tool), many_lines_expected(5000));
    EXPECT_EQ(exit_code_of("cmd.exe /c " + tool), 5);
    // The last line written the moment the tool ends, with no pause for the reader to see it.
    set_env(L"QV_MANYLINES_TAIL_MS", L"0");
    set_env(L"QV_MANYLINES_COUNT", L"3");
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(run_command_capture_output(tool), many_lines_expected(3)) << i;
}

// A copy of the line printer under a name of this test's own, so that no other test's processes
// are found by name.
std::wstring probe_copy(const std::wstring& name) {
    std::wstring path = scratch_folder(name) + L"\\" + name;
    CopyFileW(standin(L"manylines.exe").c_str(), path.c_str(), FALSE);
    set_env(L"QV_MANYLINES_COUNT", L"0");
    set_env(L"QV_MANYLINES_TAIL_MS", L"0");
    return path;
}

TEST_F(RunnerWine, FindsProcessesWhateverTheCaseOfTheName) {
    std::wstring path = probe_copy(L"QvCaseProbe.exe");
    set_env(L"QV_MANYLINES_HANG", L"1");
    ASSERT_TRUE(run_program(win32::narrow(path), false, os::kShowHidden));
    EXPECT_TRUE(is_process_running("QVCASEPROBE.EXE"));
    EXPECT_TRUE(is_process_running("qvcaseprobe.exe"));
    EXPECT_TRUE(is_process_running("QvCaseProbe.exe", true));
    EXPECT_FALSE(is_process_running("QVCASEPROBE.EXE", true));
    std::uint32_t id = find_process_id("QVCASEPROBE.EXE");
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(os::os().processes->terminate(id, 3389));
    wait_process_end("QvCaseProbe.exe", 5);
    EXPECT_FALSE(is_process_running("QVCASEPROBE.EXE"));
}

TEST_F(RunnerWine, WaitsForAToolToEnd) {
    std::wstring path = probe_copy(L"QvWaitProbe.exe");
    set_env(L"QV_MANYLINES_DELAY_MS", L"1500");
    ASSERT_TRUE(run_program(win32::narrow(path), false, os::kShowHidden));
    DWORD start = GetTickCount();
    EXPECT_TRUE(wait_process_end("QVWAITPROBE.EXE"));
    EXPECT_GE(GetTickCount() - start, 1000u);
    EXPECT_FALSE(is_process_running("QvWaitProbe.exe"));
    EXPECT_FALSE(wait_process_end("QvWaitProbe.exe"));  // nothing left to wait for

    // A limited wait gives up after its seconds while the tool still runs.
    set_env(L"QV_MANYLINES_DELAY_MS", L"");
    set_env(L"QV_MANYLINES_HANG", L"1");
    ASSERT_TRUE(run_program(win32::narrow(path), false, os::kShowHidden));
    start = GetTickCount();
    EXPECT_FALSE(wait_process_end("QvWaitProbe.exe", 1));
    EXPECT_GE(GetTickCount() - start, 1000u);
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_TRUE(os::os().processes->terminate(find_process_id("QvWaitProbe.exe"), 0));

    // Waiting in run_program itself: the tool has ended when it returns.
    set_env(L"QV_MANYLINES_HANG", L"");
    set_env(L"QV_MANYLINES_DELAY_MS", L"500");
    EXPECT_TRUE(run_program(win32::narrow(path), true, os::kShowHidden));
    EXPECT_FALSE(is_process_running("QvWaitProbe.exe"));
    EXPECT_FALSE(run_program(win32::narrow(path) + ".missing", true, os::kShowHidden));
}

TEST_F(RunnerWine, SnapshotsLeaveNoHandleOpen) {
    // Handles are given out lowest free first: a leak shows as a higher handle value afterwards.
    HANDLE before = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(before);
    for (int i = 0; i < 100; ++i) {
        is_process_running("no-such-process.exe");  // the whole list walked
        find_process_id(i % 2 ? "qv_wine_tests.exe" : "QV_WINE_TESTS.EXE");  // a match
    }
    HANDLE after = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(after);
    EXPECT_LT(reinterpret_cast<std::uintptr_t>(after) - reinterpret_cast<std::uintptr_t>(before),
              40u);
    EXPECT_TRUE(is_process_running("qv_wine_tests.exe"));
}

}  // namespace
}  // namespace qv
