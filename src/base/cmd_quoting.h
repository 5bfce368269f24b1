// Paths and names on a command line: started directly, or handed to the command interpreter
// (cmd.exe /c, or typed into the persistent console).
#pragma once

#include <string>

namespace qv {

// True when the interpreter would split or act on the path: it holds a blank or one of
// & | < > ^ ( ) % ! , ; = (walked by character, so a trail byte is never taken for one).
bool path_needs_quotes(const std::string& path);
// The path in double quotes when it needs them, else exactly as given: for a command line that
// is started directly, which no interpreter reads.
std::string quote_path_for_cmd(const std::string& path);

// One argument of a line that the interpreter reads, in double quotes, so that the tool receives
// exactly the text. The interpreter replaces %NAME% of a variable it knows before it looks at
// quotes, and no escape stops it inside them; a name it does not know stays as written. So each
// "%" stands between two quoted pieces: the name it would begin starts with a quote, which no
// variable's name does, and the tool's own reading of its command line joins the pieces and the
// "%" into the one argument again. Backslashes before each quote added are doubled, since the
// tool would read them as escaping it. Text without "%" that does not end in a backslash is the
// quoted text itself.
std::string cmd_argument(const std::string& text);
// The same, but only when the path needs quotes; else exactly as given.
std::string cmd_path_argument(const std::string& path);

// False for a text that no quoting carries through the interpreter as one argument: a double
// quote ends the quoting, and a line end (any control character) ends the typed line.
bool cmd_can_carry(const std::string& text);

}  // namespace qv
