#include "win32_instance.h"

#include <windows.h>

#include "encoding.h"
#include "handles.h"

namespace qv::win32 {
namespace {

class Win32InstanceEvents : public os::InstanceEvents {
public:
    os::InstanceClaim claim(const std::string& name) override {
        // Creating and learning whether it existed is one call: an open-then-create pair would
        // let two copies started together both find nothing and both run.
        Handle event(CreateEventW(nullptr, FALSE, FALSE, widen(name).c_str()));
        if (!event.valid()) return os::InstanceClaim::Failed;
        if (GetLastError() == ERROR_ALREADY_EXISTS) return os::InstanceClaim::AlreadyRunning;
        // The first copy holds the event until it ends; the system removes it with the process.
        held_.push_back(std::move(event));
        return os::InstanceClaim::First;
    }

private:
    std::vector<Handle> held_;
};

BOOL CALLBACK add_found_window(HWND window, LPARAM param) {
    auto* out = reinterpret_cast<std::vector<os::WindowEntry>*>(param);
    os::WindowEntry entry;
    entry.window = reinterpret_cast<std::uintptr_t>(window);
    DWORD pid = 0;
    entry.thread_id = GetWindowThreadProcessId(window, &pid);
    entry.process_id = pid;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    entry.title = narrow(title);
    wchar_t class_name[50] = {};
    GetClassNameW(window, class_name, 50);
    entry.class_name = narrow(class_name);
    entry.visible = IsWindowVisible(window) != FALSE;
    out->push_back(entry);
    return TRUE;
}

class Win32TopWindows : public os::TopWindows {
public:
    std::vector<os::WindowEntry> list() override {
        std::vector<os::WindowEntry> out;
        EnumWindows(add_found_window, reinterpret_cast<LPARAM>(&out));
        return out;
    }

    void activate(std::uintptr_t window, bool topmost) override {
        HWND w = reinterpret_cast<HWND>(window);
        ShowWindow(w, SW_RESTORE);
        SetForegroundWindow(w);
        SetWindowPos(w, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
    }

    std::uint32_t own_process_id() override { return GetCurrentProcessId(); }
};

}  // namespace

os::InstanceEvents& win32_instance_events() {
    static Win32InstanceEvents events;
    return events;
}

os::TopWindows& win32_top_windows() {
    static Win32TopWindows windows;
    return windows;
}

}  // namespace qv::win32
