#include "jobs/custom_ghost.h"

#include "base/helpers.h"
#include "base/state.h"
#include "jobs/image_inspection.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "platform/os_com.h"

namespace qv {
namespace {

constexpr const char* kBox = "custom_ghost_check";
constexpr const char* kDialog = "custom_ghost_dialog";

bool custom_ghost_in_use() {
    return equals_ignore_case(g_ghost_exe_path, custom_ghost_path());
}

void choose_custom_ghost(ui::Window& main) {
    const std::string chosen = main.run_file_dialog(kDialog);
    if (chosen.empty()) {
        main.set_checked(kBox, custom_ghost_in_use());
        return;
    }
    g_ghost_version_info = read_file_version_info(chosen);
    if (!describes_ghost(g_ghost_version_info.file_description)) {
        main.set_checked(kBox, false);
        ui::show_notice("您选择的不是 Ghost32 程序文件，请重新选择！ ", os::kIconWarning);
        return;
    }
    // The destination keeps its doubled backslash (the system folder ends in one already).
    const std::string destination = system_dir() + "\\" + kCustomGhostFileName;
    // The copy itself chosen again is already in place; copying a file onto itself fails.
    const bool in_place = equals_ignore_case(full_path(chosen), custom_ghost_path());
    if (!in_place && !copy_file(chosen, destination, false)) {
        // Switching to the copy anyway would run an earlier custom Ghost, or none, under the
        // version just announced.
        main.set_checked(kBox, custom_ghost_in_use());
        ui::show_notice("Ghost32 程序文件复制失败，请重新选择！", os::kIconError);
        return;
    }
    main.set_checked(kBox, true);
    g_ghost_exe_path = custom_ghost_path();
    const char* bitness = is_32bit_binary(chosen) ? " 32位 " : " 64位 ";
    ui::show_notice_balloon("您选择的Ghost版本：Ghost " + std::string(bitness) +
                            g_ghost_version_info.file_version);
}

void offer_default_ghost(ui::Window& main) {
    if (ui::show_notice("是否取消自定义Ghost32使用默认Ghost 11.5.1.2266？ ",
                        os::kBoxYesNo | os::kIconWarning) != os::kIdYes) {
        main.set_checked(kBox, true);
        return;
    }
    g_ghost_exe_path = default_ghost_path();
    ui::show_notice_balloon("您恢复了默认Ghost版本:11.5.1.2266");
}

}  // namespace

std::string custom_ghost_path() {
    return system_dir() + kCustomGhostFileName;
}
std::string default_ghost_path() {
    return windows_dir() + g_instance_name + "32.exe";
}

bool copy_file(const std::string& source, const std::string& destination, bool fail_if_exists) {
    return os::os().files->copy_file(source, destination, fail_if_exists);
}

bool is_32bit_binary(const std::string& path) {
    os::BinaryTypes* types = os::os().binary_types;
    const int type = types == nullptr ? -1 : types->binary_type(path);
    return type == 0 || type == -1;
}

bool describes_ghost(const std::string& file_description) {
    return upper_ascii(file_description) == "SYMANTEC GHOST";
}

void on_custom_ghost_toggled(ui::Event& event) {
    ui::Window& main = *event.window;
    if (main.checked(kBox))
        choose_custom_ghost(main);
    else
        offer_default_ghost(main);
}

void bind_custom_ghost_handlers() {
    ui::bind_handler(ui::kMainWindowName, kBox, ui::EventKind::Click, on_custom_ghost_toggled);
}

}  // namespace qv
