// Shell operations: shell links written through the scripting shell object.
#pragma once

#include <string>

namespace qv::os {

struct ShortcutProperties {
    std::string target_path;
    std::string working_directory;
    std::string icon_location;
    int window_style = 0;
    std::string description;
    std::string arguments;
    std::string hotkey;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Writes the link through the scripting shell object. False when the object, the link or
    // its target cannot be made, or the link cannot be saved; the other properties are set as
    // far as the object accepts them.
    virtual bool save_shortcut(const std::string& link_path, const ShortcutProperties& link) = 0;
};

}  // namespace qv::os
