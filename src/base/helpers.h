// Small helpers every part of the program uses: text search and cutting, path parts, existence
// tests, the Windows and system folders, a file's size, times and version, rounding for display.
// They keep no state, show nothing and never throw: a failure gives an empty text, false, 0 or -1.
//
// Texts are code-page-936 bytes. Positions are 1-based byte positions, -1 meaning not found. Every
// helper that searches or cuts walks by character: a byte of 0x81 or more leads a double-byte
// character, and its trail byte (which may be 0x5C '\' or an ASCII letter) is never taken alone.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// True for the first byte of a double-byte character.
inline bool is_lead_byte(char c) {
    return static_cast<unsigned char>(c) >= 0x81;
}

// ASCII letters folded, double-byte characters left exactly as they are.
std::string upper_ascii(const std::string& text);
std::string lower_ascii(const std::string& text);
bool equals_ignore_case(const std::string& a, const std::string& b);
bool starts_with_ignore_case(const std::string& text, const std::string& prefix);
bool contains_ignore_case(const std::string& text, const std::string& sought);

// 1-based position of `sought` at or after `start` (below 1 counts as 1), or -1. A match never
// begins on the trail byte of a double-byte character.
int find_text(const std::string& text, const std::string& sought, int start = 1,
              bool ignore_case = false);
// The part left of the first separator found from `start`; empty when it is absent.
std::string text_before(const std::string& text, const std::string& separator, int start = 1,
                        bool ignore_case = false);
// The bytes between the first left marker found from `start` and the next right marker after it;
// empty when either is missing. "#引号" in a marker stands for a double quote.
std::string text_between(const std::string& text, const std::string& left, const std::string& right,
                         int start = 1, bool ignore_case = false);

struct Replacement {
    std::string from;
    std::string to;
};
// Replaces every occurrence of each pair in turn, each pair working on the previous result.
std::string replace_all(const std::string& text, const std::string& from, const std::string& to,
                        int start = 1);
std::string replace_many(const std::string& text, std::initializer_list<Replacement> pairs,
                         int start = 1);

// The index just past the character that starts at `i` (1 or 2 bytes).
std::size_t next_char(const std::string& text, std::size_t i);
// The byte index of the last character of `text` that equals the ASCII byte `c`, or npos.
std::size_t find_last_char(const std::string& text, char c);

// Path parts.
std::string get_file_title(const std::string& path, bool keep_extension = false);
std::string path_extension(const std::string& path);
std::string drive_root_of_path(const std::string& path);
std::string with_trailing_backslash(const std::string& folder);

// Existence and facts through the system.
bool file_exists(const std::string& path);
bool path_exists(const std::string& path);
std::string full_path(const std::string& path);
std::string windows_dir();
std::string system_dir();
bool drive_exists(const std::string& drive);
// The upper-cased first letter of the Windows folder.
std::string windows_folder_letter();
bool path_is_directory(const std::string& path);
bool delete_file(const std::string& path);
// The folder of a path with its trailing backslash; one trailing backslash of the path is cut
// off first.
std::string parent_dir(const std::string& path);
// The total size of a drive in KB, -1 when it cannot be read.
std::int64_t disk_total_kib(const std::string& root);
// Whole size in KB (bytes / 1024, truncated), 0 for a missing file.
std::int64_t file_size(const std::string& path);
// "yyyy-MM-dd HH:mm:ss" for each time; the access text drops a "00:00:00" time. Outputs stay as
// they are when the file cannot be opened.
void file_time_text(const std::string& path, std::string& created, std::string& written,
                    std::string& accessed);
std::string get_file_version(const std::string& path);
// A folder ending in "\" by selector (see the table in helpers.cpp), or empty.
std::string special_folder_path(int selector = 3);
inline std::string desktop_dir() {
    return special_folder_path(3);
}

// Rounds to n decimals; a value within 1e-7 of a half goes to the even neighbour.
double round_half_even(double value, int decimals);
// The shortest text of a number with up to 13 significant digits ("2.5", "3", "1024.12").
std::string number_text(double value);

}  // namespace qv
