// The Ghost switches that the main window's backup choices and password box stand for.
#pragma once

#include <string>

namespace qv {

// The compression combo's item: 0 " -z1", 1 " -z2", 2 " -z5", 3 or any other " -z9".
std::string ghost_compression_switch(int item);
// The split combo's item: 0 none, 1 to 3 " -span  -split=650 -auto" (1950, 3950), 4 or any
// other " -span".
std::string ghost_split_switch(int item);

// The password switch followed by the password, as one argument of Ghost's command line. Ghost
// is started without the command interpreter, so only a blank would split the argument: a
// password holding one goes in double quotes, as the image path in Ghost's source argument does.
// Without the switch (the password box unticked) there is no password part.
std::string ghost_password_part(const std::string& password_switch, const std::string& password);

// A double quote in the password would close or open a quoted part of Ghost's command line, and
// what follows it would reach Ghost as switches of their own: the start button refuses such a
// password with this text before anything starts.
bool ghost_password_has_quote(const std::string& password);
std::string ghost_password_quote_refusal_text();

}  // namespace qv
