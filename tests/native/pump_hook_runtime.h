// A window runtime for tests whose message pump runs a hook, standing for a handler that runs
// while a wait processes messages; it records the program's end.
#pragma once

#include <functional>
#include <string>

#include "ui/runtime.h"

namespace qv::testing_support {

class PumpHookRuntime : public ui::Runtime {
public:
    std::function<void()> on_pump;
    int pumps = 0;
    int quit_code = -1;
    ui::Window* open(const ui::WindowDef&, ui::Window*) override { return nullptr; }
    void open_modal(const ui::WindowDef&, ui::Window*) override {}
    ui::Window* find(const std::string&) override { return nullptr; }
    void pump() override {
        ++pumps;
        if (on_pump) on_pump();
    }
    int run() override { return 0; }
    void quit(int exit_code) override { quit_code = exit_code; }
    bool quitting() const override { return quit_code >= 0; }
    ui::Rect cursor() const override { return {}; }
};

}  // namespace qv::testing_support
