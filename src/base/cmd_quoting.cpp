#include "base/cmd_quoting.h"

#include <cstring>

#include "base/helpers.h"

namespace qv {

bool path_needs_quotes(const std::string& path) {
    static const char kSpecial[] = " \t&|<>^()%!,;=";
    for (std::size_t i = 0; i < path.size(); i = next_char(path, i)) {
        if (next_char(path, i) - i == 1 && path[i] != '\0' &&
            std::strchr(kSpecial, path[i]) != nullptr)
            return true;
    }
    return false;
}

std::string quote_path_for_cmd(const std::string& path) {
    return path_needs_quotes(path) ? "\"" + path + "\"" : path;
}

}  // namespace qv
