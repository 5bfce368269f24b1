// The single-instance event and the top-level windows of the desktop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::os {

enum class InstanceClaim {
    First,           // this process made the event and holds it until it ends
    AlreadyRunning,  // another process holds an event of that name
    Failed,          // the name cannot be used for an event (another kind of object has it)
};

class InstanceEvents {
public:
    virtual ~InstanceEvents() = default;
    // Creates the named event and learns whether it existed already, in one step, so two copies
    // started together cannot both see it missing.
    virtual InstanceClaim claim(const std::string& name) = 0;
};

// One top-level window of the desktop.
struct WindowEntry {
    std::uintptr_t window = 0;
    std::uint32_t process_id = 0;
    std::uint32_t thread_id = 0;
    std::string title;
    std::string class_name;
    bool visible = false;
};

class TopWindows {
public:
    virtual ~TopWindows() = default;
    // The desktop's top-level windows in its enumeration order.
    virtual std::vector<WindowEntry> list() = 0;
    // Restores the window, brings it to the foreground and sets or clears its topmost state.
    virtual void activate(std::uintptr_t window, bool topmost) = 0;
    virtual std::uint32_t own_process_id() = 0;
};

}  // namespace qv::os
