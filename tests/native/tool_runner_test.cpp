#include <gtest/gtest.h>

#include <memory>

#include "base/tool_runner.h"
#include "fakes/fake_os.h"
#include "pump_hook_runtime.h"

namespace qv {
namespace {

using Script = fakes::FakeProcesses::Script;
using testing_support::PumpHookRuntime;

TEST(CaptureRunners, BuildTheirCommandLines) {
    fakes::FakeOs fake;
    fake.files.system = "X:\\WINDOWS\\system32";
    EXPECT_EQ(console_capture_command_line("omnifs32.exe info"),
              "X:\\WINDOWS\\system32\\cmd.exe /c omnifs32.exe info");
    EXPECT_EQ(command_capture_command_line("imagex /INFO x"), "cmd.exe /c imagex /INFO x");
    fake.processes.nt = false;
    EXPECT_EQ(console_capture_command_line("omnifs32.exe info"),
              "command.com /c omnifs32.exe info");
    EXPECT_EQ(command_capture_command_line("imagex /INFO x"), "command.com /c imagex /INFO x");

    run_console_capture("dir");
    ASSERT_EQ(fake.processes.launches.size(), 1u);
    EXPECT_TRUE(fake.processes.launches[0].captured);
    EXPECT_EQ(fake.processes.launches[0].command_line, "command.com /c dir");
}

TEST(CaptureRunners, ReturnWholeOutputAndReadInTheirOwnSizes) {
    fakes::FakeOs fake;
    std::string big(3000, 'x');
    fake.processes.scripts.push_back({"big", "", big, "", 0, 3});
    EXPECT_EQ(run_console_capture("big"), big);
    EXPECT_EQ(fake.processes.read_sizes, (std::vector<std::size_t>{1023, 1023, 954}));

    fake.processes.read_sizes.clear();
    EXPECT_EQ(run_command_capture_output("big"), big);
    EXPECT_EQ(fake.processes.read_sizes, (std::vector<std::size_t>{3000}));
}

TEST(CaptureRunners, KeepOutputWrittenJustBeforeTheEnd) {
    for (auto runner : {run_console_capture, run_command_capture_output}) {
        fakes::FakeOs fake;
        fake.processes.scripts.push_back({"", "", "first\r\n", "last line\r\n", 0, 2});
        EXPECT_EQ(runner("tool"), "first\r\nlast line\r\n");
    }
}

TEST(CaptureRunners, EdgeOutputs) {
    struct Row {
        const char* what;
        Script script;
        std::string expected;
    } rows[] = {
        {"nothing written", {"", "", "", "", 0, 1}, ""},
        {"a chunk ends at its zero byte", {"", "", std::string("abc\0def", 7), "", 0, 0}, "abc"},
        {"the process does not start", {"", "", "never", "", 0, 0, true}, ""},
    };
    for (const Row& r : rows) {
        fakes::FakeOs fake;
        fake.processes.scripts.push_back(r.script);
        EXPECT_EQ(run_command_capture_output("x"), r.expected) << r.what;
        EXPECT_EQ(run_console_capture("x"), r.expected) << r.what;
    }
}

TEST(CaptureRunners, ProcessMessagesBetweenPolls) {
    fakes::FakeOs fake;
    PumpHookRuntime runtime;
    os::os().ui = &runtime;
    fake.processes.scripts.push_back({"", "", "", "", 0, 5});
    run_command_capture_output("x");
    EXPECT_GE(runtime.pumps, 5);
}

TEST(RunProgram, ClampsTheShowStateAndPassesTheLineAsIs) {
    fakes::FakeOs fake;
    struct Row {
        int show, passed;
    } rows[] = {{-3, 1}, {0, 1}, {1, 1}, {2, 2}, {6, 6}, {7, 6}, {100, 6}};
    for (const Row& r : rows) {
        fake.processes.launches.clear();
        EXPECT_TRUE(run_program("X:\\WINDOWS\\BOOTICE.EXE /x", false, r.show));
        ASSERT_EQ(fake.processes.launches.size(), 1u);
        EXPECT_EQ(fake.processes.launches[0].show, r.passed) << r.show;
        EXPECT_EQ(fake.processes.launches[0].command_line, "X:\\WINDOWS\\BOOTICE.EXE /x");
    }
    fake.processes.scripts.push_back({"missing", "", "", "", 0, 0, true});
    EXPECT_FALSE(run_program("missing.exe", true));
}

// Waiting for a tool is a wait on the process the start gave back, with messages processed until
// it ends; without waiting the caller gets that process to ask about its end and exit code.
TEST(RunProgram, WaitsOnTheStartedProcessAndGivesItBack) {
    fakes::FakeOs fake;
    PumpHookRuntime runtime;
    os::os().ui = &runtime;
    fake.processes.scripts.push_back({"ISO.exe", "", "", "", 3, 4});
    EXPECT_TRUE(run_program("ISO.exe /D:Z /I:D:\\a.iso", true, os::kShowHidden));
    ASSERT_EQ(fake.processes.launches.size(), 1u);
    EXPECT_TRUE(fake.processes.launches[0].wait);
    EXPECT_FALSE(fake.processes.running("ISO.exe"));
    EXPECT_GE(runtime.pumps, 4);

    std::unique_ptr<os::ProcessWatch> tool = start_program("ISO.exe /q", os::kShowHidden);
    ASSERT_NE(tool, nullptr);
    EXPECT_FALSE(fake.processes.launches[1].wait);
    EXPECT_EQ(tool->exit_code(), os::kStillActive);
    EXPECT_TRUE(wait_for_process(*tool));
    EXPECT_EQ(tool->exit_code(), 3);
    fake.processes.scripts.push_back({"gone.exe", "", "", "", 0, 0, true});
    EXPECT_EQ(start_program("gone.exe", os::kShowNormal), nullptr);
}

// A started program is given up to a second to become idle for input (its window up), with
// messages processed meanwhile; a console tool, idle at once, is not waited for at all.
TEST(StartProgram, GivesAWindowUpToASecondToAppear) {
    struct Row {
        int busy_for_input;
        std::uint32_t min_ms, max_ms;
    } rows[] = {{0, 0, 0}, {3, 30, 30}, {-1, 1000, 1000}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.busy_for_input);
        fakes::FakeOs fake;
        PumpHookRuntime runtime;
        os::os().ui = &runtime;
        Script s;
        s.polls = -1;
        s.busy_for_input = r.busy_for_input;
        fake.processes.scripts.push_back(s);
        std::uint32_t start = fake.clock.ticks;
        EXPECT_TRUE(run_program("Norvex32.exe", false));
        EXPECT_GE(fake.clock.ticks - start, r.min_ms);
        EXPECT_LE(fake.clock.ticks - start, r.max_ms);
        EXPECT_EQ(runtime.pumps > 0, r.busy_for_input != 0);
        EXPECT_TRUE(fake.processes.running("Norvex32.exe"));
    }
}

// Every wait sleeps in the seam's wait until a message, its process's end or its time; only an
// ending program's waits stop waking for messages, since its own quit message would wake them
// again and again.
TEST(WaitPumping, SleepsInTheSeamAndWakesForMessagesUnlessTheProgramEnds) {
    for (bool ending : {false, true}) {
        SCOPED_TRACE(ending ? "ending" : "running");
        fakes::FakeOs fake;
        PumpHookRuntime runtime;
        os::os().ui = &runtime;
        if (ending) runtime.quit(0);
        fake.processes.add_process("tool.exe", 5);
        std::uint32_t start = fake.clock.ticks;
        EXPECT_TRUE(wait_process_end("tool.exe"));
        EXPECT_FALSE(wait_pumping(nullptr, 300));
        EXPECT_GE(fake.clock.ticks - start, 300u);
        ASSERT_FALSE(fake.processes.wakes.empty());
        for (os::Wake wake : fake.processes.wakes)
            EXPECT_EQ(wake, ending ? os::Wake::OnlyOnEnd : os::Wake::OnMessages);
    }
}

TEST(ProcessLookup, ComparesNamesWithoutCaseUnlessExact) {
    fakes::FakeOs fake;
    fake.processes.add_process("Imagex.exe");
    std::uint32_t second = fake.processes.add_process("imagex.exe");
    EXPECT_TRUE(is_process_running("IMAGEX.EXE"));
    EXPECT_TRUE(is_process_running("imagex.exe", true));
    EXPECT_FALSE(is_process_running("IMAGEX.EXE", true));
    EXPECT_FALSE(is_process_running("imagex"));
    EXPECT_EQ(find_process_id("imagex.exe", true), second);
    EXPECT_NE(find_process_id("imagex.exe"), second);  // the first in the snapshot
}

TEST(WaitProcessEnd, WaitsForTheFirstProcessOfThatName) {
    fakes::FakeOs fake;
    PumpHookRuntime runtime;
    os::os().ui = &runtime;
    fake.processes.add_process("BOOTICE.exe", 4);
    std::uint32_t later = fake.processes.add_process("bootice.exe", -1);
    EXPECT_TRUE(wait_process_end("BOOTICE.EXE"));
    EXPECT_TRUE(fake.processes.find(later) != nullptr && !fake.processes.find(later)->ended);
    EXPECT_GT(runtime.pumps, 0);
}

TEST(WaitProcessEnd, FalseAtOnceWhenNothingRunsOrItCannotBeOpened) {
    fakes::FakeOs fake;
    std::uint32_t ticks = fake.clock.ticks;
    EXPECT_FALSE(wait_process_end("ZrNorvex32.exe", 5));
    fake.processes.add_process("ZrNorvex32.exe", -1);
    fake.processes.open_fails = true;
    EXPECT_FALSE(wait_process_end("ZrNorvex32.exe"));
    EXPECT_EQ(fake.clock.ticks, ticks);
}

TEST(WaitProcessEnd, LimitedWaitEndsAfterItsSecondsOrWithTheProcess) {
    fakes::FakeOs fake;
    fake.processes.add_process("hang.exe", -1);
    std::uint32_t start = fake.clock.ticks;
    EXPECT_FALSE(wait_process_end("hang.exe", 3));
    EXPECT_GE(fake.clock.ticks - start, 3000u);
    EXPECT_LT(fake.clock.ticks - start, 3300u);

    // Two waits in a row: the second counts its own seconds from zero.
    start = fake.clock.ticks;
    EXPECT_FALSE(wait_process_end("hang.exe", 2));
    EXPECT_GE(fake.clock.ticks - start, 2000u);
    EXPECT_LT(fake.clock.ticks - start, 2300u);

    fake.processes.add_process("short.exe", 3);
    EXPECT_TRUE(wait_process_end("short.exe", 2000));
}

TEST(WaitProcessEnd, NestedWaitLeavesTheOuterCountAlone) {
    fakes::FakeOs fake;
    PumpHookRuntime runtime;
    os::os().ui = &runtime;
    fake.processes.add_process("outer.exe", -1);
    fake.processes.add_process("inner.exe", -1);
    bool inner_ran = false;
    bool inner_result = true;
    std::uint32_t inner_ticks = 0;
    runtime.on_pump = [&] {
        if (inner_ran) return;
        inner_ran = true;  // a handler that starts a second wait inside the first
        std::uint32_t t = fake.clock.ticks;
        inner_result = wait_process_end("inner.exe", 2);
        inner_ticks = fake.clock.ticks - t;
    };
    std::uint32_t start = fake.clock.ticks;
    EXPECT_FALSE(wait_process_end("outer.exe", 3));
    std::uint32_t outer_ticks = fake.clock.ticks - start;
    EXPECT_TRUE(inner_ran);
    EXPECT_FALSE(inner_result);
    EXPECT_GE(inner_ticks, 2000u);
    // The outer wait ends three seconds after its own start, the inner wait's time included.
    EXPECT_GE(outer_ticks, 3000u);
    EXPECT_LT(outer_ticks, 3300u);
}

TEST(DelayPumping, WaitsAtLeastTheTimeWhileProcessingMessages) {
    fakes::FakeOs fake;
    PumpHookRuntime runtime;
    os::os().ui = &runtime;
    std::uint32_t start = fake.clock.ticks;
    delay_pumping(2000);
    EXPECT_GE(fake.clock.ticks - start, 2000u);
    EXPECT_LT(fake.clock.ticks - start, 2020u);
    EXPECT_GE(runtime.pumps, 200);
}

}  // namespace
}  // namespace qv
