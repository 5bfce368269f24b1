#include "fakes/fake_shell_files.h"

#include "fakes/fake_os.h"

namespace qv::fakes {

os::ShellTransferResult FakeShellFiles::transfer(os::ShellTransfer kind, const std::string& from,
                                                 const std::string& to, unsigned flags) {
    transfers.push_back({kind, from, to, flags});
    if (files == nullptr) return result;
    FakeFileSystem::Entry* source = files->entry(from);
    if (source == nullptr) return {2, false};
    if (result.code != 0 || result.aborted) return result;
    FakeFileSystem::Entry copy = *source;
    if (kind == os::ShellTransfer::Move) files->delete_file(from);
    files->add_file(to);
    *files->entry(to) = copy;
    return result;
}

bool FakeShellFiles::open_folder_select_item(const std::string& path, bool rename) {
    opened.push_back({path, rename});
    return open_succeeds;
}

std::intptr_t FakeShellFiles::execute_properties(const std::string& path, ui::Window* owner) {
    properties.push_back({path, owner});
    return properties_result;
}

}  // namespace qv::fakes
