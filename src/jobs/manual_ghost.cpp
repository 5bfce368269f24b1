#include "jobs/manual_ghost.h"

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "platform/os.h"
#include "main_window/main_window.h"
#include "main_window/main_window_def.h"

namespace qv {
namespace {

constexpr const char* kBox = "manual_ghost_check";
constexpr const char* kWatchTimer = "manual_ghost_timer";
constexpr int kWatchMs = 10;

// The Ghost the box started, by executable name: a custom Ghost chosen while it runs must not
// untick the box (and allow a second start) while the first one is still open.
std::string g_manual_ghost_name;

}  // namespace

void start_ghost32(ui::Event& event) {
    ui::Window& main = *event.window;
    if (!main.checked(kBox)) {
        // Only the end of that Ghost unticks the box.
        main.set_checked(kBox, true);
        ui::show_notice("请先退出 Ghost32 主程序！", 0x30);
        return;
    }
    if (!file_exists(g_ghost_exe_path)) {
        ui::show_notice("出现错误，支持库写入失败，可能被安全软件拦截，请重启本程序！", 0x10);
        main.set_checked(kBox, false);
        return;
    }
    g_manual_ghost_name = get_file_title(g_ghost_exe_path, true);
    run_program(quote_path_for_cmd(g_ghost_exe_path), false, os::kShowNormal);
    main.start_timer(kWatchTimer, kWatchMs);
}

void watch_manual_ghost32(ui::Event& event) {
    if (is_process_running(g_manual_ghost_name)) return;
    event.window->stop_timer(kWatchTimer);
    event.window->set_checked(kBox, false);
}

void bind_manual_ghost_handlers() {
    const std::string w = ui::kMainWindowName;
    ui::bind_handler(w, kBox, ui::EventKind::Click, start_ghost32);
    ui::bind_handler(w, kWatchTimer, ui::EventKind::Timer, watch_manual_ghost32);
}

}  // namespace qv
