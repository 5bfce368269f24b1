#include <gtest/gtest.h>

#include "fakes/headless_runtime.h"

namespace qv {
namespace {

using ui::EventKind;
using ui::Kind;

std::vector<std::string> g_log;

void log_event(ui::Event& e) {
    std::string what = e.role;
    if (e.kind == EventKind::Click && e.window->def().control(e.role)->kind == Kind::Check)
        what += e.window->checked(e.role) ? "+" : "-";
    g_log.push_back(what);
}

void hide_on_create(ui::Event& e) {
    e.window->hide();
}

ui::WindowDef test_window(const std::string& name) {
    ui::WindowDef def;
    def.name = name;
    def.w = 300;
    def.h = 200;
    auto add = [&](const char* role, Kind kind, const char* parent = "") {
        ui::ControlDef c;
        c.role = role;
        c.unit = role;
        c.kind = kind;
        c.parent = parent;
        c.w = 50;
        c.h = 20;
        def.controls.push_back(c);
    };
    add("box", Kind::PictureBox);
    add("a", Kind::Radio, "box");
    add("b", Kind::Radio, "box");
    add("c", Kind::Radio);
    add("tick", Kind::Check, "box");
    add("slow", Kind::Timer);
    add("fast", Kind::Timer);
    return def;
}

struct HeadlessTest : ::testing::Test {
    fakes::FakeOs os;
    fakes::HeadlessRuntime ui{&os.clock};
    ui::WindowDef def = test_window("Test");
    void SetUp() override {
        g_log.clear();
        ui::clear_bindings();
        for (const char* role : {"a", "b", "c", "tick", "slow", "fast"})
            for (EventKind kind : {EventKind::Click, EventKind::Timer})
                ui::bind_handler("Test", role, kind, log_event);
        ui::bind_handler("Test", "", EventKind::Destroyed, log_event);
    }
    void TearDown() override { ui::clear_bindings(); }
};

TEST_F(HeadlessTest, ClicksActLikeAUser) {
    ui::Window& w = *ui.open(def, nullptr);
    w.set_checked("c", true);
    fakes::click(w, "a");
    fakes::click(w, "b");  // clears a, not c: c sits in another container
    EXPECT_FALSE(w.checked("a"));
    EXPECT_TRUE(w.checked("b"));
    EXPECT_TRUE(w.checked("c"));
    fakes::click(w, "tick");
    w.set_enabled("box", false);
    EXPECT_FALSE(fakes::click(w, "tick"));  // its container is disabled
    w.set_enabled("box", true);
    w.set_visible("box", false);
    EXPECT_FALSE(fakes::click(w, "a"));
    EXPECT_EQ(g_log, (std::vector<std::string>{"a", "b", "tick+"}));
}

TEST_F(HeadlessTest, AdvanceFiresDueTimersInOrder) {
    ui::Window& w = *ui.open(def, nullptr);
    std::uint32_t start = os.clock.ticks;
    w.start_timer("slow", 50);
    w.start_timer("fast", 20);
    ui.advance(110);
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"fast", "fast", "slow", "fast", "fast", "slow", "fast"}));
    EXPECT_EQ(os.clock.ticks - start, 110u);
    w.stop_timer("fast");
    g_log.clear();
    ui.advance(40);
    EXPECT_EQ(g_log, (std::vector<std::string>{"slow"}));
    EXPECT_FALSE(fakes::fire_timer(w, "fast"));
}

TEST_F(HeadlessTest, ModalWindowsRunTheirScriptThenClose) {
    ui::Window& owner = *ui.open(test_window("Owner"), nullptr);
    bool owner_enabled_inside = true;
    ui.on_modal("Test", [&](ui::Window& w) {
        owner_enabled_inside = fakes::headless(owner).window_enabled();
        fakes::click(w, "a");
    });
    ui.open_modal(def, &owner);
    EXPECT_FALSE(owner_enabled_inside);
    EXPECT_TRUE(fakes::headless(owner).window_enabled());
    EXPECT_EQ(g_log, (std::vector<std::string>{"a", ""}));  // the click, then Destroyed
    EXPECT_EQ(ui.find("Test"), nullptr);

    ui.quit(0);
    ui.open_modal(def, &owner);
    EXPECT_EQ(ui.modal_log().size(), 1u);
}

TEST_F(HeadlessTest, ACreatedHandlerMayKeepTheWindowHidden) {
    ui::bind_handler("Test", "", EventKind::Created, hide_on_create);
    EXPECT_FALSE(ui.open(def, nullptr)->visible());
    ui::bind_handler("Test", "", EventKind::Created, nullptr);
    EXPECT_TRUE(ui.open(def, nullptr)->visible());
}

}  // namespace
}  // namespace qv
