// Shell links recorded instead of written; a saved link also appears as a file of the fake file
// system, when one is attached.
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
    std::vector<Saved> saved;
    bool fails = false;
    FakeFileSystem* files = nullptr;

    bool save_shortcut(const std::string& link_path, const os::ShortcutProperties& link) override;
};

}  // namespace qv::fakes
