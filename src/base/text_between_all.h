// Every text between a left and a right marker, the one way the program pulls values out of tool
// output (imagex progress lines, the edition list of an image).
#pragma once

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

}  // namespace qv
