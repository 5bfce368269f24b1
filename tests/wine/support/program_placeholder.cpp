// Stand-in for the program's start-up until src/app provides run_program: shows the sample window
// on the installed runtime, so the runtime can be seen, scripted and photographed on its own. It is
// linked from a library after qv_core, so a run_program in qv_core is found first and this one is
// never taken (a weak symbol would not do: MinGW does not extract weak definitions from archives).
#include "app/program.h"
#include "platform/os.h"
#include "support/sample_window.h"
#include "ui/runtime.h"

namespace qv::app {

int run_program() {
    ui::Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return 1;
    static const ui::WindowDef def = testing::sample_window_def();
    runtime->open(def, nullptr);
    return runtime->run();
}

}  // namespace qv::app
