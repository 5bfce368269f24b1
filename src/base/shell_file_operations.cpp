#include "base/shell_file_operations.h"

#include "base/helpers.h"
#include "platform/os.h"
#include "platform/os_shell_files.h"

namespace qv {
namespace {

bool run_transfer(os::ShellTransfer kind, const std::string& source, const std::string& destination,
                  int option) {
    os::ShellFiles* shell = os::os().shell_files;
    if (shell == nullptr) return false;
    os::ShellTransferResult result =
        shell->transfer(kind, source, destination, shell_operation_flags(option));
    return result.code == 0 && !result.aborted;
}

}  // namespace

unsigned shell_operation_flags(int option) {
    switch (option) {
        case 2:
            return 0x400;  // no error box: the shell still asks before overwriting
        case 3:
            return 0x4;  // no progress window
        case 4:
            return 0;
        default:
            return 0x3FD;
    }
}

bool shell_move_file(const std::string& source, const std::string& destination, int option) {
    return run_transfer(os::ShellTransfer::Move, source, destination, option);
}

bool shell_copy_file(const std::string& source, const std::string& destination, int option) {
    return run_transfer(os::ShellTransfer::Copy, source, destination, option);
}

bool open_folder_select_item(const std::string& path, bool rename) {
    os::ShellFiles* shell = os::os().shell_files;
    if (shell == nullptr || !path_exists(path)) return false;
    return shell->open_folder_select_item(path, rename);
}

std::intptr_t shell_execute_properties(const std::string& path, ui::Window* owner) {
    os::ShellFiles* shell = os::os().shell_files;
    return shell == nullptr ? 0 : shell->execute_properties(path, owner);
}

bool show_properties(const std::string& path, ui::Window* owner) {
    return shell_execute_properties(path, owner) > 32;
}

}  // namespace qv
