// Shell file operations recorded; a move or copy that the scripted shell lets succeed also
// happens in the fake file system, when one is attached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os_shell_files.h"

namespace qv::fakes {

class FakeFileSystem;

class FakeShellFiles : public os::ShellFiles {
public:
    struct Transfer {
        os::ShellTransfer kind = os::ShellTransfer::Move;
        std::string from;
        std::string to;
        unsigned flags = 0;
    };
    struct Opened {
        std::string path;
        bool rename = false;
    };
    struct Properties {
        std::string path;
        ui::Window* owner = nullptr;
    };

    // What the shell answers; a missing source answers 2 whatever this says.
    os::ShellTransferResult result{0, false};
    bool open_succeeds = true;
    std::intptr_t properties_result = 42;

    std::vector<Transfer> transfers;
    std::vector<Opened> opened;
    std::vector<Properties> properties;
    FakeFileSystem* files = nullptr;

    os::ShellTransferResult transfer(os::ShellTransfer kind, const std::string& from,
                                     const std::string& to, unsigned flags) override;
    bool open_folder_select_item(const std::string& path, bool rename) override;
    std::intptr_t execute_properties(const std::string& path, ui::Window* owner) override;
};

}  // namespace qv::fakes
