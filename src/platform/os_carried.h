// The tool files the program carries inside itself, by the file names the build embedded.
#pragma once

#include <string>

namespace qv::os {

class CarriedFiles {
public:
    virtual ~CarriedFiles() = default;
    // The bytes carried under this file name (case ignored); false when the build carries no
    // such file.
    virtual bool carried_bytes(const std::string& name, std::string& bytes) = 0;
};

}  // namespace qv::os
