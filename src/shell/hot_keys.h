// System-wide hot keys on the main window (Alt+E the help, Alt+R the parameter help) and the
// tray notices for drives that arrive or go.
#pragma once

#include <string>
#include <vector>

#include "ui/runtime.h"

namespace qv {

using HotkeyAction = void (*)();

struct HotkeyEntry {
    ui::Window* window = nullptr;
    int id = 0;
    HotkeyAction action = nullptr;
};

// The registered hot keys, in registration order.
extern std::vector<HotkeyEntry> g_hotkeys;

enum : int { kHelpHotkeyId = 0x6f, kParameterHelpHotkeyId = 0x2fbd };
enum : unsigned { kModAlt = 1, kKeyE = 0x45, kKeyR = 0x52 };
enum : int { kDeviceArrival = 0x8000, kDeviceRemoveComplete = 0x8004 };

// Registers the key with the system on the window (the system drops an earlier registration of
// the same id) and appends an entry. False for id 0 or when the system refuses the key (another
// program holds it); nothing is appended then.
bool register_hotkey(ui::Window& window, unsigned modifiers, unsigned key, HotkeyAction action,
                     int id);
// 1-based position of the first entry with that id, 0 when none.
int find_hotkey_entry(int id);
// Runs the action of the first entry with the id; false when none has it (a stray hot key).
bool hotkey_dispatch(int id);
// Start-up's registration of Alt+E and Alt+R on the main window.
void register_hot_keys(ui::Window& main);

void on_help_hotkey();
void on_parameter_help_hotkey();

// The balloon text for a device-change event, or empty for events that show nothing.
std::string device_change_text(int event);

// MainWindow's HotKey and DeviceChange handlers.
void on_main_window_hotkey(ui::Event& event);
void device_change_proc(ui::Event& event);

void bind_hot_key_handlers();
void reset_hot_keys();

}  // namespace qv
