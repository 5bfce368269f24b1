// The edition list of a WIM image: the XML that the imaging tool prints for " /INFO ", read into
// the items of ImagexApplyWindow's edition combo, and the window's texts that follow the image.
#pragma once

#include <string>
#include <vector>

namespace qv {

// Texts of the edition list.
extern const char kEditionsLoadingItem[];    // the combo's item while the list is read
extern const char kEditionsLoadedBalloon[];  // tray balloon after a list was read
extern const char kEditionsFailedBalloon[];  // tray balloon when the list is empty
extern const char kImagexWindowCaption[];
extern const char kImagexDiscWindowCaption[];

// Percent-decoding (a "%" not followed by two hexadecimal digits stays as it is), then the
// bytes read as UTF-8 and brought to code page 936 ("?" where a character has no form there).
std::string url_decode(const std::string& text);
// UTF-8 bytes to UTF-16LE bytes; a byte that starts no valid character gives U+FFFD.
std::string utf8_to_wide(const std::string& bytes);
// UTF-16LE bytes to code page 936, ending at the first zero byte.
std::string wide_to_ansi(const std::string& wide_bytes);
std::string utf8_to_ansi(const std::string& bytes);

// The combo's items: "1: ", "2: ", ... in image order, each followed by the display name and the
// name in brackets, or by the name alone when that image has no display name. Each image's name
// and display name are read from its own IMAGE element, so an image without a display name
// never takes another image's; an image whose name the output lost at its end is left out. Empty
// when the output holds no name (the caller then offers to apply image 1).
std::vector<std::string> parse_wim_info_xml(const std::string& info_output);

// The image path as the window's title shows it: whole up to 30 bytes, else its first 10 bytes,
// "..." and its last tail_bytes bytes (10 for a split set, 16 otherwise), cut between characters.
std::string shorten_image_path(const std::string& path, std::size_t tail_bytes);

struct WimEditionInputs {
    std::string image_path;            // the main window's selected image
    bool from_install_disc = false;    // the start button chose the disc in the optical drive
    std::string optical_drive_text;    // the optical-drive combo's text
    bool install_disc_choice = false;  // the main window's install-from-disc choice is selected
    std::string target_caption;        // the target partition's caption
    std::string info_output;           // what the tool printed for " /INFO "
};

// What ImagexApplyWindow shows and remembers when it opens.
struct WimEditionWindow {
    std::string restore_title_word;  // "还原分卷映象" for a split set, else "还原"
    std::string imagex_ref_option;   // "/ref" for a split set, else empty
    std::string shown_image_path;
    std::string title_label;
    std::string caption;
    std::vector<std::string> editions;
    int selected = -1;    // the last item; -1 when the list is empty
    int image_index = 0;  // selected + 1; 0 when the list is empty
};

WimEditionWindow prepare_wim_edition_window(const WimEditionInputs& in);

// The Yes/No question when no edition could be read.
std::string wim_editions_error_text(const std::string& shown_image_path);

}  // namespace qv
