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

// The lock around an action that the user starts from the main window itself, such as the image
// search: taken only when no long action holds the set already (held() says whether it was), and
// on release (or destruction) the set is unlocked with the controls that were disabled before
// staying disabled, so that the action hands back the window as it found it.
class ScopedUiLock {
public:
    ScopedUiLock();
    ~ScopedUiLock();
    ScopedUiLock(const ScopedUiLock&) = delete;
    ScopedUiLock& operator=(const ScopedUiLock&) = delete;
    bool held() const { return held_; }
    void release();

private:
    std::vector<std::string> disabled_before_;
    bool held_ = false;
};

}  // namespace qv::ui
