#include "jobs/ghost_switches.h"

#include "base/helpers.h"

namespace qv {

std::string ghost_compression_switch(int item) {
    switch (item) {
        case 0:
            return " -z1";
        case 1:
            return " -z2";
        case 2:
            return " -z5";
        default:
            return " -z9";
    }
}

std::string ghost_split_switch(int item) {
    switch (item) {
        case 0:
            return "";
        case 1:
            return " -span  -split=650 -auto";
        case 2:
            return " -span  -split=1950 -auto";
        case 3:
            return " -span  -split=3950 -auto";
        default:
            return " -span";
    }
}

namespace {

// Ghost reads backslashes before a quote as escaping it: those that end the password are
// doubled before the closing quote, and Ghost reads each pair back as one. The walk goes by
// character, so the trail byte of a double-byte character never counts as one.
std::string quoted_password(const std::string& password) {
    std::size_t trailing = 0;
    for (std::size_t i = 0; i < password.size(); i = next_char(password, i))
        trailing = password[i] == '\\' ? trailing + 1 : 0;
    return "\"" + password + std::string(trailing, '\\') + "\"";
}

}  // namespace

std::string ghost_password_part(const std::string& password_switch, const std::string& password) {
    if (password_switch.empty()) return "";
    bool blank = password.find_first_of(" \t") != std::string::npos;
    return password_switch + (blank ? quoted_password(password) : password);
}

// No trail byte of a double-byte character is a double quote (they are 0x40 and above).
bool ghost_password_has_quote(const std::string& password) {
    return password.find('"') != std::string::npos;
}

std::string ghost_password_quote_refusal_text() {
    return "Gho密码不能包含双引号（\"）！";
}

}  // namespace qv
