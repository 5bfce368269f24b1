// The program's shortcut on the desktop, written through the scripting shell object.
#pragma once

#include <string>

namespace qv {

// Writes a desktop link named `link_name` (its file-name part; ".lnk" added unless it contains
// one) to `target_path`, replacing a link of that name. An empty icon gives "SHELL32.dll,4" for
// a target without an extension, else the target with ",0". False when the target has no "\",
// the desktop folder is unknown, or the link cannot be made and saved.
bool create_shortcut(const std::string& link_name, const std::string& target_path,
                     const std::string& arguments = "", const std::string& icon_location = "",
                     int window_style = 0, const std::string& description = "",
                     const std::string& hotkey = "");

// The program's own link: maker's name + "Velquist" + ".lnk" on the desktop.
std::string program_shortcut_name();
std::string program_shortcut_path();
// Start-up's and "/e"'s call: the link to this program file, window style 0, no other texts.
bool create_program_shortcut();

}  // namespace qv
