// The common file dialogs of a window's OpenDialog and SaveDialog controls.
#pragma once

#include <string>

namespace qv::win32 {

// The dialog filter as the common dialog takes it: "desc|pattern|desc|pattern" with every bar a
// terminator and the list ending in two. The bar is split after conversion, where it cannot be
// the second byte of a double-byte character.
std::wstring dialog_filter(const std::string& filter);

// The extension the dialog appends to a name typed without one: ".Gho" gives "Gho".
std::wstring dialog_default_ext(const std::string& ext);

// The dialog's flags. An open dialog takes only a file that exists. A save dialog does not ask
// about a file that exists: what the path is chosen for asks before anything is written over it
// (the start button before a backup, the shell before a move or an export), and the user would
// be asked twice.
unsigned long file_dialog_flags(bool save);

}  // namespace qv::win32
