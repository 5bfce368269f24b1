#include "base/regex_object.h"

#include <cstring>

#include "base/helpers.h"
#include "platform/os.h"
#include "platform/os_com.h"

namespace qv {

std::string text_to_wide_bytes(const std::string& text, bool cut_terminator) {
    os::TextCodec* codec = os::os().codec;
    return codec == nullptr ? std::string() : codec->text_to_wide_bytes(text, cut_terminator);
}

std::string wide_bytes_to_text(const std::string& wide_bytes) {
    os::TextCodec* codec = os::os().codec;
    return codec == nullptr ? std::string() : codec->wide_bytes_to_text(wide_bytes);
}

std::string regex_escape(const std::string& literal) {
    // One walk by character: the markers are escaped every time a search compiles them.
    static const char kQuoteWord[] = "#引号";
    static const char kEscaped[] = "?*+[](){}";
    std::string out;
    out.reserve(literal.size() + 8);
    for (std::size_t i = 0; i < literal.size();) {
        std::size_t next = next_char(literal, i);
        if (literal[i] == '#' && literal.compare(i, sizeof kQuoteWord - 1, kQuoteWord) == 0) {
            out += '"';
            i += sizeof kQuoteWord - 1;
        } else if (literal[i] == '\r' && i + 1 < literal.size() && literal[i + 1] == '\n') {
            out += "\\n";
            i += 2;
        } else {
            if (next == i + 1 && literal[i] != '\0' && std::strchr(kEscaped, literal[i]) != nullptr)
                out += '\\';
            out.append(literal, i, next - i);
            i = next;
        }
    }
    return out;
}

RegexObject::RegexObject() {
    os::Com* com = os::os().com;
    com_balanced_ = com != nullptr && com->initialize();
}

RegexObject::RegexObject(const RegexObject& other)
    : regexp_(other.regexp_), matches_(other.matches_), subject_(other.subject_) {
    os::Com* com = os::os().com;
    com_balanced_ = com != nullptr && com->initialize();
}

RegexObject::~RegexObject() {
    regex_release_members();
    subject_.clear();
    // Only a set-up of our own is undone: the thread may be in another COM mode for its windows.
    if (com_balanced_ && os::os().com != nullptr) os::os().com->uninitialize();
}

void RegexObject::regex_release_members() {
    matches_.reset();
    regexp_.reset();
}

bool RegexObject::regex_create(const std::string& pattern, const std::string& subject,
                               bool case_sensitive, bool multiline, bool global,
                               bool quote_marker) {
    regex_release_members();
    os::Com* com = os::os().com;
    if (com == nullptr) return false;
    std::unique_ptr<os::RegExpObject> created = com->create_regexp();
    if (!created) return false;
    regexp_ = std::move(created);
    regexp_->set_ignore_case(!case_sensitive);
    regexp_->set_multiline(multiline);
    regexp_->set_global(global);
    regexp_->set_pattern(quote_marker ? replace_all(pattern, "#引号", "\"") : pattern);
    subject_ = subject;
    auto found = std::make_shared<std::vector<os::RegexMatchData>>();
    if (!regexp_->execute(subject_, *found)) return false;
    matches_ = std::move(found);
    return true;
}

std::string RegexObject::regex_get_pattern() const {
    return regexp_ ? regexp_->pattern() : std::string();
}

std::string RegexObject::regex_replace(const std::string& replacement) {
    std::string result;
    if (!regexp_ || !regexp_->replace(subject_, replacement, result)) return {};
    return result;
}

int RegexObject::regex_match_count() const {
    return matches_ ? static_cast<int>(matches_->size()) : 0;
}

int RegexObject::byte_position_of(const std::string& text, int first_index) const {
    // FirstIndex counts UTF-16 units, never more than the byte offset in the subject, so the
    // search from there meets the match itself first.
    int found = find_text(subject_, text, first_index + 1);
    return found == -1 ? -2 : found - 1;
}

std::string RegexObject::regex_match_text(int index, int* position) const {
    if (position != nullptr) *position = -2;
    if (index < 1 || index > regex_match_count()) return {};
    const os::RegexMatchData& m = (*matches_)[static_cast<std::size_t>(index - 1)];
    if (position != nullptr) *position = byte_position_of(m.value, m.first_index);
    return m.value;
}

std::string RegexObject::regex_submatch_text(int match_index, int submatch_index,
                                             int* position) const {
    if (position != nullptr) *position = -2;
    if (match_index < 1 || match_index > regex_match_count()) return {};
    const os::RegexMatchData& m = (*matches_)[static_cast<std::size_t>(match_index - 1)];
    if (submatch_index < 1 || submatch_index > static_cast<int>(m.submatches.size())) return {};
    const std::string& text = m.submatches[static_cast<std::size_t>(submatch_index - 1)];
    if (position != nullptr) *position = byte_position_of(text, m.first_index);
    return text;
}

int RegexObject::regex_submatch_count() const {
    if (regex_match_count() == 0) return 0;
    return static_cast<int>((*matches_)[0].submatches.size());
}

}  // namespace qv
