#include "fakes/console_waits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "jobs/command_console.h"

namespace qv::fakes {

bool eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

void print_and_wait_for_reader(FakeConsoleState& console, const std::string& text) {
    std::uint64_t before = console_output_mark();
    console.print(text);
    ASSERT_TRUE(eventually([&] { return console_output_mark() >= before + text.size(); }));
}

void stop_console_expecting_no_readers() {
    console_stop();
    EXPECT_TRUE(eventually([] { return console_reader_count() == 0; }));
}

bool contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

}  // namespace qv::fakes
