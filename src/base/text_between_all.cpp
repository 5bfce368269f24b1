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
constexpr std::size_t kMore = static_cast<std::size_t>(-2);

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
    atoms.reserve(pattern.size());  // no more atoms than bytes
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

// The end of the atoms matched from character boundary `at` of the first `n` bytes of `s`, or
// kNone. A text that may still grow (`growing`) answers kMore where the atoms run past its end
// before they are decided; its `n` then never ends inside a character.
std::size_t match_at(const std::vector<Atom>& atoms, const std::string& s, std::size_t at,
                     std::size_t n, bool growing) {
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
        if (p >= n) return growing ? kMore : kNone;
        std::size_t q = p + 1 < n && static_cast<unsigned char>(s[p]) >= 0x81 ? p + 2 : p + 1;
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

// The first character boundary at or after `from` (itself a boundary) of the first `n` bytes of
// `s` where the atoms match, or kNone. Growing, it may instead answer kMore, with `end` set to the
// first boundary where the atoms are not decided yet; no match begins before it.
std::size_t find_from(const std::vector<Atom>& atoms, const std::string& s, std::size_t from,
                      std::size_t n, bool growing, std::size_t& end) {
    if (atoms.empty() || atoms[0].kind != AtomKind::Literal || atoms[0].bytes.size() != 1) {
        for (std::size_t p = from; p <= n;
             p = p + 1 < n && static_cast<unsigned char>(s[p]) >= 0x81 ? p + 2 : p + 1) {
            std::size_t e = match_at(atoms, s, p, n, growing);
            if (e == kMore) {
                end = p;
                return kMore;
            }
            if (e != kNone) {
                end = e;
                return p;
            }
        }
        if (!growing) return kNone;
        end = n;
        return kMore;
    }
    // A plain first byte: look for it (in either case) byte by byte, and ask whether a place
    // found begins a character only there. A progress tick spends its time in this loop.
    const unsigned char* d = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char a = static_cast<unsigned char>(fold(atoms[0].bytes[0]));
    const unsigned char b = a >= 'A' && a <= 'Z' ? static_cast<unsigned char>(a + 32) : a;
    for (std::size_t p = from; p < n; ++p) {
        if ((d[p] == a || d[p] == b) && is_boundary(d, from, p)) {
            std::size_t e = match_at(atoms, s, p, n, growing);
            if (e == kMore) {
                end = p;
                return kMore;
            }
            if (e != kNone) {
                end = e;
                return p;
            }
        }
    }
    if (!growing) return kNone;
    end = n;
    return kMore;
}

}  // namespace

// Both markers compiled; `valid` false when one of them is no pattern piece.
struct TextBetweenSearch::Markers {
    std::string left, right;
    std::vector<Atom> l, r;
    bool valid = false;
    // Whether what has been decided about a text holds for every text that extends it: each
    // marker takes at least one character, and neither looks at the end of the text ("$").
    bool resumable = false;
};

namespace {

std::shared_ptr<const TextBetweenSearch::Markers> compile_markers(const std::string& left,
                                                                  const std::string& right) {
    auto m = std::make_shared<TextBetweenSearch::Markers>();
    m->left = left;
    m->right = right;
    m->valid = compile(regex_escape(left), m->l) && compile(regex_escape(right), m->r);
    auto steady = [](const std::vector<Atom>& atoms) {
        bool takes = false;
        for (const Atom& a : atoms) {
            if (a.kind == AtomKind::LineEnd) return false;
            takes = takes || a.kind != AtomKind::LineStart;
        }
        return takes;
    };
    m->resumable = m->valid && steady(m->l) && steady(m->r);
    return m;
}

// Calls `found` with the place and length of every capture, in subject order.
template <typename Found>
void for_each_between(const TextBetweenSearch::Markers& m, const std::string& subject,
                      Found found) {
    const std::size_t n = subject.size();
    std::size_t pos = 0;
    while (pos <= n) {
        std::size_t left_end = 0, right_end = 0;
        std::size_t left_at = find_from(m.l, subject, pos, n, false, left_end);
        if (left_at == kNone) break;
        std::size_t right_at = find_from(m.r, subject, left_end, n, false, right_end);
        if (right_at == kNone) break;  // no later left marker can have a right one after it
        found(left_end, right_at - left_end);
        // An empty match moves on by one character, as a global search does.
        pos = right_end == left_at ? next_char(subject, right_end) : right_end;
    }
}

}  // namespace

int text_between_all(const std::string& subject, const std::string& left, const std::string& right,
                     std::vector<std::string>& texts, int max_length, const std::string& prefix,
                     const std::string& suffix, bool with_left, bool with_right) {
    texts.clear();
    auto m = compile_markers(left, right);
    if (!m->valid) return 0;
    for_each_between(*m, subject, [&](std::size_t at, std::size_t length) {
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
    auto m = compile_markers(left, right);
    if (!m->valid) return false;
    std::size_t last_at = kNone, last_length = 0;
    for_each_between(*m, subject, [&](std::size_t at, std::size_t length) {
        last_at = at;
        last_length = length;
    });
    if (last_at == kNone) return false;
    last = subject.substr(last_at, last_length);
    return true;
}

TextBetweenSearch::TextBetweenSearch(const std::string& left, const std::string& right)
    : markers_(compile_markers(left, right)) {}

bool TextBetweenSearch::searches_for(const std::string& left, const std::string& right) const {
    return markers_ != nullptr && markers_->left == left && markers_->right == right;
}

void TextBetweenSearch::update(const std::string& text, bool restart) {
    if (restart || text.size() < seen_) settled_ = State{};
    seen_ = text.size();
    if (markers_ == nullptr || !markers_->valid) {
        found_ = State{};
        return;
    }
    const Markers& m = *markers_;
    if (!m.resumable) {
        found_ = State{};
        for_each_between(m, text, [this](std::size_t at, std::size_t length) {
            ++found_.count;
            found_.last_at = at;
            found_.last_length = length;
        });
        return;
    }
    // A lead byte at the very end still waits for its trail byte: what has been decided stops
    // before it, and the text as it is now is searched from there without deciding anything.
    std::size_t steady_end = text.size();
    const auto* d = reinterpret_cast<const unsigned char*>(text.data());
    if (steady_end > settled_.scan && d[steady_end - 1] >= 0x81 &&
        is_boundary(d, settled_.scan, steady_end - 1))
        --steady_end;
    advance(settled_, text, steady_end, true);
    found_ = settled_;
    if (steady_end < text.size()) advance(found_, text, text.size(), false);
}

void TextBetweenSearch::advance(State& state, const std::string& text, std::size_t n,
                                bool growing) const {
    const Markers& m = *markers_;
    for (;;) {
        std::size_t end = 0;
        const std::vector<Atom>& atoms = state.seeking_right ? m.r : m.l;
        std::size_t at = find_from(atoms, text, state.scan, n, growing, end);
        if (at == kMore) {
            state.scan = end;
            return;
        }
        if (at == kNone) return;
        if (!state.seeking_right) {
            state.seeking_right = true;
            state.left_end = end;
            state.scan = end;
            continue;
        }
        ++state.count;
        state.last_at = state.left_end;
        state.last_length = at - state.left_end;
        state.seeking_right = false;
        state.scan = end;  // a match takes at least two characters: never an empty one here
    }
}

int TextBetweenSearch::count() const {
    return found_.count;
}

bool TextBetweenSearch::last(const std::string& text, std::string& out) const {
    if (found_.count == 0 || found_.last_at + found_.last_length > text.size()) return false;
    out.assign(text, found_.last_at, found_.last_length);
    return true;
}

}  // namespace qv
