#include "shell/hot_keys.h"

#include "main_window/info_windows.h"
#include "main_window/main_window.h"

namespace qv {

std::vector<HotkeyEntry> g_hotkeys;

bool register_hotkey(ui::Window& window, unsigned modifiers, unsigned key, HotkeyAction action,
                     int id) {
    if (id == 0) return false;
    if (!window.register_hotkey(id, modifiers, key)) return false;
    g_hotkeys.push_back({&window, id, action});
    return true;
}

int find_hotkey_entry(int id) {
    for (std::size_t i = 0; i < g_hotkeys.size(); ++i)
        if (g_hotkeys[i].id == id) return static_cast<int>(i) + 1;
    return 0;
}

bool hotkey_dispatch(int id) {
    int at = find_hotkey_entry(id);
    if (at == 0 || g_hotkeys[static_cast<std::size_t>(at - 1)].action == nullptr) return false;
    g_hotkeys[static_cast<std::size_t>(at - 1)].action();
    return true;
}

void on_help_hotkey() {
    ui::open_help_window();
}
void on_parameter_help_hotkey() {
    ui::open_parameter_help_window();
}

void register_hot_keys(ui::Window& main) {
    // A key another program holds is simply not available; nothing is shown.
    register_hotkey(main, kModAlt, kKeyE, on_help_hotkey, kHelpHotkeyId);
    register_hotkey(main, kModAlt, kKeyR, on_parameter_help_hotkey, kParameterHelpHotkeyId);
}

std::string device_change_text(int event) {
    if (event == kDeviceArrival) return "检测到有驱动器插入，请刷新分区列表！";
    if (event == kDeviceRemoveComplete) return "检测到有驱动器移除，请刷新分区列表！";
    return {};
}

void on_main_window_hotkey(ui::Event& event) {
    hotkey_dispatch(event.code);
}

// The list itself is not refreshed: the user does that when the drives have settled.
void device_change_proc(ui::Event& event) {
    std::string text = device_change_text(event.code);
    if (!text.empty()) ui::show_tray_balloon("提示", text, ui::kBalloonInfo, 0);
}

void bind_hot_key_handlers() {
    ui::bind_handler(ui::kMainWindowName, "", ui::EventKind::HotKey, on_main_window_hotkey);
    ui::bind_handler(ui::kMainWindowName, "", ui::EventKind::DeviceChange, device_change_proc);
}

void reset_hot_keys() {
    g_hotkeys.clear();
}

}  // namespace qv
