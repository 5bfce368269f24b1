// Shell links and properties sheets recorded instead of written or shown; a saved link also
// appears as a file of the fake file system, when one is attached.
#pragma once

#include <string>
#include <vector>

#include "platform/os_shell.h"

namespace qv::fakes {

class FakeFileSystem;

class FakeShell : public os::Shell {
public:
    struct Saved {
        std::string link_path;
        os::ShortcutProperties link;
    };
    struct PropertiesRequest {
        std::string path;
        ui::Window* owner = nullptr;
    };
    std::vector<Saved> saved;
    bool fails = false;
    FakeFileSystem* files = nullptr;
    std::vector<PropertiesRequest> properties_shown;  // sheets asked for, in order

    bool save_shortcut(const std::string& link_path, const os::ShortcutProperties& link) override;
    bool show_properties(const std::string& path, ui::Window* owner) override;
};

}  // namespace qv::fakes
