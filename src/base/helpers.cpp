#include "base/helpers.h"

#include <cmath>
#include <cstdio>

#include "platform/os.h"
#include "platform/os_drives.h"

namespace qv {
namespace {

char fold(char c, bool ignore_case) {
    return ignore_case && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `sought` stands at byte `at` of `text`; double-byte characters compare exactly.
bool matches_at(const std::string& text, std::size_t at, const std::string& sought,
                bool ignore_case) {
    for (std::size_t j = 0; j < sought.size();) {
        if (is_lead_byte(sought[j]) && j + 1 < sought.size()) {
            if (text[at + j] != sought[j] || text[at + j + 1] != sought[j + 1]) return false;
            j += 2;
        } else {
            if (fold(text[at + j], ignore_case) != fold(sought[j], ignore_case)) return false;
            j += 1;
        }
    }
    return true;
}

std::string two_digits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string date_text(const os::LocalTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-", t.year);
    return buf + two_digits(t.month) + "-" + two_digits(t.day);
}

std::string clock_text(const os::LocalTime& t) {
    return two_digits(t.hour) + ":" + two_digits(t.minute) + ":" + two_digits(t.second);
}

std::string map_case(const std::string& text, char from_lo, char from_hi, int delta) {
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); i = next_char(out, i)) {
        if (out[i] >= from_lo && out[i] <= from_hi) out[i] = static_cast<char>(out[i] + delta);
    }
    return out;
}

}  // namespace

std::size_t next_char(const std::string& text, std::size_t i) {
    if (i < text.size() && is_lead_byte(text[i]) && i + 1 < text.size()) return i + 2;
    return i + 1;
}

std::size_t find_last_char(const std::string& text, char c) {
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i < text.size(); i = next_char(text, i))
        if (text[i] == c) found = i;
    return found;
}

std::string upper_ascii(const std::string& text) {
    return map_case(text, 'a', 'z', 'A' - 'a');
}
std::string lower_ascii(const std::string& text) {
    return map_case(text, 'A', 'Z', 'a' - 'A');
}

bool equals_ignore_case(const std::string& a, const std::string& b) {
    return a.size() == b.size() && upper_ascii(a) == upper_ascii(b);
}

bool starts_with_ignore_case(const std::string& text, const std::string& prefix) {
    return find_text(text, prefix, 1, true) == 1 || prefix.empty();
}

bool contains_ignore_case(const std::string& text, const std::string& sought) {
    return find_text(text, sought, 1, true) != -1;
}

int find_text(const std::string& text, const std::string& sought, int start, bool ignore_case) {
    if (text.empty() || sought.empty()) return -1;
    std::size_t from = static_cast<std::size_t>(start < 1 ? 1 : start) - 1;
    if (from >= text.size() || text.size() - from < sought.size()) return -1;
    // Walk from the beginning so that the start itself is a character boundary.
    std::size_t i = 0;
    while (i < from) i = next_char(text, i);
    for (; i + sought.size() <= text.size(); i = next_char(text, i)) {
        if (matches_at(text, i, sought, ignore_case)) return static_cast<int>(i) + 1;
    }
    return -1;
}

std::string text_before(const std::string& text, const std::string& separator, int start,
                        bool ignore_case) {
    int at = find_text(text, separator, start, ignore_case);
    if (at == -1) return {};
    return text.substr(0, static_cast<std::size_t>(at - 1));
}

std::string text_between(const std::string& text, const std::string& left, const std::string& right,
                         int start, bool ignore_case) {
    std::string l = replace_all(left, "#引号", "\"");
    std::string r = replace_all(right, "#引号", "\"");
    int at = find_text(text, l, start, ignore_case);
    if (at == -1) return {};
    int begin = at + static_cast<int>(l.size());
    int end = find_text(text, r, begin, ignore_case);
    if (end == -1) return {};
    return text.substr(static_cast<std::size_t>(begin - 1), static_cast<std::size_t>(end - begin));
}

std::string replace_all(const std::string& text, const std::string& from, const std::string& to,
                        int start) {
    if (from.empty()) return text;
    std::string out;
    std::size_t first = static_cast<std::size_t>(start < 1 ? 1 : start) - 1;
    if (first > text.size()) return text;
    out.reserve(text.size());
    std::size_t copied = 0;
    int pos = find_text(text, from, static_cast<int>(first) + 1);
    while (pos != -1) {
        std::size_t at = static_cast<std::size_t>(pos - 1);
        out.append(text, copied, at - copied);
        out += to;
        copied = at + from.size();
        pos = find_text(text, from, static_cast<int>(copied) + 1);
    }
    out.append(text, copied, std::string::npos);
    return out;
}

std::string replace_many(const std::string& text, std::initializer_list<Replacement> pairs,
                         int start) {
    std::string out = text;
    for (const Replacement& p : pairs) out = replace_all(out, p.from, p.to, start);
    return out;
}

std::string get_file_title(const std::string& path, bool keep_extension) {
    std::size_t slash = find_last_char(path, '\\');
    std::size_t slash2 = find_last_char(path, '/');
    if (slash2 != std::string::npos && (slash == std::string::npos || slash2 > slash))
        slash = slash2;
    std::size_t colon = find_last_char(path, ':');
    if (colon != std::string::npos && (slash == std::string::npos || colon > slash)) slash = colon;
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() >= 256) return {};
    if (!keep_extension) name.resize(name.size() - path_extension(name).size());
    return name;
}

std::string path_extension(const std::string& path) {
    // The shell's rule: the last dot of the last path component, not followed by a blank.
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < path.size(); i = next_char(path, i)) {
        char c = path[i];
        if (c == '\\' || c == '/' || c == ' ')
            dot = std::string::npos;
        else if (c == '.')
            dot = i;
    }
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string drive_root_of_path(const std::string& path) {
    return path.substr(0, 3);
}

std::string with_trailing_backslash(const std::string& folder) {
    if (folder.empty()) return folder;
    std::size_t last = find_last_char(folder, '\\');
    return last == folder.size() - 1 ? folder : folder + "\\";
}

bool file_exists(const std::string& path) {
    return os::os().files->path_exists(path);
}
bool path_exists(const std::string& path) {
    return os::os().files->path_exists(path);
}
std::string full_path(const std::string& path) {
    return os::os().files->full_path(path);
}
std::string windows_dir() {
    return with_trailing_backslash(os::os().files->windows_folder());
}
std::string system_dir() {
    return with_trailing_backslash(os::os().files->system_folder());
}

bool drive_exists(const std::string& drive) {
    if (drive.empty()) return false;
    return os::os().files->find_first_matches(drive.substr(0, 1) + ":\\nul");
}

std::int64_t file_size(const std::string& path) {
    if (!path_exists(path)) return 0;
    std::int64_t bytes = os::os().files->file_size_bytes(path);
    return bytes < 0 ? 0 : bytes / 1024;
}

void file_time_text(const std::string& path, std::string& created, std::string& written,
                    std::string& accessed) {
    os::FileTimes t;
    if (!os::os().files->file_times(path, t)) return;
    created = date_text(t.created) + " " + clock_text(t.created);
    written = date_text(t.written) + " " + clock_text(t.written);
    std::string access_clock = clock_text(t.accessed);
    accessed = date_text(t.accessed) + " " + (access_clock == "00:00:00" ? "" : access_clock);
}

std::string get_file_version(const std::string& path) {
    return os::os().files->file_version(path);
}

std::string special_folder_path(int selector) {
    static const int kShellFolders[] = {0, 5, 6, 16, 20, 11, 2, 7, 26};
    os::FileSystem& files = *os::os().files;
    std::string folder;
    if (selector >= 1 && selector <= 8)
        folder = files.special_folder(kShellFolders[selector]);
    else if (selector == 9)
        folder = files.windows_folder();
    else if (selector == 10)
        folder = files.system_folder();
    else if (selector == 11)
        folder = files.temp_folder();
    else if (selector == 12)
        folder = files.special_folder(32);
    return with_trailing_backslash(folder);
}

double round_half_even(double value, int decimals) {
    double p = std::pow(10.0, decimals);
    double scaled = value * p;
    double k = std::floor(scaled);
    double fraction = scaled - k;
    if (std::fabs(fraction - 0.5) > 1e-7) return std::floor(scaled + 0.5 + 1e-12) / p;
    return std::fmod(k, 2.0) == 0.0 ? k / p : (k + 1) / p;
}

std::string number_text(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.13g", value);
    return buf;
}

std::string windows_folder_letter() {
    return upper_ascii(windows_dir().substr(0, 1));
}

bool delete_file(const std::string& path) {
    return os::os().files->delete_file(path);
}

bool path_is_directory(const std::string& path) {
    return os::os().files->is_directory(path);
}

std::string parent_dir(const std::string& path) {
    std::string p = path;
    if (!p.empty() && p.back() == '\\' && find_last_char(p, '\\') == p.size() - 1) p.pop_back();
    std::size_t slash = find_last_char(p, '\\');
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

std::int64_t disk_total_kib(const std::string& root) {
    os::SpaceBytes space;
    return os::os().drives->space_bytes(root, space) ? space.total / 1024 : -1;
}

}  // namespace qv
