#include "jobs/wim_editions.h"

#include "base/helpers.h"
#include "base/regex_object.h"
#include "base/text_between_all.h"
#include "jobs/imagex_commands.h"

namespace qv {

const char kEditionsLoadingItem[] = "正在获取系统版本，请稍后....";
const char kEditionsLoadedBalloon[] = "加载系统版本完成！";
const char kEditionsFailedBalloon[] = "加载系统版本出现错误！";
const char kImagexWindowCaption[] = "Tavrin Imagex";
const char kImagexDiscWindowCaption[] = "Tavrin Imagex - 原版系统光盘安装";

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void put_unit(std::string& out, unsigned unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
}

// One image's two texts as the markers find them (each still ends with its closing tag's "<").
struct ImageTexts {
    bool has_name = false;
    bool has_display = false;
    std::string name;
    std::string display;
};

// Where each IMAGE element begins ("<IMAGE" followed by a blank, ">" or "/"); text before the
// first one is the tool's report, not part of any image.
std::vector<std::size_t> image_element_starts(const std::string& text) {
    static const char kTag[] = "<IMAGE";
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i + 6 <= text.size(); i = next_char(text, i)) {
        if (text[i] != '<' || !equals_ignore_case(text.substr(i, 6), kTag)) continue;
        char c = i + 6 < text.size() ? text[i + 6] : '\0';
        if (c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\r' || c == '\n')
            starts.push_back(i);
    }
    return starts;
}

std::vector<ImageTexts> read_images(const std::string& output) {
    std::vector<ImageTexts> images;
    std::vector<std::string> names, displays;
    std::vector<std::size_t> starts = image_element_starts(output);
    if (starts.empty()) {
        // No element structure to go by: pair the n-th name with the n-th display name.
        text_between_all(output, "<name>", "/name>", names);
        text_between_all(output, "<DISPLAYNAME>", "/DISPLAYNAME>", displays);
        for (std::size_t i = 0; i < names.size(); ++i) {
            ImageTexts t;
            t.has_name = true;
            t.name = names[i];
            if (i < displays.size()) {
                t.has_display = true;
                t.display = displays[i];
            }
            images.push_back(t);
        }
        return images;
    }
    for (std::size_t k = 0; k < starts.size(); ++k) {
        std::size_t end = k + 1 < starts.size() ? starts[k + 1] : output.size();
        std::string element = output.substr(starts[k], end - starts[k]);
        ImageTexts t;
        if (text_between_all(element, "<name>", "/name>", names) > 0) {
            t.has_name = true;
            t.name = names.front();
        }
        if (text_between_all(element, "<DISPLAYNAME>", "/DISPLAYNAME>", displays) > 0) {
            t.has_display = true;
            t.display = displays.front();
        }
        images.push_back(t);
    }
    return images;
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string edition_item(int number, const ImageTexts& image) {
    std::string name = replace_all(url_decode(image.name), "<", "");
    std::string item = std::to_string(number) + ": ";
    if (!image.has_display) return item + name;
    std::string display = url_decode(image.display);
    if (ends_with(display, "<")) display.pop_back();
    // Question marks at the end stand for the word "版" that the output could not carry.
    if (ends_with(display, "??"))
        return item + display.substr(0, display.size() - 2) + "版(" + name + ")";
    if (ends_with(display, "?"))
        return item + display.substr(0, display.size() - 1) + "版(" + name + ")";
    return item + display + "(" + name + ")";
}

}  // namespace

std::string url_decode(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
            hex_value(text[i + 2]) >= 0) {
            bytes += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return utf8_to_ansi(bytes);
}

std::string utf8_to_wide(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    const std::size_t n = bytes.size();
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i < n;) {
        unsigned c = at(i);
        if (c < 0x80) {
            put_unit(out, c);
            ++i;
            continue;
        }
        // Lead byte: length and the range its first continuation byte must fall in.
        std::size_t length = 0;
        unsigned lo = 0x80, hi = 0xBF, code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        }
        if (length == 0) {
            put_unit(out, 0xFFFD);
            ++i;
            continue;
        }
        std::size_t j = 1;
        for (; j < length && i + j < n; ++j) {
            unsigned b = at(i + j);
            if (b < (j == 1 ? lo : 0x80) || b > (j == 1 ? hi : 0xBF)) break;
            code = (code << 6) | (b & 0x3F);
        }
        if (j < length) {
            // The longest valid beginning of a sequence becomes one replacement character.
            put_unit(out, 0xFFFD);
            i += j;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            put_unit(out, 0xD800 + (code >> 10));
            put_unit(out, 0xDC00 + (code & 0x3FF));
        } else {
            put_unit(out, code);
        }
        i += length;
    }
    return out;
}

std::string wide_to_ansi(const std::string& wide_bytes) {
    std::string text = wide_bytes_to_text(wide_bytes);
    std::size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

std::string utf8_to_ansi(const std::string& bytes) {
    return wide_to_ansi(utf8_to_wide(bytes));
}

std::vector<std::string> parse_wim_info_xml(const std::string& info_output) {
    std::vector<ImageTexts> images = read_images(info_output);
    // Images whose name the output lost at its end are left out; one without a name between
    // others keeps its place, so that every item's number stays its image's number.
    while (!images.empty() && !images.back().has_name) images.pop_back();
    std::vector<std::string> items;
    for (std::size_t i = 0; i < images.size(); ++i)
        items.push_back(edition_item(static_cast<int>(i) + 1, images[i]));
    return items;
}

std::string shorten_image_path(const std::string& path, std::size_t tail_bytes) {
    if (path.size() <= 30) return path;
    std::size_t head = 0;
    while (head < path.size() && next_char(path, head) <= 10) head = next_char(path, head);
    std::size_t tail = 0;
    while (tail < path.size() && path.size() - tail > tail_bytes) tail = next_char(path, tail);
    return path.substr(0, head) + "..." + path.substr(tail);
}

WimEditionWindow prepare_wim_edition_window(const WimEditionInputs& in) {
    WimEditionWindow w;
    if (upper_ascii(path_extension(in.image_path)) == ".SWM") {
        w.restore_title_word = "还原分卷映象";
        w.imagex_ref_option = "/ref";
        w.shown_image_path = shorten_image_path(in.image_path, 10);
    } else {
        w.restore_title_word = "还原";
        w.shown_image_path = in.from_install_disc ? install_disc_image_path(in.optical_drive_text)
                                                  : shorten_image_path(in.image_path, 16);
    }
    w.title_label =
        w.restore_title_word + " " + w.shown_image_path + " 到分区 " + in.target_caption;
    w.editions = parse_wim_info_xml(in.info_output);
    w.selected = static_cast<int>(w.editions.size()) - 1;
    w.image_index = w.selected + 1;
    w.caption = in.install_disc_choice ? kImagexDiscWindowCaption : kImagexWindowCaption;
    return w;
}

std::string wim_editions_error_text(const std::string& shown_image_path) {
    return "加载 " + shown_image_path +
           " 时出现错误，无法正常还原。\r\n选择\"是(Y)\"将还原WIM映像文件中的卷 1 "
           "，选择\"否(N)\"将停止还原。"
           "\r\n作者正在努力解决此错误，请暂时更换其他安装工具或更换WinPE！";
}

}  // namespace qv
