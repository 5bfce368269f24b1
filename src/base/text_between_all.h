// Every text between a left and a right marker, the one way the program pulls values out of tool
// output (imagex progress lines, the edition list of an image).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qv {

// Fills `texts` (emptied first) with every text between `left` and `right` in subject order and
// returns how many there are. The markers are read as pattern pieces after regex_escape, so "."
// matches any one character but a line break, "^" and "$" match at line edges, and "\" escapes
// the next character. Letters compare without regard to ASCII case; a double-byte character is
// one character and compares exactly. The capture is the shortest run up to the first right
// marker, line breaks included; the next search begins after that right marker, so results never
// overlap. A marker that is not a valid pattern piece (it ends with "\", or uses alternation,
// groups, classes or quantifiers through a backslash of its own) gives 0 results.
// Captures longer than max_length bytes (when it is not 0) are skipped; each member is prefix,
// capture, suffix, with the caller's left marker before it and right marker after it on request.
int text_between_all(const std::string& subject, const std::string& left, const std::string& right,
                     std::vector<std::string>& texts, int max_length = 0,
                     const std::string& prefix = {}, const std::string& suffix = {},
                     bool with_left = false, bool with_right = false);

// The last member of text_between_all (without max_length and the shaping) into `last`; false,
// with `last` untouched, when there is none. The members before it are found but not kept.
bool last_text_between(const std::string& subject, const std::string& left,
                       const std::string& right, std::string& last);

// The same search over a text that only grows at its end, such as a console box between two
// emptyings: each update looks only at the bytes that earlier ones could not decide on (the
// markers compiled once, the search resumed where the last complete match ended), and gives what
// text_between_all and last_text_between give for the whole text. Markers that look at the end of
// the text ("$") or take no character are searched over the whole text at every update.
class TextBetweenSearch {
public:
    struct Markers;

    TextBetweenSearch() = default;  // no markers: finds nothing
    TextBetweenSearch(const std::string& left, const std::string& right);
    bool searches_for(const std::string& left, const std::string& right) const;

    // Brings the search up to date with `text`: the text of the last update with bytes appended
    // at its end, or, with `restart` (the text was emptied or replaced since), any text, searched
    // again from its first byte. A text shorter than the last one restarts the search as well.
    void update(const std::string& text, bool restart = false);
    // The number of members text_between_all finds in the text of the last update.
    int count() const;
    // The last of them (`text` being the text of the last update); false, with `out` untouched,
    // when there is none.
    bool last(const std::string& text, std::string& out) const;

private:
    struct State {
        std::size_t scan = 0;  // the first character where a marker may still begin
        bool seeking_right = false;
        std::size_t left_end = 0;  // seeking the right marker: where the capture begins
        int count = 0;
        std::size_t last_at = 0;
        std::size_t last_length = 0;
    };
    void advance(State& state, const std::string& text, std::size_t n, bool growing) const;

    std::shared_ptr<const Markers> markers_;  // shared by copies: it never changes
    State settled_;                           // what no later byte can change
    State found_;                             // the text as it is now
    std::size_t seen_ = 0;                    // the length of the text of the last update
};

}  // namespace qv
