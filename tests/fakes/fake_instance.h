// Instance events held by name (the other copies of the program), and a scripted desktop.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/os_instance.h"

namespace qv::fakes {

class FakeInstanceEvents : public os::InstanceEvents {
public:
    std::set<std::string> held;      // names another copy holds, and those claimed here
    std::set<std::string> unusable;  // names taken by another kind of object
    std::vector<std::string> claims;
    os::InstanceClaim claim(const std::string& name) override;
};

class FakeTopWindows : public os::TopWindows {
public:
    std::vector<os::WindowEntry> windows;
    std::vector<std::pair<std::uintptr_t, bool>> activated;
    std::uint32_t own_id = 42;
    std::vector<os::WindowEntry> list() override { return windows; }
    void activate(std::uintptr_t window, bool topmost) override {
        activated.emplace_back(window, topmost);
    }
    std::uint32_t own_process_id() override { return own_id; }
};

}  // namespace qv::fakes
