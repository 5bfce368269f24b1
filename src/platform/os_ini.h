// Settings files in the Windows INI format, read only.
#pragma once

#include <string>

namespace qv::os {

class IniFiles {
public:
    virtual ~IniFiles() = default;
    // The value of `key` in `section` (both compared without regard to case), with the system's
    // trimming of blanks and enclosing quotes; empty when the file, the section or the key is
    // missing.
    virtual std::string read_value(const std::string& path, const std::string& section,
                                   const std::string& key) = 0;
};

}  // namespace qv::os
