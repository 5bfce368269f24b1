#include "fakes/main_window_rig.h"

#include "base/state.h"
#include "disks/partition_list.h"
#include "images/image_list.h"
#include "main_window/main_window.h"
#include "shell/main_window_handlers.h"
#include "shell/program.h"
#include "shell/shell_bindings.h"

namespace qv::fakes {

MainWindowRig::MainWindowRig() {
    reset_program_state();
    reset_shell_state();
    ui::clear_bindings();
    ui::bind_main_window_handlers();
    bind_partition_list_handlers();
    ui::bind_image_list_handlers();
    bind_shell_handlers();
}

MainWindowRig::~MainWindowRig() {
    ui::clear_bindings();
}

ui::Window& MainWindowRig::open_main_window() {
    return *ui.open(ui::main_window_def(), nullptr);
}

ui::Window* MainWindowRig::start_program() {
    exit_code = run_program();
    return ui::main_window();
}

}  // namespace qv::fakes
