#include "shell/shortcut.h"

#include "base/helpers.h"
#include "base/state.h"
#include "platform/os.h"
#include "platform/os_shell.h"

namespace qv {

bool create_shortcut(const std::string& link_name, const std::string& target_path,
                     const std::string& arguments, const std::string& icon_location,
                     int window_style, const std::string& description, const std::string& hotkey) {
    std::size_t name_slash = find_last_char(link_name, '\\');
    std::string name =
        name_slash == std::string::npos ? link_name : link_name.substr(name_slash + 1);
    if (!contains_ignore_case(name, ".lnk")) name += ".lnk";
    // Without the desktop folder the link would land in whatever the current folder is.
    std::string desktop = desktop_dir();
    if (desktop.empty()) return false;
    std::string link_path = desktop + name;
    if (file_exists(link_path)) os::os().files->delete_file(link_path);

    std::size_t target_slash = find_last_char(target_path, '\\');
    if (target_slash == std::string::npos) return false;

    os::ShortcutProperties link;
    link.target_path = target_path;
    link.working_directory = target_path.substr(0, target_slash + 1);
    if (!icon_location.empty())
        link.icon_location = icon_location;
    else if (path_extension(target_path).empty())
        link.icon_location = "SHELL32.dll,4";
    else
        link.icon_location = target_path + ",0";
    link.window_style = window_style;
    link.description = description;
    link.arguments = arguments;
    link.hotkey = hotkey;
    return os::os().shell->save_shortcut(link_path, link);
}

std::string program_shortcut_name() {
    return g_maker_name + "Velquist" + ".lnk";
}

std::string program_shortcut_path() {
    return desktop_dir() + program_shortcut_name();
}

bool create_program_shortcut() {
    os::Program& program = *os::os().program;
    return create_shortcut(program_shortcut_name(),
                           program.run_folder() + "\\" + program.file_name());
}

}  // namespace qv
