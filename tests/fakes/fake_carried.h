// Carried files by name (case ignored), as a build would have embedded them.
#pragma once

#include <map>
#include <string>

#include "platform/os_carried.h"

namespace qv::fakes {

class FakeCarriedFiles : public os::CarriedFiles {
public:
    void add(const std::string& name, const std::string& bytes);
    bool carried_bytes(const std::string& name, std::string& bytes) override;

private:
    std::map<std::string, std::string> files_;
};

}  // namespace qv::fakes
