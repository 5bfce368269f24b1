// Message loops: modal windows inside modal windows, quitting from deep inside, popup menus.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/runtime_fixture.h"

namespace {

using qv::testing::RuntimeTest;
using qv::ui::Event;
using qv::ui::EventKind;

std::vector<std::string> g_steps;
qv::ui::Runtime* g_runtime = nullptr;
bool g_inner_quits = false;

qv::ui::WindowDef small_window(const char* name, const char* timer) {
    qv::ui::WindowDef def;
    def.name = name;
    def.caption = name;
    def.w = 240;
    def.h = 120;
    def.frameless = false;
    qv::ui::ControlDef t;
    t.role = timer;
    t.kind = qv::ui::Kind::Timer;
    def.controls.push_back(t);
    qv::ui::ControlDef label;
    label.role = "note";
    label.kind = qv::ui::Kind::Label;
    label.caption = "请稍候";
    label.x = 10;
    label.y = 10;
    def.controls.push_back(label);
    return def;
}

const qv::ui::WindowDef& outer_def() {
    static const qv::ui::WindowDef def = small_window("OuterWindow", "outer_timer");
    return def;
}
const qv::ui::WindowDef& inner_def() {
    static const qv::ui::WindowDef def = small_window("InnerWindow", "inner_timer");
    return def;
}

bool owner_enabled() {
    qv::ui::Window* outer = g_runtime->find("OuterWindow");
    return outer != nullptr && IsWindowEnabled(static_cast<qv::win32::Win32Window*>(outer)->hwnd());
}

void outer_created(Event& e) {
    g_steps.push_back("outer created");
    e.window->start_timer("outer_timer", 20);
}
void outer_timer(Event& e) {
    e.window->stop_timer("outer_timer");
    g_steps.push_back("outer opens inner");
    g_runtime->open_modal(inner_def(), e.window);
    g_steps.push_back(owner_enabled() ? "inner returned, outer enabled"
                                      : "inner returned, outer disabled");
    if (!g_runtime->quitting()) e.window->close();
}
void inner_created(Event& e) {
    g_steps.push_back(owner_enabled() ? "inner created, outer enabled"
                                      : "inner created, outer disabled");
    e.window->start_timer("inner_timer", 20);
}
void inner_timer(Event& e) {
    e.window->stop_timer("inner_timer");
    if (g_inner_quits) {
        g_steps.push_back("inner quits");
        g_runtime->quit(7);
    } else {
        g_steps.push_back("inner closes");
        e.window->close();
    }
}

class LoopTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        g_steps.clear();
        g_runtime = runtime_.get();
        g_inner_quits = false;
        qv::ui::bind_handler("OuterWindow", "", EventKind::Created, outer_created);
        qv::ui::bind_handler("OuterWindow", "outer_timer", EventKind::Timer, outer_timer);
        qv::ui::bind_handler("InnerWindow", "", EventKind::Created, inner_created);
        qv::ui::bind_handler("InnerWindow", "inner_timer", EventKind::Timer, inner_timer);
    }
};

TEST_F(LoopTest, ModalInsideModalReturnsInOrder) {
    runtime_->open_modal(outer_def(), nullptr);
    g_steps.push_back("outer returned");
    const std::vector<std::string> expected = {"outer created",
                                               "outer opens inner",
                                               "inner created, outer disabled",
                                               "inner closes",
                                               "inner returned, outer enabled",
                                               "outer returned"};
    EXPECT_EQ(expected, g_steps);
    EXPECT_FALSE(runtime_->quitting());
    EXPECT_EQ(nullptr, runtime_->find("OuterWindow"));
    EXPECT_EQ(nullptr, runtime_->find("InnerWindow"));
}

TEST_F(LoopTest, QuitEndsEveryLoop) {
    g_inner_quits = true;
    runtime_->open_modal(outer_def(), nullptr);
    g_steps.push_back("outer returned");
    const std::vector<std::string> expected = {"outer created",
                                               "outer opens inner",
                                               "inner created, outer disabled",
                                               "inner quits",
                                               "inner returned, outer enabled",
                                               "outer returned"};
    EXPECT_EQ(expected, g_steps);
    EXPECT_TRUE(runtime_->quitting());
    EXPECT_EQ(7, runtime_->run());
    // A quit leaves the windows open; the program ends around them.
    EXPECT_NE(nullptr, runtime_->find("InnerWindow"));
}

TEST_F(RuntimeTest, RunEndsWhenTheHandlerQuits) {
    qv::ui::bind_handler("SampleWindow", "watch_timer", EventKind::Timer,
                         [](Event&) { g_runtime->quit(3); });
    g_runtime = runtime_.get();
    qv::win32::Win32Window* w = open_sample();
    w->start_timer("watch_timer", 10);
    EXPECT_EQ(3, runtime_->run());
    EXPECT_TRUE(w->alive());
}

TEST_F(RuntimeTest, PopupMenuRaisesTheChosenItem) {
    qv::testing::record("SampleWindow", {{"about", EventKind::Menu}});
    qv::win32::Win32Window* w = open_sample();
    // The keys wait in the queue; the menu's own loop takes them: the first item, then Enter.
    PostMessageW(w->hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(w->hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    qv::ui::Rect at = w->rect();
    w->popup_menu("main_menu", at.x + 20, at.y + 20);
    ASSERT_EQ(1u, qv::testing::seen_events().size());
    EXPECT_EQ("about", qv::testing::seen_events()[0].role);
    EXPECT_EQ(EventKind::Menu, qv::testing::seen_events()[0].kind);
}

}  // namespace
