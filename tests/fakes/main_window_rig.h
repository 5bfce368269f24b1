// The program on fakes: the seam's fakes, the headless runtime, fresh program-wide state and the
// main window's handlers bound. Tests arrange the fakes, then open the main window as its
// definition makes it (open_main_window) or run the whole program entry with its start-up
// (start_program).
#pragma once

#include "fakes/fake_os.h"
#include "fakes/headless_runtime.h"

namespace qv::fakes {

struct MainWindowRig {
    FakeOs os;
    HeadlessRuntime ui{&os.clock};
    int exit_code = 0;

    MainWindowRig();
    ~MainWindowRig();
    MainWindowRig(const MainWindowRig&) = delete;
    MainWindowRig& operator=(const MainWindowRig&) = delete;

    // MainWindow as its definition makes it: no start-up sequence runs.
    ui::Window& open_main_window();
    // The program entry with the start-up sequence; the main window afterwards, or null when
    // it is gone. The entry's result is kept in exit_code.
    ui::Window* start_program();
};

}  // namespace qv::fakes
