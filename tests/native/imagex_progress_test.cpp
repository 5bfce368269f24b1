#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "fixture_files.h"
#include "jobs/command_console.h"
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
    ImagexProgress odd;
    odd.percent = "999999999999";
    EXPECT_EQ(progress_bar_position(odd), 100);
    ImagexProgress junk;
    junk.percent = "x5";
    EXPECT_EQ(progress_bar_position(junk), 0);
}

// The tick that reads only what the box has gained against a read of the whole box at every
// tick, over a long run in chunks of the reader's sizes: lines split anywhere, markers in other
// cases and cut short, double-byte text, and the box emptied at its limit and by a reader's start.
TEST(ImagexProgress, TickAgreesWithAReadOfTheWholeBox) {
    const std::vector<std::string> pieces = {"[ 100% ] Applying progress\r\n",
                                             "[ 3% ] Applyin",
                                             "progress:",
                                             "成功应用映像。\r\n",
                                             "\x81[ 9% ] Applying",
                                             "C:\\Windows\\system32>",
                                             "\r\n"};
    const char* const lines[] = {"[ %3d%% ] Applying progress: %d:%02d mins remaining\r\n",
                                 "[ %3d%% ] Capturing progress: %d:%02d:03 hrs remaining\r\n",
                                 "[ %3d%% ] APPLYING PROGRESS: %d%02d secs REMAINING\r\n"};
    for (const char* marker : {kApplyingMarker, kCapturingMarker}) {
        std::mt19937 random(3122);
        std::string stream;
        while (stream.size() < 300000) {
            if (random() % 3 == 0) {
                stream += pieces[random() % pieces.size()];
                continue;
            }
            char line[96];
            std::snprintf(line, sizeof line, lines[random() % 3], static_cast<int>(random() % 101),
                          static_cast<int>(random() % 60), static_cast<int>(random() % 60));
            stream += line;
        }
        ConsoleBoxText box;
        ImagexProgress ticked, whole;
        std::size_t at = 0;
        int emptied_by_limit = 0;
        while (at < stream.size()) {
            std::uint64_t emptied = box.emptied;
            if (random() % 500 == 0) {
                box.text.clear();  // a reader's start
                ++box.emptied;
            }
            // Mostly one chunk per tick; now and then a burst that fills the box past its limit
            // and beyond its old length before the next tick.
            int chunks = random() % 50 == 0 ? 1 + static_cast<int>(random() % 400) : 1;
            for (int c = 0; c < chunks && at < stream.size(); ++c) {
                std::size_t n =
                    std::min<std::size_t>(1 + random() % kConsoleChunkBytes, stream.size() - at);
                append_console_chunk(box, stream.substr(at, n));
                at += n;
            }
            emptied_by_limit += box.emptied != emptied;
            update_imagex_progress(box, marker, ticked);
            parse_imagex_progress(box.text, marker, whole);
            ASSERT_EQ(ticked.percent, whole.percent) << at;
            ASSERT_EQ(ticked.remaining, whole.remaining) << at;
        }
        EXPECT_GT(emptied_by_limit, 5);
        EXPECT_FALSE(whole.percent.empty());
    }
}

TEST(ImagexProgress, TickStartsAgainWhenTheBoxWasEmptied) {
    ConsoleBoxText box;
    ImagexProgress p;
    append_console_chunk(box, "[ 10% ] Applying progress: 9 secs remaining\r\n");
    update_imagex_progress(box, kApplyingMarker, p);
    EXPECT_EQ(p.percent, "10");
    // Emptied and filled past its old length between two ticks: the offsets of the old text mean
    // nothing in the new one.
    box.text = "xxxxxxxx[ 20% ] Applying progress: 8 secs remaining\r\n" + std::string(80, 'y');
    ++box.emptied;
    update_imagex_progress(box, kApplyingMarker, p);
    EXPECT_EQ(p.percent, "20");
    EXPECT_EQ(p.remaining, " 8 secs ");
    // Emptied and holding no value yet: the last values stay, as with a read of the whole box.
    box.text = "C:\\>";
    ++box.emptied;
    update_imagex_progress(box, kApplyingMarker, p);
    EXPECT_EQ(percent_label_text(p), "20%");
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
        {"the marker counts only where a line begins, not in the echoed command",
         {{500, true, false, "X:\\>Imagex.exe /apply \"D:\\Successfully\\a.wim\" 1 C:\\\r\n",
           E::Wait},
          {1000, false, false,
           "X:\\>Imagex.exe /apply \"D:\\Successfully\\a.wim\" 1 C:\\\r\nError applying "
           "image.\r\n\r\nX:\\>",
           E::Failed}}},
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
    ImagexEndWatch named;
    begin_imagex_end_watch(named, 0);
    EXPECT_EQ(
        decide_imagex_end(named, 20000, false, false,
                          "X:\\>Imagex.exe /capture C:\\ \"D:\\c.wim\" \"Successfully imaged\""
                          "\r\nError imaging drive.\r\n\r\nX:\\>",
                          kCaptureSuccessMarker),
        E::Failed);
}

TEST(BcdbootResult, JudgesOnlyTheOutputAfterItsCommand) {
    EXPECT_TRUE(bcdboot_succeeded("Boot files SUCCESSFULLY created.\r\n"));
    EXPECT_TRUE(bcdboot_succeeded("已成功创建启动文件。\r\n"));
    EXPECT_FALSE(bcdboot_succeeded("Failure when attempting to copy boot files.\r\n"));
    EXPECT_FALSE(bcdboot_succeeded(""));
}

}  // namespace
}  // namespace qv
