// The program's name and version as its windows show them.
#pragma once

#include <string>

namespace qv {

// The first five characters of a file version ("1.9.0.0" gives "1.9.0").
std::string short_version(const std::string& file_version);
// The version of the program's own file (run folder + "\" + file name), or empty.
std::string program_file_version();
// The maker's name, the product word and the edition word: window title and tray tip.
std::string product_title();

}  // namespace qv
