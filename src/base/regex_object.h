// The regular-expression object over the platform's "VBScript.RegExp", and the two code-page
// crossings that every COM and WMI wrapper of the program shares.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qv::os {
class RegExpObject;
struct RegexMatchData;
}  // namespace qv::os

namespace qv {

// UTF-16LE bytes of a code-page-936 text, ending with the two zero bytes of a terminator unless
// cut_terminator drops them; an empty text gives an empty block.
std::string text_to_wide_bytes(const std::string& text, bool cut_terminator = false);
// Code-page-936 text of UTF-16LE bytes, "?" for characters without a form there, ending at the
// first zero byte.
std::string wide_bytes_to_text(const std::string& wide_bytes);

// A literal made into a pattern piece: ? * + [ ] ( ) { } escaped, "#引号" made a double quote, a
// line break (CR LF) made "\n". Every other character keeps its pattern meaning.
std::string regex_escape(const std::string& literal);

// One compiled pattern run once over one subject. Each object balances its own COM set-up; a copy
// shares the COM objects and the match collection and keeps its own subject.
class RegexObject {
public:
    RegexObject();
    ~RegexObject();
    RegexObject(const RegexObject& other);
    RegexObject& operator=(const RegexObject&) = delete;

    // Compiles and runs; true when a match collection was obtained (also one without matches).
    bool regex_create(const std::string& pattern, const std::string& subject,
                      bool case_sensitive = false, bool multiline = true, bool global = true,
                      bool quote_marker = false);
    // The object's "Pattern"; empty when no object is held.
    std::string regex_get_pattern() const;
    // The kept subject with the matches replaced (the object's own replacement syntax).
    std::string regex_replace(const std::string& replacement);
    int regex_match_count() const;
    // Match number index, counted from 1; position (when asked) gets its 0-based byte offset in
    // the subject, -2 when it cannot be found. Outside the collection: empty, -2.
    std::string regex_match_text(int index, int* position = nullptr) const;
    // Sub-match number submatch_index (from 1) of match number match_index (from 1).
    std::string regex_submatch_text(int match_index, int submatch_index,
                                    int* position = nullptr) const;
    // The number of sub-matches of the first match; 0 without a match.
    int regex_submatch_count() const;

private:
    void regex_release_members();
    int byte_position_of(const std::string& text, int first_index) const;

    std::shared_ptr<os::RegExpObject> regexp_;
    std::shared_ptr<const std::vector<os::RegexMatchData>> matches_;
    std::string subject_;
    bool com_balanced_ = false;
};

}  // namespace qv
