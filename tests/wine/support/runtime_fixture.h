// Shared pieces of the window runtime's Wine tests: a fresh runtime per test, a record of the
// events that bound handlers saw, and a message pump with a deadline.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/sample_window.h"
#include "ui/runtime.h"
#include "win32_runtime.h"

namespace qv::testing {

struct SeenEvent {
    std::string role;
    ui::EventKind kind;
    int index;
    int code;
    std::vector<std::string> files;
    bool checked_then;  // the state of a check box or radio while its handler ran
};

std::vector<SeenEvent>& seen_events();
// A handler that records the event (and the checked state of its control).
void record_event(ui::Event& event);
// Binds record_event for these (role, kind) pairs of the window.
void record(const std::string& window,
            const std::vector<std::pair<std::string, ui::EventKind>>& pairs);
// Processes messages until the condition holds or the time is up; returns the condition.
bool pump_until(const std::function<bool()>& condition, int timeout_ms = 3000);
// The lines of the notice log written since the test began (UTF-8 converted to GBK).
std::vector<std::string> notice_log_lines();

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    win32::Win32Window* open_sample();

    std::unique_ptr<win32::Win32Runtime> runtime_;
    ui::WindowDef sample_ = sample_window_def();
    std::wstring log_path_;
};

}  // namespace qv::testing
