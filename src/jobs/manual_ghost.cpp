#include "jobs/manual_ghost.h"

#include <memory>

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "main_window/main_window.h"
#include "main_window/main_window_def.h"
#include "platform/os.h"

namespace qv {
namespace {

constexpr const char* kBox = "manual_ghost_check";
constexpr const char* kWatchTimer = "manual_ghost_timer";
constexpr int kWatchMs = 10;

// The very Ghost process that the box started: a custom Ghost chosen while it runs, or another
// Ghost that happens to run, must neither untick the box (and allow a second start) while this
// one is still open nor keep it ticked after this one has gone.
std::unique_ptr<os::ProcessWatch> g_manual_ghost;

}  // namespace

void start_ghost32(ui::Event& event) {
    ui::Window& main = *event.window;
    if (!main.checked(kBox)) {
        // Only the end of that Ghost unticks the box.
        main.set_checked(kBox, true);
        ui::show_notice("请先退出 Ghost32 主程序！", os::kIconWarning);
        return;
    }
    if (!file_exists(g_ghost_exe_path)) {
        ui::show_notice("出现错误，支持库写入失败，可能被安全软件拦截，请重启本程序！",
                        os::kIconError);
        main.set_checked(kBox, false);
        return;
    }
    // A Ghost that did not start has ended at once: the first look unticks the box.
    g_manual_ghost = start_program(quote_path_for_cmd(g_ghost_exe_path), os::kShowNormal);
    main.start_timer(kWatchTimer, kWatchMs);
}

void watch_manual_ghost32(ui::Event& event) {
    if (g_manual_ghost && !g_manual_ghost->ended()) return;
    g_manual_ghost.reset();
    event.window->stop_timer(kWatchTimer);
    event.window->set_checked(kBox, false);
}

void reset_manual_ghost_state() {
    g_manual_ghost.reset();
}

void bind_manual_ghost_handlers() {
    const std::string w = ui::kMainWindowName;
    ui::bind_handler(w, kBox, ui::EventKind::Click, start_ghost32);
    ui::bind_handler(w, kWatchTimer, ui::EventKind::Timer, watch_manual_ghost32);
}

}  // namespace qv
