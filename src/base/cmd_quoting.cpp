#include "base/cmd_quoting.h"

#include <cstring>

#include "base/helpers.h"

namespace qv {
namespace {

// A quote added after `piece`: the backslashes that end it must stay backslashes.
void close_piece(std::string& out, const std::string& piece) {
    std::size_t trailing = 0;
    for (std::size_t i = 0; i < piece.size(); i = next_char(piece, i))
        trailing = piece[i] == '\\' && next_char(piece, i) == i + 1 ? trailing + 1 : 0;
    out += piece;
    out.append(trailing, '\\');
    out += '"';
}

}  // namespace

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

std::string cmd_argument(const std::string& text) {
    std::string out = "\"";
    std::string piece;
    for (std::size_t i = 0; i < text.size(); i = next_char(text, i)) {
        std::size_t next = next_char(text, i);
        if (next - i == 1 && text[i] == '%') {
            close_piece(out, piece);
            piece.clear();
            out += "%\"";
        } else {
            piece.append(text, i, next - i);
        }
    }
    close_piece(out, piece);
    return out;
}

std::string cmd_path_argument(const std::string& path) {
    return path_needs_quotes(path) ? cmd_argument(path) : path;
}

bool cmd_can_carry(const std::string& text) {
    // No trail byte of a double-byte character lies below 0x40.
    for (char c : text)
        if (c == '"' || (static_cast<unsigned char>(c) < 0x20)) return false;
    return true;
}

}  // namespace qv
