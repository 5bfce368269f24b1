// The notification-area icon of a window and its balloon notices.
#pragma once

#include <string>

namespace qv::win32 {

// The longest head of a code-page-936 text that fits in `max_bytes` without splitting a
// double-byte character (the balloon's title holds 63 bytes, its text 255).
std::string cut_at_character(const std::string& text, size_t max_bytes);

// The balloon's icon kind as the shell takes it: 0 none, 1 information, 2 warning, 3 error; any
// other number is the information icon.
int balloon_icon_kind(int icon);

}  // namespace qv::win32
