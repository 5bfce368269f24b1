#include "fakes/fake_shell.h"

#include "fakes/fake_os.h"

namespace qv::fakes {

bool FakeShell::save_shortcut(const std::string& link_path, const os::ShortcutProperties& link) {
    if (fails) return false;
    saved.push_back({link_path, link});
    if (files != nullptr) files->add_file(link_path, "link to " + link.target_path);
    return true;
}

}  // namespace qv::fakes
