// The shell's own handling of single files: moving and copying with its progress and prompts,
// Explorer opened on a file's folder with the file selected, and a file's properties sheet.
#pragma once

#include <cstdint>
#include <string>

namespace qv::ui {
class Window;
}

namespace qv::os {

enum class ShellTransfer { Move, Copy };

struct ShellTransferResult {
    int code = -1;         // the shell's own result; 0 when the operation ran
    bool aborted = false;  // the user declined some of it (an overwrite prompt, a cancel)
};

class ShellFiles {
public:
    virtual ~ShellFiles() = default;
    // One file from one path to another, without an owner window, with the shell's FOF_ flags.
    virtual ShellTransferResult transfer(ShellTransfer kind, const std::string& from,
                                         const std::string& to, unsigned flags) = 0;
    // Explorer on the folder of the item with the item selected (its name in edit mode when
    // `rename`). False when no item list can be made for the path or the shell refuses.
    virtual bool open_folder_select_item(const std::string& path, bool rename) = 0;
    // The "properties" verb on the path, owned by the window when given; the instance value the
    // shell reports (above 32 when the sheet was shown).
    virtual std::intptr_t execute_properties(const std::string& path, ui::Window* owner) = 0;
};

}  // namespace qv::os
