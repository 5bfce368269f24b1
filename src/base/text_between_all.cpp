// A small matcher for the one pattern shape that the between-markers search builds: an escaped
// left marker, a lazy run of any characters, an escaped right marker. It keeps the matching rules
// of the platform's regular-expression object (leftmost, lazy, global, case-insensitive,
// non-overlapping) and walks code page 936 by character; it never recurses and never backtracks
// more than one marker at a time, so a 30000-byte console text costs one pass.
#include "base/text_between_all.h"

#include <cstddef>

#include "base/helpers.h"
#include "base/regex_object.h"

namespace qv {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

enum class AtomKind {
    Literal,    // one character, one or two bytes
    Any,        // "."
    Digit,      // "\d"
    NotDigit,   // "\D"
    Word,       // "\w"
    NotWord,    // "\W"
    Space,      // "\s"
    NotSpace,   // "\S"
    LineStart,  // "^" (multiline)
    LineEnd,    // "$" (multiline)
};

struct Atom {
    AtomKind kind = AtomKind::Literal;
    std::string bytes;  // Literal: the character
};

// The character after the one at `i` (the helpers' next_char, here where every byte passes by).
inline std::size_t step(const std::string& s, std::size_t i) {
    return i + 1 < s.size() && static_cast<unsigned char>(s[i]) >= 0x81 ? i + 2 : i + 1;
}

bool is_line_break(char c) {
    return c == '\n' || c == '\r';
}

char fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool is_ascii_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool is_word(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Reads an escaped marker into atoms; false for what this matcher does not take (see the header).
bool compile(const std::string& pattern, std::vector<Atom>& atoms) {
    for (std::size_t i = 0; i < pattern.size();) {
        std::size_t next = next_char(pattern, i);
        char c = pattern[i];
        Atom atom;
        if (next - i == 2) {
            atom.bytes = pattern.substr(i, 2);
        } else if (c == '\\') {
            if (next >= pattern.size()) return false;  // it would escape the capture's bracket
            std::size_t after = next_char(pattern, next);
            char e = pattern[next];
            if (after - next == 2) {
                atom.bytes = pattern.substr(next, 2);
            } else {
                switch (e) {
                    case 'n':
                        atom.bytes = "\n";
                        break;
                    case 'r':
                        atom.bytes = "\r";
                        break;
                    case 't':
                        atom.bytes = "\t";
                        break;
                    case 'f':
                        atom.bytes = "\f";
                        break;
                    case 'v':
                        atom.bytes = "\v";
                        break;
                    case 'd':
                        atom.kind = AtomKind::Digit;
                        break;
                    case 'D':
                        atom.kind = AtomKind::NotDigit;
                        break;
                    case 'w':
                        atom.kind = AtomKind::Word;
                        break;
                    case 'W':
                        atom.kind = AtomKind::NotWord;
                        break;
                    case 's':
                        atom.kind = AtomKind::Space;
                        break;
                    case 'S':
                        atom.kind = AtomKind::NotSpace;
                        break;
                    default:
                        // Back references, word boundaries and code escapes are not marker
                        // material.
                        if ((e >= '0' && e <= '9') || e == 'b' || e == 'B' || e == 'x' ||
                            e == 'u' || e == 'c') {
                            return false;
                        }
                        atom.bytes = std::string(1, e);
                }
            }
            next = after;
        } else if (c == '.') {
            atom.kind = AtomKind::Any;
        } else if (c == '^') {
            atom.kind = AtomKind::LineStart;
        } else if (c == '$') {
            atom.kind = AtomKind::LineEnd;
        } else if (c == '|' || c == '(' || c == ')' || c == '[' || c == ']' || c == '{' ||
                   c == '}' || c == '*' || c == '+' || c == '?') {
            return false;
        } else {
            atom.bytes = std::string(1, c);
        }
        atoms.push_back(std::move(atom));
        i = next;
    }
    return true;
}

// The end of the atoms matched from character boundary `at`, or kNone.
std::size_t match_at(const std::vector<Atom>& atoms, const std::string& s, std::size_t at) {
    const std::size_t n = s.size();
    std::size_t p = at;
    for (const Atom& a : atoms) {
        if (a.kind == AtomKind::LineStart) {
            if (p != 0 && !is_line_break(s[p - 1])) return kNone;
            continue;
        }
        if (a.kind == AtomKind::LineEnd) {
            if (p != n && !is_line_break(s[p])) return kNone;
            continue;
        }
        if (p >= n) return kNone;
        std::size_t q = step(s, p);
        bool wide = q - p == 2;
        char c = s[p];
        bool ok = false;
        switch (a.kind) {
            case AtomKind::Literal:
                if (a.bytes.size() == 2)
                    ok = wide && s[p] == a.bytes[0] && s[p + 1] == a.bytes[1];
                else
                    ok = !wide && fold(c) == fold(a.bytes[0]);
                break;
            case AtomKind::Any:
                ok = wide || !is_line_break(c);
                break;
            case AtomKind::Digit:
                ok = !wide && c >= '0' && c <= '9';
                break;
            case AtomKind::NotDigit:
                ok = wide || c < '0' || c > '9';
                break;
            case AtomKind::Word:
                ok = !wide && is_word(c);
                break;
            case AtomKind::NotWord:
                ok = wide || !is_word(c);
                break;
            // The ideographic space (A1 A1) is white space to the platform's object as well.
            case AtomKind::Space:
                ok = wide ? s.compare(p, 2, "\xA1\xA1") == 0 : is_ascii_space(c);
                break;
            case AtomKind::NotSpace:
                ok = wide ? s.compare(p, 2, "\xA1\xA1") != 0 : !is_ascii_space(c);
                break;
            default:
                break;
        }
        if (!ok) return kNone;
        p = q;
    }
    return p;
}

// Whether `p` begins a character, knowing that `from` (at or before it) does. The byte before a
// run of bytes of 0x81 or more ends a character, and inside the run lead and trail bytes
// alternate, so `p` is a boundary when that run is of even length.
bool is_boundary(const unsigned char* d, std::size_t from, std::size_t p) {
    std::size_t run = 0;
    while (p - run > from && d[p - run - 1] >= 0x81) ++run;
    return run % 2 == 0;
}

// The first character boundary at or after `from` (itself a boundary) where the atoms match.
std::size_t find_from(const std::vector<Atom>& atoms, const std::string& s, std::size_t from,
                      std::size_t& end) {
    const std::size_t n = s.size();
    if (atoms.empty() || atoms[0].kind != AtomKind::Literal || atoms[0].bytes.size() != 1) {
        for (std::size_t p = from; p <= n; p = step(s, p)) {
            std::size_t e = match_at(atoms, s, p);
            if (e != kNone) {
                end = e;
                return p;
            }
        }
        return kNone;
    }
    // A plain first byte: look for it (in either case) byte by byte, and ask whether a place
    // found begins a character only there. A progress tick spends its time in this loop.
    const unsigned char* d = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char a = static_cast<unsigned char>(fold(atoms[0].bytes[0]));
    const unsigned char b = a >= 'A' && a <= 'Z' ? static_cast<unsigned char>(a + 32) : a;
    for (std::size_t p = from; p < n; ++p) {
        if ((d[p] == a || d[p] == b) && is_boundary(d, from, p)) {
            std::size_t e = match_at(atoms, s, p);
            if (e != kNone) {
                end = e;
                return p;
            }
        }
    }
    return kNone;
}

// Calls `found` with the place and length of every capture, in subject order; false when a marker
// is no valid pattern piece.
template <typename Found>
bool for_each_between(const std::string& subject, const std::string& left, const std::string& right,
                      Found found) {
    std::vector<Atom> l, r;
    if (!compile(regex_escape(left), l) || !compile(regex_escape(right), r)) return false;
    std::size_t pos = 0;
    while (pos <= subject.size()) {
        std::size_t left_end = 0, right_end = 0;
        std::size_t left_at = find_from(l, subject, pos, left_end);
        if (left_at == kNone) break;
        std::size_t right_at = find_from(r, subject, left_end, right_end);
        if (right_at == kNone) break;  // no later left marker can have a right one after it
        found(left_end, right_at - left_end);
        // An empty match moves on by one character, as a global search does.
        pos = right_end == left_at ? next_char(subject, right_end) : right_end;
    }
    return true;
}

}  // namespace

int text_between_all(const std::string& subject, const std::string& left, const std::string& right,
                     std::vector<std::string>& texts, int max_length, const std::string& prefix,
                     const std::string& suffix, bool with_left, bool with_right) {
    texts.clear();
    for_each_between(subject, left, right, [&](std::size_t at, std::size_t length) {
        if (max_length != 0 && length > static_cast<std::size_t>(max_length)) return;
        std::string member = prefix;
        member.append(subject, at, length);
        member += suffix;
        if (with_left) member.insert(0, left);
        if (with_right) member += right;
        texts.push_back(std::move(member));
    });
    return static_cast<int>(texts.size());
}

bool last_text_between(const std::string& subject, const std::string& left,
                       const std::string& right, std::string& last) {
    std::size_t last_at = kNone, last_length = 0;
    for_each_between(subject, left, right, [&](std::size_t at, std::size_t length) {
        last_at = at;
        last_length = length;
    });
    if (last_at == kNone) return false;
    last = subject.substr(last_at, last_length);
    return true;
}

}  // namespace qv
