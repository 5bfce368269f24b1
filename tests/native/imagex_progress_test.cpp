#include <gtest/gtest.h>

#include "fixture_files.h"
#include "jobs/imagex_progress.h"

namespace qv {
namespace {

using testing_fixtures::read_fixture;

TEST(ImagexProgress, ReadsTheLastValuesOfRecordedConsoleText) {
    std::string text = read_fixture("imagex_console/apply_success.txt");
    ASSERT_FALSE(text.empty());
    ImagexProgress p;
    parse_imagex_progress(text, kApplyingMarker, p);
    EXPECT_EQ(percent_label_text(p), "100%");
    EXPECT_EQ(progress_bar_position(p), 100);
    EXPECT_EQ(remaining_label_text(p), "剩余时间： 0 secs ");

    // Halfway through: the 45 percent line is the last one.
    std::string part = text.substr(0, text.find("[  61%"));
    parse_imagex_progress(part, kApplyingMarker, p);
    EXPECT_EQ(percent_label_text(p), " 45%");
    EXPECT_EQ(progress_bar_position(p), 45);
    EXPECT_EQ(remaining_label_text(p), "剩余时间： 4:22 mins ");

    ImagexProgress capture;
    parse_imagex_progress(read_fixture("imagex_console/capture_success.txt"), kCapturingMarker,
                          capture);
    EXPECT_EQ(capture.percent, "100");
    // The apply markers find nothing in a capture: the old values stay.
    parse_imagex_progress(read_fixture("imagex_console/capture_success.txt"), kApplyingMarker, p);
    EXPECT_EQ(p.percent, " 45");
}

TEST(ImagexProgress, ShowsZeroAndCalculatingBeforeTheFirstValues) {
    ImagexProgress p;
    parse_imagex_progress("[   0% ] Applying progress", kApplyingMarker, p);
    EXPECT_EQ(percent_label_text(p), "  0%");
    EXPECT_EQ(remaining_label_text(p), "剩余时间：正在计算");
    ImagexProgress none;
    parse_imagex_progress("", kApplyingMarker, none);
    EXPECT_EQ(percent_label_text(none), "  0%");
    EXPECT_EQ(progress_bar_position(none), 0);
    ImagexProgress odd{"999999999999", ""};
    EXPECT_EQ(progress_bar_position(odd), 100);
    ImagexProgress junk{"x5", ""};
    EXPECT_EQ(progress_bar_position(junk), 0);
}

TEST(ImagexProgress, WritesClockTexts) {
    struct Row {
        std::int64_t ms;
        const char* text;
    } rows[] = {
        {0, "00:00:00"}, {999, "00:00:00"}, {3725000, "01:02:05"}, {360000000, "0100:00:00"}};
    for (const Row& r : rows) EXPECT_EQ(ms_to_clock_text(r.ms), r.text) << r.ms;
    EXPECT_EQ(elapsed_label_text(3725), "已用时间：01:02:05");
}

TEST(ImagexJobEnd, ConcludesOnlyAfterTheToolRanAndItsOutputCameIn) {
    const std::string running_text = "X:\\>Imagex.exe /apply ...\r\n[  45% ] Applying progress";
    const std::string success_text = running_text + "\r\nSuccessfully applied image.\r\n";
    const std::string failed_text = running_text + "\r\nError applying image.\r\n\r\nX:\\>";
    const std::string prompt_only = "Microsoft Windows\r\n\r\nX:\\>";
    using E = ImagexJobEnd;
    struct Tick {
        std::uint32_t at_ms;
        bool running, cancelled;
        std::string box;
        E expected;
    };
    struct Case {
        const char* name;
        std::vector<Tick> ticks;
    } cases[] = {
        {"slow start, then success",
         {{500, false, false, prompt_only, E::Wait},
          {4000, false, false, prompt_only, E::Wait},
          {4500, true, false, running_text, E::Wait},
          {9000, false, false, running_text, E::Wait},  // last lines still on their way
          {9500, false, false, success_text, E::Succeeded}}},
        {"failure shown by the prompt after the output",
         {{500, true, false, running_text, E::Wait}, {1000, false, false, failed_text, E::Failed}}},
        {"no prompt: the output grace decides",
         {{500, true, false, running_text, E::Wait},
          {1000, false, false, running_text, E::Wait},
          {2500, false, false, running_text, E::Wait},
          {3000, false, false, running_text, E::Failed}}},
        {"the prompt before the tool ran is not its end",
         {{500, true, false, prompt_only, E::Wait},
          {1000, false, false, prompt_only, E::Wait},
          {3000, false, false, prompt_only, E::Failed}}},
        {"never started",
         {{500, false, false, prompt_only, E::Wait},
          {9999, false, false, prompt_only, E::Wait},
          {10000, false, false, prompt_only, E::Failed}}},
        {"cancelled",
         {{500, true, true, running_text, E::Wait},
          {1000, false, true, running_text, E::Cancelled}}},
        {"marker case counts",
         {{500, true, false, running_text, E::Wait},
          {1000, false, false, running_text + "\r\nsuccessfully\r\nX:\\>", E::Failed}}},
    };
    for (const Case& c : cases) {
        ImagexEndWatch watch;
        begin_imagex_end_watch(watch, 0);
        for (const Tick& t : c.ticks) {
            EXPECT_EQ(decide_imagex_end(watch, t.at_ms, t.running, t.cancelled, t.box,
                                        kApplySuccessMarker),
                      t.expected)
                << c.name << " at " << t.at_ms;
        }
    }
    // Recorded sessions: the success marker, or the prompt after the tool's error.
    for (const char* fixture : {"apply_success.txt", "apply_failure.txt"}) {
        std::string whole = read_fixture(std::string("imagex_console/") + fixture);
        ImagexEndWatch w;
        begin_imagex_end_watch(w, 0);
        EXPECT_EQ(decide_imagex_end(w, 500, true, false, whole.substr(0, whole.find("[   3%")),
                                    kApplySuccessMarker),
                  E::Wait);
        EXPECT_EQ(decide_imagex_end(w, 1000, false, false, whole, kApplySuccessMarker),
                  std::string(fixture) == "apply_success.txt" ? E::Succeeded : E::Failed)
            << fixture;
    }
    // The tick counter may wrap around while a job runs.
    ImagexEndWatch watch;
    begin_imagex_end_watch(watch, 0xFFFFFF00u);
    EXPECT_TRUE(imagex_may_be_starting(watch, 0x100u));
    EXPECT_EQ(decide_imagex_end(watch, 0x100u, false, false, prompt_only, kApplySuccessMarker),
              E::Wait);
    EXPECT_EQ(decide_imagex_end(watch, 0x100u, false, false, "Successfully imaged C:\\",
                                kCaptureSuccessMarker),
              E::Succeeded);
}

TEST(BcdbootResult, JudgesOnlyTheOutputAfterItsCommand) {
    EXPECT_TRUE(bcdboot_succeeded("Boot files SUCCESSFULLY created.\r\n"));
    EXPECT_TRUE(bcdboot_succeeded("已成功创建启动文件。\r\n"));
    EXPECT_FALSE(bcdboot_succeeded("Failure when attempting to copy boot files.\r\n"));
    EXPECT_FALSE(bcdboot_succeeded(""));
}

}  // namespace
}  // namespace qv
