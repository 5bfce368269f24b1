// Finding image files: the bounded directory walker, the start-up scan of every drive for Ghost
// and WIM images, the search for one kind of image to a chosen depth, the removal of images under
// 100 MB, the preferred Ghost image, and the four detail lines that describe an image.
//
// The functions return the lists and texts; the main window puts them into its controls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv {

class MessagePacer;

using FileCallback = std::function<void(const std::string& path)>;

// Whether a file name matches a wildcard pattern ("*" any run, "?" one character), ASCII case
// ignored, double-byte characters compared whole; "*.*" matches every name.
bool wildcard_match(const std::string& name, const std::string& pattern);
// The same test prepared once for the many names of a walk.
class Pattern {
public:
    explicit Pattern(std::string text);
    bool matches(const std::string& name) const;

private:
    std::string text_;
    bool all_ = false;        // "*.*" or "*"
    bool star_tail_ = false;  // "*" followed by plain text
};

// Calls back with the full path of every file of the folder that matches the pattern ("*.*" when
// `use_pattern` is false), then walks the subfolders. A limited depth d walks a subfolder only
// while its path has fewer than d + 1 parts: depth 3 covers a drive root and two levels below
// it. No limit when `use_depth` is false or the depth is -1. Window messages are processed at the
// start and then whenever 50 ms of the walk's work (the callback's included) have passed, inside a
// large folder too, through `pacer` or one of the walk's own; a folder that cannot be listed
// contributes nothing.
void walk_directory(const std::string& folder, const FileCallback& callback,
                    const std::string& pattern, bool use_pattern, int depth, bool use_depth,
                    MessagePacer* pacer = nullptr);
// The same walk matching several patterns at once: a file is reported with the index of each
// pattern it matches, so the hits of one pattern come as a walk of that pattern alone gives them.
void walk_directory_patterns(const std::string& folder, const std::vector<std::string>& patterns,
                             int depth,
                             const std::function<void(std::size_t, const std::string&)>& callback,
                             MessagePacer* pacer = nullptr);

// The start-up scan's hits: for every drive root in the drive list's order, its "*.Gho" files,
// then its "*.WIM" files, to depth 3.
std::vector<std::string> scan_image_paths(MessagePacer* pacer = nullptr);

// An item is kept when it names a file of 100 MB or more; empty texts and missing files go.
// With a pacer, messages keep being processed while thousands of files are looked at.
bool is_small_image(const std::string& path);
std::vector<std::string> drop_small_images(const std::vector<std::string>& items,
                                           MessagePacer* pacer = nullptr);
// The index of the first item containing ".gho" (case ignored), whose text becomes
// g_preferred_image; -1 leaves g_preferred_image as it was.
int pick_first_gho_item(const std::vector<std::string>& items);
// The item the scan chooses: the first that begins with the preferred image, else the first.
int choose_scanned_item(const std::vector<std::string>& items, const std::string& preferred);

struct ImageDetails {
    std::string location;  // "位置： ..."
    std::string type;      // "类型： ..."
    std::string size;      // "大小： ..."
    std::string time;      // "时间： ..."
};
std::string image_location_line(const std::string& path);
// Empty for an extension other than .GHO, .WIM, .SWM and .ISO.
std::string image_type_line(const std::string& path);
std::string image_size_line(std::int64_t size_kb);
std::string image_time_line(const std::string& created);
ImageDetails image_details(const std::string& path);
// .GHO and .WIM: the images the scan and the image-file combo describe.
bool is_described_in_combo(const std::string& path);

// The scan as start-up runs it over the image-file combo's items.
struct ImageScan {
    std::vector<std::string> items;  // the combo's new contents
    int chosen = -1;                 // the item to choose, -1 with no item
    bool described = false;          // whether `details` describe the chosen item
    ImageDetails details;
};
ImageScan scan_drives_for_images(const std::vector<std::string>& combo_items = {},
                                 MessagePacer* pacer = nullptr);

// The image search.
extern const char* const kSearchingText;   // first line and balloon while searching
extern const char* const kSearchDoneText;  // balloon at the end
// The depth box's text as a depth: -1 no limit; a number is truncated; anything else is 0.
int parse_search_depth(const std::string& text);
std::vector<std::string> search_image_paths(const std::string& pattern, int depth);
std::string search_summary_line(const std::string& depth_text, int count,
                                const std::string& pattern);
std::vector<std::string> search_not_found_lines(const std::string& pattern);
// The found-images list after a search: the images of 100 MB or more and the summary line, or
// the five explanation lines when the walk found nothing at all.
std::vector<std::string> search_result_lines(const std::string& pattern,
                                             const std::string& depth_text);
// The same for the hits of a walk already made.
std::vector<std::string> search_result_lines_for(const std::vector<std::string>& found,
                                                 const std::string& pattern,
                                                 const std::string& depth_text,
                                                 MessagePacer* pacer = nullptr);

// Every file below a folder, without a depth limit, skipping subfolders whose name begins with
// "."; `filter` keeps names containing it (case ignored) when `use_filter` is set; lines are full
// paths or names alone. `status`, when given, is told each file as it is seen.
std::vector<std::string> find_files_recursive(const std::string& folder, const std::string& pattern,
                                              bool use_pattern, const std::string& filter,
                                              bool use_filter, bool full_path,
                                              const FileCallback& status = nullptr);

}  // namespace qv
