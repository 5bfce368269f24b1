// Paths handed to the command interpreter on a command line.
#pragma once

#include <string>

namespace qv {

// True when the interpreter would split or act on the path: it holds a blank or one of
// & | < > ^ ( ) % ! , ; = (walked by character, so a trail byte is never taken for one).
bool path_needs_quotes(const std::string& path);
// The path in double quotes when it needs them, else exactly as given.
std::string quote_path_for_cmd(const std::string& path);

}  // namespace qv
