#include "main_window/main_window.h"

#include "base/helpers.h"
#include "platform/os.h"

namespace qv::ui {
namespace {

// The longest prefix of `text` that fits `max_bytes` without splitting a double-byte character.
std::string fit_bytes(const std::string& text, std::size_t max_bytes) {
    std::size_t end = 0;
    while (end < text.size() && next_char(text, end) <= max_bytes) end = next_char(text, end);
    return text.substr(0, end);
}

}  // namespace

Window* main_window() {
    Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return nullptr;
    Window* main = runtime->find(kMainWindowName);
    return main != nullptr && main->alive() ? main : nullptr;
}

bool show_tray_balloon(const std::string& title, const std::string& text, int icon,
                       int timeout_ms) {
    Window* main = main_window();
    if (main == nullptr) return false;
    if (icon < kBalloonNone || icon > kBalloonError) icon = kBalloonInfo;
    return main->tray_balloon(fit_bytes(title, 63), fit_bytes(text, 255), icon, timeout_ms);
}

const char kBusyText[] = "程序正在操作，请等待！";

int show_notice(const std::string& text, int style, const std::string& caption) {
    return os::os().notices->message_box(text, caption, style);
}

bool show_notice_balloon(const std::string& text) {
    return show_tray_balloon("提示", text, kBalloonInfo, 0);
}

}  // namespace qv::ui
