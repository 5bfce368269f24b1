#include "shell/api_module.h"

#include <vector>

#include "base/helpers.h"
#include "base/power.h"
#include "platform/os.h"
#include "platform/os_com.h"

namespace qv {

std::string g_api_module_version;
std::uintptr_t g_api_module_old_wndproc = 0;
std::uint32_t g_api_module_state = 0;
std::string g_api_update_field1;
std::string g_api_update_field2;
std::string g_api_update_field3;
std::string g_api_update_field4;
std::string g_api_update_field5;
bool g_api_update_flag = false;

const char* const kApiModuleAuthorEntry = "模块作者：Orvane";
const char* const kApiModuleTermsEntry = "使用协议(&F)";
const char* const kApiModuleContactAddress = "http://www.example.com/orvane/contact.html";
const char* const kApiModuleProbeAddress = "http://www.example.com/";
const char* const kApiModuleUpdatePage = "http://www.example.com/orvane/api-module.html";

namespace {

constexpr const char* kModuleVersion = "V3.53";
constexpr const char* kTermsText =
    "本模块仅供学习与交流使用。\r\n使用本模块即表示您同意自行承担由此产生的一切后果。";

constexpr unsigned kWmCommand = 0x0111;
constexpr unsigned kWmSysCommand = 0x0112;
constexpr std::uintptr_t kScMove = 0xF010;
constexpr std::uintptr_t kScClose = 0xF060;
constexpr unsigned kMenuSeparator = 0x800;
constexpr unsigned kMenuChecked = 0x8;
constexpr unsigned kAuthorCommand = 2;
constexpr unsigned kTermsCommand = 4;

constexpr int kTimeCritical = 15;
constexpr int kWindowLookMs = 100;
constexpr std::size_t kDownloadPiece = 1000;
// A page is a few kilobytes; whatever a server sends beyond this is not kept.
constexpr std::size_t kDownloadLimit = 1 << 20;

os::ApiModuleHost* host() {
    return os::os().api_module;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string remove_dot_segments(const std::string& path) {
    std::vector<std::string> kept;
    std::size_t start = 1;  // past the leading "/"
    for (;;) {
        std::size_t slash = path.find('/', start);
        const bool last = slash == std::string::npos;
        std::string segment = path.substr(start, last ? std::string::npos : slash - start);
        if (segment == "..") {
            if (!kept.empty()) kept.pop_back();
            if (last) kept.emplace_back();
        } else if (segment == ".") {
            if (last) kept.emplace_back();
        } else {
            kept.push_back(segment);
        }
        if (last) break;
        start = slash + 1;
    }
    std::string out;
    for (const std::string& segment : kept) out += "/" + segment;
    return out.empty() ? "/" : out;
}

void append_utf16(std::string& wide, std::uint32_t code_point) {
    auto unit = [&wide](std::uint32_t u) {
        wide.push_back(static_cast<char>(u & 0xFF));
        wide.push_back(static_cast<char>((u >> 8) & 0xFF));
    };
    if (code_point < 0x10000) {
        unit(code_point);
        return;
    }
    code_point -= 0x10000;
    unit(0xD800 + (code_point >> 10));
    unit(0xDC00 + (code_point & 0x3FF));
}

// UTF-16LE of UTF-8 bytes; a byte that does not begin a well-formed sequence becomes U+FFFD, as
// the system's converter has it.
std::string utf8_to_wide_bytes(const std::string& utf8) {
    std::string wide;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        std::uint32_t code_point = 0;
        std::uint32_t lowest = 0;
        if (lead < 0x80) {
            length = 1;
            code_point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code_point = lead & 0x1Fu;
            lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code_point = lead & 0x0Fu;
            lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code_point = lead & 0x07u;
            lowest = 0x10000;
        }
        bool well_formed = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; well_formed && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            well_formed = (next & 0xC0) == 0x80;
            code_point = (code_point << 6) | (next & 0x3Fu);
        }
        if (well_formed && length > 1)
            well_formed = code_point >= lowest && code_point <= 0x10FFFF &&
                          (code_point < 0xD800 || code_point > 0xDFFF);
        if (!well_formed) {
            append_utf16(wide, 0xFFFD);
            ++i;
            continue;
        }
        append_utf16(wide, code_point);
        i += length;
    }
    return wide;
}

}  // namespace

void reset_api_module_state() {
    for (std::string* text : {&g_api_module_version, &g_api_update_field1, &g_api_update_field2,
                              &g_api_update_field3, &g_api_update_field4, &g_api_update_field5})
        text->clear();
    g_api_module_old_wndproc = 0;
    g_api_module_state = 0;
    g_api_update_flag = false;
}

void api_module_init() {
    reset_api_module_state();
    os::ApiModuleHost* h = host();
    if (h == nullptr || !h->debugger_present()) return;
    api_set_process_priority(0);
    api_set_thread_priority(kTimeCritical);
    g_api_module_version = kModuleVersion;
    api_start_thread(api_window_thread, nullptr, false);
}

std::uint32_t api_priority_class(int kind) {
    switch (kind) {
        case 1:
            return 0x8000;  // above normal
        case 2:
            return 0x100;  // real-time
        case 3:
            return 0x20;  // normal
        case 4:
            return 0x4000;  // below normal
        case 5:
            return 0x40;  // idle
        default:
            return 0x80;  // high
    }
}

bool api_set_process_priority(int kind) {
    return host() != nullptr && host()->set_priority_class(api_priority_class(kind));
}

bool api_set_thread_priority(int level) {
    return host() != nullptr && host()->set_thread_priority(level);
}

std::uint32_t api_start_thread(os::ThreadRoutine routine, void* argument, bool id_wanted) {
    if (host() == nullptr) return 0;
    const std::uint32_t id = host()->start_thread(routine, argument);
    return id_wanted ? id : 0;
}

std::uintptr_t api_find_process_window(std::uint32_t process_id) {
    return host() == nullptr ? 0 : host()->find_process_window(process_id, false);
}

bool api_open_url(const std::string& address) {
    const std::string url = api_canonical_url(address);
    return !url.empty() && host() != nullptr && host()->open_address(url);
}

int api_message_box(const std::string& text, int style, const std::string& caption) {
    return os::os().notices->message_box(text, caption.empty() ? "信息：" : caption, style);
}

std::string api_download_text(const std::string& address) {
    const std::string url = api_canonical_url(address);
    if (url.empty() || host() == nullptr) return {};
    std::unique_ptr<os::WebDownload> download = host()->open_download(url);
    if (!download) return {};
    std::string text;
    while (text.size() < kDownloadLimit) {
        std::string piece = download->read(kDownloadPiece);
        if (piece.empty()) break;
        text += piece;
        host()->process_thread_messages();
    }
    return text;
}

std::string api_utf8_to_ansi(const std::string& utf8) {
    os::TextCodec* codec = os::os().codec;
    if (codec == nullptr || utf8.empty()) return {};
    return codec->wide_bytes_to_text(utf8_to_wide_bytes(utf8));
}

std::string api_text_between(const std::string& text, const std::string& left,
                             const std::string& right) {
    return text_between(text, left, right);
}

std::string api_canonical_url(const std::string& address) {
    std::size_t begin = 0;
    std::size_t end = address.size();
    while (begin < end && is_blank(address[begin])) ++begin;
    while (end > begin && is_blank(address[end - 1])) --end;
    std::string url;
    for (std::size_t i = begin; i < end; i = next_char(address, i)) {
        const auto c = static_cast<unsigned char>(address[i]);
        // A line break or other control character could split the request the address goes in.
        if (c < 0x20 || c == 0x7F) return {};
        if (next_char(address, i) - i == 2) {
            url += address.substr(i, 2);
        } else {
            url += c == '\\' ? '/' : static_cast<char>(c);
        }
    }
    const std::size_t separator = url.find("://");
    if (separator == std::string::npos) return {};
    const std::string scheme = lower_ascii(url.substr(0, separator));
    if (scheme != "http" && scheme != "https") return {};
    const std::string rest = url.substr(separator + 3);
    const std::size_t host_end = rest.find_first_of("/?#");
    const std::string host_part = lower_ascii(rest.substr(0, host_end));
    if (host_part.empty() || host_part.find(' ') != std::string::npos) return {};
    const std::string tail = host_end == std::string::npos ? std::string() : rest.substr(host_end);
    const std::size_t path_end = tail.find_first_of("?#");
    std::string path = tail.substr(0, path_end);
    const std::string suffix =
        path_end == std::string::npos ? std::string() : tail.substr(path_end);
    path = path.empty() ? "/" : remove_dot_segments(path);
    return scheme + "://" + host_part + replace_all(path + suffix, " ", "%20");
}

ApiUpdateInfo api_parse_update_page(const std::string& page) {
    ApiUpdateInfo info;
    info.version = api_text_between(page, "最新版本:", "<");
    info.date = api_text_between(page, "发布时间:", "<");
    info.size = api_text_between(page, "文件大小:", "<");
    info.address = api_text_between(page, "下载地址:", "<");
    return info;
}

bool api_other_version_found(const std::string& found, const std::string& own) {
    return !found.empty() && !equals_ignore_case(found, own);
}

ApiWindowAction api_window_action(unsigned message, std::uintptr_t wparam) {
    if (message == kWmSysCommand) {
        if (wparam == kAuthorCommand) return ApiWindowAction::OpenContact;
        if (wparam == kTermsCommand) return ApiWindowAction::ShowTerms;
    } else if (message == kWmCommand) {
        if (wparam == 10001 || wparam == kScMove || wparam == kScClose)
            return ApiWindowAction::ForwardAsSystemCommand;
        if (wparam == 30001) return ApiWindowAction::EndProgram;
    }
    return ApiWindowAction::None;
}

void api_on_window_message(std::uintptr_t window, unsigned message, std::uintptr_t wparam) {
    switch (api_window_action(message, wparam)) {
        case ApiWindowAction::OpenContact:
            api_open_url(kApiModuleContactAddress);
            break;
        case ApiWindowAction::ShowTerms:
            api_message_box(kTermsText, os::kIconInfo, "使用协议");
            break;
        case ApiWindowAction::ForwardAsSystemCommand:
            if (host() != nullptr) host()->send_system_command(window, wparam);
            break;
        case ApiWindowAction::EndProgram:
            end_program(0);
            break;
        case ApiWindowAction::None:
            break;
    }
}

void api_window_thread(void*) {
    os::ApiModuleHost* h = host();
    if (h == nullptr) return;
    const std::uint32_t process = h->current_process_id();
    std::uintptr_t window = 0;
    while ((window = h->find_process_window(process, true)) == 0) {
        h->process_thread_messages();
        os::os().clock->sleep_ms(kWindowLookMs);
    }
    if (h->is_console_window(window)) return;
    const int items = h->system_menu_item_count(window);
    if (items >= 2) h->remove_system_menu_item(window, items - 2);
    h->append_system_menu_item(window, kMenuSeparator, 0, "");
    h->append_system_menu_item(window, kMenuChecked, kAuthorCommand, kApiModuleAuthorEntry);
    h->append_system_menu_item(window, kMenuSeparator, 0, "");
    h->append_system_menu_item(window, kMenuChecked, kTermsCommand, kApiModuleTermsEntry);
    g_api_module_old_wndproc = h->replace_window_procedure(window, api_on_window_message);
    g_api_module_state = api_start_thread(api_update_thread, nullptr, true);
}

void api_update_thread(void*) {
    os::ApiModuleHost* h = host();
    if (h == nullptr || !h->check_connection(kApiModuleProbeAddress)) return;
    const ApiUpdateInfo info =
        api_parse_update_page(api_utf8_to_ansi(api_download_text(kApiModuleUpdatePage)));
    g_api_update_field1 = info.version;
    g_api_update_field2 = info.date;
    g_api_update_field3 = info.size;
    g_api_update_field4 = info.address;
    g_api_update_flag = api_other_version_found(info.version, g_api_module_version);
}

}  // namespace qv
