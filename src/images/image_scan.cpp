#include "images/image_scan.h"

#include <cmath>
#include <cstdlib>
#include <climits>
#include <utility>

#include "base/helpers.h"
#include "base/message_pacer.h"
#include "base/state.h"
#include "disks/drive_facts.h"
#include "platform/os.h"
#include "platform/os_directories.h"
#include "ui/runtime.h"

namespace qv {

const char* const kSearchingText = "正在搜索文件，请稍候.....";
const char* const kSearchDoneText = "搜索文件完成！";

namespace {

void pump_window_messages() {
    if (ui::Runtime* ui = os::os().ui) ui->pump();
}

char fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The character of `text` at byte i compared with the one of `pattern` at byte j.
bool same_char(const std::string& text, std::size_t i, std::size_t ti_end,
               const std::string& pattern, std::size_t j, std::size_t pj_end) {
    if (ti_end - i != pj_end - j) return false;
    if (ti_end - i == 1) return fold(text[i]) == fold(pattern[j]);
    return text.compare(i, 2, pattern, j, 2) == 0;
}

bool match_general(const std::string& name, const std::string& pattern) {
    // Greedy match with one backtrack point for the last "*", walking both texts by character.
    std::size_t i = 0, j = 0;
    std::size_t star = std::string::npos, star_i = 0;
    while (i < name.size()) {
        std::size_t i_end = next_char(name, i);
        if (j < pattern.size() && pattern[j] == '*') {
            star = j++;
            star_i = i;
            continue;
        }
        if (j < pattern.size()) {
            std::size_t j_end = next_char(pattern, j);
            if (pattern[j] == '?' || same_char(name, i, i_end, pattern, j, j_end)) {
                i = i_end;
                j = j_end;
                continue;
            }
        }
        if (star == std::string::npos) return false;
        j = star + 1;
        star_i = next_char(name, star_i);
        i = star_i;
    }
    while (j < pattern.size() && pattern[j] == '*') ++j;
    return j == pattern.size();
}

// The number of non-empty "\"-separated parts of a path, walking by character.
int path_parts(const std::string& path) {
    int parts = 0;
    bool in_part = false;
    for (std::size_t i = 0; i < path.size(); i = next_char(path, i)) {
        if (path[i] == '\\') {
            in_part = false;
        } else if (!in_part) {
            in_part = true;
            ++parts;
        }
    }
    return parts;
}

struct Walk {
    std::vector<Pattern> patterns;
    bool limited;
    int depth;
    const std::function<void(std::size_t, const std::string&)>* callback;
    MessagePacer* pacer;
};

bool program_ending() {
    ui::Runtime* runtime = os::os().ui;
    return runtime != nullptr && runtime->quitting();
}

void walk_folder(const Walk& walk, const std::string& folder, int parts) {
    walk.pacer->pace();
    // A handler that ran meanwhile may have ended the program: the rest of the walk is for no one.
    if (program_ending()) return;
    // A subfolder's path has one part more than its folder: it is walked while parts + 1 <
    // depth + 1, compared as parts < depth so that the largest depth cannot overflow.
    const bool descend = !walk.limited || parts < walk.depth;
    std::vector<std::string> subfolders;
    bool listed = os::os().directories->each_entry(folder, [&](const os::FolderEntry& e) {
        if (e.folder) {
            if (descend) subfolders.push_back(folder + e.name + "\\");
        } else {
            for (std::size_t p = 0; p < walk.patterns.size(); ++p) {
                if (walk.patterns[p].matches(e.name)) (*walk.callback)(p, folder + e.name);
            }
        }
        walk.pacer->pace();
    });
    if (!listed) return;
    for (const std::string& sub : subfolders) walk_folder(walk, sub, parts + 1);
}

std::string last_three(const std::string& pattern) {
    return pattern.size() <= 3 ? pattern : pattern.substr(pattern.size() - 3);
}

// The largest prefix of at most n bytes, and the largest suffix of at most n bytes, that do
// not split a double-byte character.
std::string head_bytes(const std::string& text, std::size_t n) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size(); i = next_char(text, i)) {
        if (next_char(text, i) > n) break;
        end = next_char(text, i);
    }
    return text.substr(0, end);
}

std::string tail_bytes(const std::string& text, std::size_t n) {
    std::size_t i = 0;
    while (i < text.size() && text.size() - i > n) i = next_char(text, i);
    return text.substr(i);
}

void find_files_into(const std::string& folder_in, const Pattern& pattern,
                     const std::string& filter, bool use_filter, bool full_path,
                     const FileCallback& status, std::vector<std::string>& lines) {
    std::string folder = with_trailing_backslash(folder_in);
    std::vector<os::FolderEntry> entries;
    if (!os::os().directories->list(folder, entries)) return;
    for (const os::FolderEntry& e : entries) {
        if (e.folder || !pattern.matches(e.name)) continue;
        if (status) status(folder + e.name);
        if (!use_filter || filter.empty() || contains_ignore_case(e.name, filter))
            lines.push_back(full_path ? folder + e.name : e.name);
        pump_window_messages();
    }
    for (const os::FolderEntry& e : entries) {
        if (!e.folder || e.name.empty() || e.name[0] == '.') continue;
        find_files_into(folder + e.name + "\\", pattern, filter, true, full_path, status, lines);
        pump_window_messages();
    }
}

}  // namespace

bool wildcard_match(const std::string& name, const std::string& pattern) {
    return Pattern(pattern).matches(name);
}

bool Pattern::matches(const std::string& name) const {
    if (all_) return true;
    // The common "*.ext" form: its tail compared byte by byte with ASCII folded first, which holds
    // whenever the full match does, so most names are turned away without the full match.
    if (star_tail_) {
        if (name.size() < text_.size() - 1) return false;
        for (std::size_t k = 1; k < text_.size(); ++k)
            if (fold(name[name.size() - k]) != fold(text_[text_.size() - k])) return false;
    }
    return match_general(name, text_);
}

Pattern::Pattern(std::string text) : text_(std::move(text)) {
    all_ = text_ == "*.*" || text_ == "*";
    star_tail_ =
        text_.size() >= 2 && text_[0] == '*' && text_.find_first_of("*?", 1) == std::string::npos;
}

void walk_directory_patterns(const std::string& folder, const std::vector<std::string>& patterns,
                             int depth,
                             const std::function<void(std::size_t, const std::string&)>& callback,
                             MessagePacer* pacer) {
    std::string start = with_trailing_backslash(folder);
    MessagePacer own;
    Walk walk{std::vector<Pattern>(patterns.begin(), patterns.end()), depth != -1, depth, &callback,
              pacer != nullptr ? pacer : &own};
    walk_folder(walk, start, path_parts(start));
}

void walk_directory(const std::string& folder, const FileCallback& callback,
                    const std::string& pattern, bool use_pattern, int depth, bool use_depth,
                    MessagePacer* pacer) {
    std::vector<std::string> patterns{use_pattern ? pattern : std::string("*.*")};
    walk_directory_patterns(
        folder, patterns, use_depth ? depth : -1,
        [&callback](std::size_t, const std::string& path) { callback(path); }, pacer);
}

std::vector<std::string> scan_image_paths(MessagePacer* pacer) {
    static const std::vector<std::string> kPatterns{"*.Gho", "*.WIM"};
    std::vector<std::string> found;
    for (const std::string& root : list_drives(kAllDrives)) {
        // One walk serves both patterns; the Ghost hits of a drive still come before its WIM hits.
        std::vector<std::string> wims;
        walk_directory_patterns(
            root, kPatterns, 3,
            [&](std::size_t p, const std::string& path) {
                (p == 0 ? found : wims).push_back(path);
            },
            pacer);
        found.insert(found.end(), wims.begin(), wims.end());
    }
    return found;
}

bool is_small_image(const std::string& path) {
    return file_size(path) / 1024 < 100;
}

std::vector<std::string> drop_small_images(const std::vector<std::string>& items,
                                           MessagePacer* pacer) {
    std::vector<std::string> kept;
    for (const std::string& item : items) {
        if (!is_small_image(item)) kept.push_back(item);
        if (pacer != nullptr) pacer->pace();
    }
    return kept;
}

int pick_first_gho_item(const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (contains_ignore_case(items[i], ".gho")) {
            g_preferred_image = items[i];
            return static_cast<int>(i);
        }
    }
    return -1;
}

int choose_scanned_item(const std::vector<std::string>& items, const std::string& preferred) {
    if (items.empty()) return -1;
    if (!preferred.empty()) {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (starts_with_ignore_case(items[i], preferred)) return static_cast<int>(i);
    }
    return 0;
}

std::string image_location_line(const std::string& path) {
    if (path.size() < 31) return "位置： " + path;
    return "位置： " + head_bytes(path, 10) + "..." + tail_bytes(path, 18);
}

std::string image_type_line(const std::string& path) {
    std::string ext = upper_ascii(path_extension(path));
    if (ext == ".GHO") return "类型： Ghost 映像文件";
    if (ext == ".WIM") return "类型： WIM 映像文件";
    if (ext == ".SWM") return "类型： SWM 分卷映像文件";
    if (ext == ".ISO") return "类型： ISO 映像文件";
    return {};
}

std::string image_size_line(std::int64_t size_kb) {
    if (size_kb / 1024 > 4096) return "大小：  > 4096 MB";
    double mb = static_cast<double>(size_kb) / 1024.0;
    return "大小： " + number_text(round_half_even(mb, 2)) + " MB";
}

std::string image_time_line(const std::string& created) {
    return "时间： " + created;
}

ImageDetails image_details(const std::string& path) {
    std::string created, written, accessed;
    file_time_text(path, created, written, accessed);
    return {image_location_line(path), image_type_line(path), image_size_line(file_size(path)),
            image_time_line(created)};
}

bool is_described_in_combo(const std::string& path) {
    std::string ext = upper_ascii(path_extension(path));
    return ext == ".GHO" || ext == ".WIM";
}

ImageScan scan_drives_for_images(const std::vector<std::string>& combo_items, MessagePacer* pacer) {
    ImageScan scan;
    scan.items = combo_items;
    for (const std::string& path : scan_image_paths(pacer)) scan.items.push_back(path);
    scan.items = drop_small_images(scan.items, pacer);
    pick_first_gho_item(scan.items);
    scan.chosen = choose_scanned_item(scan.items, g_preferred_image);
    if (scan.chosen >= 0) {
        const std::string& item = scan.items[static_cast<std::size_t>(scan.chosen)];
        if (!item.empty() && is_described_in_combo(item)) {
            scan.details = image_details(item);
            scan.described = true;
        }
    }
    return scan;
}

int parse_search_depth(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(value)) return 0;
    value = std::trunc(value);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::vector<std::string> search_image_paths(const std::string& pattern, int depth) {
    std::vector<std::string> found;
    for (const std::string& root : list_drives(kAllDrives)) {
        walk_directory(
            root, [&found](const std::string& path) { found.push_back(path); }, pattern, true,
            depth, true);
    }
    return found;
}

std::string search_summary_line(const std::string& depth_text, int count,
                                const std::string& pattern) {
    return "搜索" + depth_text + "层目录完成，共搜索到" + std::to_string(count) + "个" +
           last_three(pattern) + "文件。";
}

std::vector<std::string> search_not_found_lines(const std::string& pattern) {
    std::string kind = last_three(pattern);
    return {"经过搜索，未发现 " + kind + " 映像文件。", "", "可能原因如下：",
            "1、设定的目录层数过小。", "2、硬盘中不存在 " + kind + " 映像文件。"};
}

std::vector<std::string> search_result_lines(const std::string& pattern,
                                             const std::string& depth_text) {
    return search_result_lines_for(search_image_paths(pattern, parse_search_depth(depth_text)),
                                   pattern, depth_text);
}

std::vector<std::string> search_result_lines_for(const std::vector<std::string>& found,
                                                 const std::string& pattern,
                                                 const std::string& depth_text,
                                                 MessagePacer* pacer) {
    if (found.empty()) return search_not_found_lines(pattern);
    std::vector<std::string> lines = drop_small_images(found, pacer);
    lines.push_back(search_summary_line(depth_text, static_cast<int>(lines.size()), pattern));
    return lines;
}

std::vector<std::string> find_files_recursive(const std::string& folder, const std::string& pattern,
                                              bool use_pattern, const std::string& filter,
                                              bool use_filter, bool full_path,
                                              const FileCallback& status) {
    std::vector<std::string> lines;
    find_files_into(folder, Pattern(use_pattern ? pattern : std::string("*.*")), filter, use_filter,
                    full_path, status, lines);
    return lines;
}

}  // namespace qv
