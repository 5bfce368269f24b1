#include "jobs/whole_disk_layouts.h"

#include <memory>
#include <utility>

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/power.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "main_window/info_windows.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv {
namespace {

constexpr const char* kWatchTimer = "disk_layout_timer";
constexpr int kWatchMs = 50;

const WholeDiskLayout kLayouts[] = {{"HD3.GHO", "三"}, {"HD4.GHO", "四"}, {"HD5.GHO", "五"}};

// The very Ghost process that the running layout started: the watch asks it whether it has ended
// and how, so neither a custom Ghost chosen on the main window meanwhile nor another Ghost that
// happens to run can make the watch miss the one that writes.
std::unique_ptr<os::ProcessWatch> g_layout_ghost;

// The same file that the load command names with a doubled backslash.
std::string layout_path(const WholeDiskLayout& layout) {
    return system_dir() + layout.file;
}

bool wipe_confirmed() {
    return ui::show_notice("该操作将删除硬盘所有数据，是否继续？", os::kBoxYesNo | os::kIconInfo,
                           "警告") == os::kIdYes;
}

// A Ghost that could not be started has written nothing: that is said, and no watch runs, so the
// end report can never announce a layout that did not happen.
void start_layout(const WholeDiskLayout& layout) {
    g_layout_count_word = layout.word;
    const std::string command =
        ghost_disk_clone_command(g_ghost_exe_path, system_dir(), layout.file);
    std::unique_ptr<os::ProcessWatch> ghost = start_program(command, os::kShowNormal);
    if (!ghost) {
        ui::show_notice("Ghost启动失败，一键分" + g_layout_count_word + "未能完成！",
                        os::kIconError);
        if (g_automatic_mode) end_program(0);
        return;
    }
    g_layout_ghost = std::move(ghost);
    if (ui::Window* main = ui::main_window()) main->start_timer(kWatchTimer, kWatchMs);
}

void restore_from_command_line(const WholeDiskLayout& layout) {
    if (windows_folder_letter() != g_expected_system_letter) {
        ui::open_pe_only_notice_window();
        if (ui::Window* main = ui::main_window()) main->close();
        return;
    }
    if (!file_exists(layout_path(layout))) {
        ui::show_notice(layout_missing_text(layout), os::kIconError);
        return;
    }
    if (!wipe_confirmed()) {
        end_program(0);
        return;
    }
    start_layout(layout);
}

void restore_from_menu(const WholeDiskLayout& layout) {
    // A layout rewrites the whole disk: never on top of a job or a layout that is still writing.
    if (job_or_layout_running()) {
        ui::show_notice(ui::kBusyText, os::kIconWarning);
        return;
    }
    if (!file_exists(layout_path(layout))) {
        ui::show_notice(layout_missing_text(layout), os::kIconError);
        return;
    }
    const std::string windows = windows_dir();
    if (windows.empty() || windows[0] != 'X') {
        ui::show_notice("请在Windows PE下运行", os::kIconError);
        return;
    }
    if (!wipe_confirmed()) return;
    start_layout(layout);
}

}  // namespace

const WholeDiskLayout& whole_disk_layout(int partitions) {
    if (partitions <= 3) return kLayouts[0];
    return partitions == 4 ? kLayouts[1] : kLayouts[2];
}

std::string ghost_disk_clone_command(const std::string& ghost_exe, const std::string& system_folder,
                                     const std::string& layout_file) {
    return quote_path_for_cmd(ghost_exe) + " -nousb -clone,mode=load,src=" +
           quote_path_for_cmd(system_folder + "\\" + layout_file) + ",dst=1 -fx -sure";
}

bool job_or_layout_running() {
    return g_busy || (g_layout_ghost != nullptr && !g_layout_ghost->ended());
}

std::string layout_missing_text(const WholeDiskLayout& layout) {
    return std::string("Ghost 映象文件 ") + layout.file + " 不存在";
}

std::string layout_done_text(const std::string& word) {
    return "一键分" + word + "完成！";
}

std::string layout_failed_text(const std::string& word) {
    return "一键分" + word + "失败！";
}

void quick_restore_hd3() {
    restore_from_command_line(whole_disk_layout(3));
}
void quick_restore_hd4() {
    restore_from_command_line(whole_disk_layout(4));
}
void quick_restore_hd5() {
    restore_from_command_line(whole_disk_layout(5));
}
void quick_restore_hd3_pe() {
    restore_from_menu(whole_disk_layout(3));
}
void quick_restore_hd4_pe() {
    restore_from_menu(whole_disk_layout(4));
}
void quick_restore_hd5_pe() {
    restore_from_menu(whole_disk_layout(5));
}

void on_main_menu_three_partitions_selected(ui::Event&) {
    quick_restore_hd3_pe();
}
void on_disk_menu_three_partitions_selected(ui::Event&) {
    quick_restore_hd3_pe();
}
void on_main_menu_four_partitions_selected(ui::Event&) {
    quick_restore_hd4_pe();
}
void on_disk_menu_four_partitions_selected(ui::Event&) {
    quick_restore_hd4_pe();
}
void on_main_menu_five_partitions_selected(ui::Event&) {
    quick_restore_hd5_pe();
}
void on_disk_menu_five_partitions_selected(ui::Event&) {
    quick_restore_hd5_pe();
}

// Ghost's exit code is its verdict: only 0 has laid the disk out.
void wait_for_ghost(ui::Event& event) {
    if (g_layout_ghost && !g_layout_ghost->ended()) return;
    // Stopped before the box: the box's own message loop would otherwise let the timer fire again.
    event.window->stop_timer(kWatchTimer);
    if (!g_layout_ghost) return;
    const bool done = g_layout_ghost->exit_code() == 0;
    g_layout_ghost.reset();
    if (done)
        ui::show_notice(layout_done_text(g_layout_count_word), os::kIconWarning);
    else
        ui::show_notice(layout_failed_text(g_layout_count_word), os::kIconError);
    if (g_automatic_mode) end_program(0);
}

void reset_whole_disk_layout_state() {
    g_layout_ghost.reset();
}

void bind_whole_disk_layout_handlers() {
    const std::string w = ui::kMainWindowName;
    const std::pair<const char*, ui::Handler> items[] = {
        {"main_menu_three_partitions", on_main_menu_three_partitions_selected},
        {"disk_menu_three_partitions", on_disk_menu_three_partitions_selected},
        {"main_menu_four_partitions", on_main_menu_four_partitions_selected},
        {"disk_menu_four_partitions", on_disk_menu_four_partitions_selected},
        {"main_menu_five_partitions", on_main_menu_five_partitions_selected},
        {"disk_menu_five_partitions", on_disk_menu_five_partitions_selected},
    };
    for (const auto& [item, handler] : items)
        ui::bind_handler(w, item, ui::EventKind::Menu, handler);
    ui::bind_handler(w, kWatchTimer, ui::EventKind::Timer, wait_for_ghost);
}

}  // namespace qv
