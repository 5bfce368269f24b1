// Disables the main window's action controls around a long action that keeps processing window
// messages, so that the user cannot start a second action meanwhile.
#pragma once

#include <string>
#include <vector>

namespace qv::ui {

// The controls, in the order they are switched.
const std::vector<std::string>& main_lock_set();

// No counter and no memory of earlier states: unlock_ui enables every control of the set,
// whatever disabled it. Both do nothing without a main window.
void lock_ui();
void unlock_ui();
// Whether a long action holds the lock (g_ui_locked): from lock_ui to the next unlock_ui.
// Actions that switch the set themselves, like the partition list's refresh, refuse to start
// meanwhile, or they would hand the controls back in the middle of that action.
bool ui_locked();

}  // namespace qv::ui
