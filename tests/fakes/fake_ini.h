// INI values read from the files of the fake file system, as the system reads them: sections and
// keys without regard to ASCII case, the first key of that name wins, blanks and one pair of
// enclosing quotes trimmed from the value.
#pragma once

#include <string>

#include "platform/os_ini.h"

namespace qv::fakes {

class FakeFileSystem;

class FakeIniFiles : public os::IniFiles {
public:
    FakeFileSystem* files = nullptr;
    std::string read_value(const std::string& path, const std::string& section,
                           const std::string& key) override;
};

}  // namespace qv::fakes
