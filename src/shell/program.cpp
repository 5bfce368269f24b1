#include "shell/program.h"

#include "base/state.h"
#include "disks/partition_list.h"
#include "images/image_list.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "shell/api_module.h"
#include "shell/main_window_handlers.h"
#include "shell/shell_bindings.h"
#include "shell/startup.h"

namespace qv {
namespace {

// A module start routine that has nothing to prepare; it keeps its place in the order.
void start_empty_module() {}

}  // namespace

void console_init_stub() {}

int init_console_flag() {
    g_console_running = false;
    console_init_stub();
    return 0;
}

int run_program() {
    ui::Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return 1;

    // Names without a folder (a "/backup=" file among them) are taken from the program's own
    // folder, wherever the program was started from.
    os::os().files->set_current_folder(os::os().program->run_folder());

    reset_program_state();
    reset_shell_state();

    init_console_flag();
    start_empty_module();
    api_module_init();

    ui::bind_main_window_handlers();
    bind_partition_list_handlers();
    ui::bind_image_list_handlers();
    bind_shell_handlers();
    bind_start_up();
    runtime->open(ui::main_window_def(), nullptr);
    return runtime->run();
}

}  // namespace qv
