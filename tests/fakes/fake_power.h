// Session ends recorded instead of done: one line per call, "privilege" or "exit F R".
#pragma once

#include <string>
#include <vector>

#include "platform/os_power.h"

namespace qv::fakes {

class FakePower : public os::Power {
public:
    std::vector<std::string> calls;
    bool refuses = false;

    void enable_shutdown_privilege() override { calls.push_back("privilege"); }
    bool exit_windows(unsigned flags, unsigned reason) override {
        calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
        return !refuses;
    }
};

}  // namespace qv::fakes
