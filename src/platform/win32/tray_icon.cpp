#include "tray_icon.h"

#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "encoding.h"
#include "win32_os.h"
#include "win32_window.h"

namespace qv::win32 {
namespace {

const UINT kTrayIconId = 1;
const UINT kNormalFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

template <size_t N>
void copy_text(wchar_t (&field)[N], const std::string& gbk) {
    std::wstring wide = widen(gbk);
    size_t n = wide.size() < N - 1 ? wide.size() : N - 1;
    wmemcpy(field, wide.data(), n);
    field[n] = L'\0';
}

}  // namespace

std::string cut_at_character(const std::string& text, size_t max_bytes) {
    size_t end = 0;
    while (end < text.size()) {
        size_t step =
            static_cast<unsigned char>(text[end]) >= 0x81 && end + 1 < text.size() ? 2 : 1;
        if (end + step > max_bytes) break;
        end += step;
    }
    return text.substr(0, end);
}

int balloon_icon_kind(int icon) {
    return icon < 0 || icon > 3 ? 1 : icon;
}

void Win32Window::fill_tray_data() {
    // The size of the version-3 structure: the shells of old systems refuse a larger one, and it
    // holds every field the balloon needs.
    tray_data_ = NOTIFYICONDATAW{};
    tray_data_.cbSize = NOTIFYICONDATAW_V3_SIZE;
    tray_data_.hWnd = hwnd_;
    tray_data_.uID = kTrayIconId;
    tray_data_.uFlags = kNormalFlags;
    tray_data_.uCallbackMessage = kTrayMessage;
    tray_data_.hIcon = program_icon_for_tray();
    copy_text(tray_data_.szTip,
              cut_at_character(controls_[static_cast<size_t>(tray_index_)].text, 127));
}

bool Win32Window::tray_add() {
    if (!alive() || tray_index_ < 0) return false;
    fill_tray_data();
    tray_added_ = Shell_NotifyIconW(NIM_ADD, &tray_data_) != FALSE;
    return tray_added_;
}

void Win32Window::remove_tray_icon() {
    if (!tray_added_) return;
    tray_data_.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &tray_data_);
    tray_added_ = false;
}

void Win32Window::tray_remove() {
    remove_tray_icon();
}

void Win32Window::set_tray_tip(const std::string& tip) {
    if (tray_index_ < 0) return;
    controls_[static_cast<size_t>(tray_index_)].text = tip;
    if (!tray_added_ || !alive()) return;
    fill_tray_data();
    Shell_NotifyIconW(NIM_MODIFY, &tray_data_);
}

bool Win32Window::tray_balloon(const std::string& title, const std::string& text, int icon,
                               int timeout_ms) {
    const std::string shown_title = cut_at_character(title, 63);
    const std::string shown_text = cut_at_character(text, 255);
    const int kind = balloon_icon_kind(icon);
    bool shown = false;
    if (alive() && tray_index_ >= 0) {
        fill_tray_data();
        // The shell refuses the version (and so the balloon) while the icon is not in the area.
        tray_data_.uVersion = 3;
        if (Shell_NotifyIconW(NIM_SETVERSION, &tray_data_)) {
            tray_data_.uFlags = NIF_INFO;
            copy_text(tray_data_.szInfoTitle, shown_title);
            copy_text(tray_data_.szInfo, shown_text);
            tray_data_.dwInfoFlags = static_cast<DWORD>(kind);
            tray_data_.uTimeout = static_cast<UINT>(timeout_ms < 0 ? 0 : timeout_ms);
            shown = Shell_NotifyIconW(NIM_MODIFY, &tray_data_) != FALSE;
            // Later tip and icon updates must not repeat the balloon.
            tray_data_.uFlags = kNormalFlags;
            tray_data_.szInfo[0] = L'\0';
            tray_data_.szInfoTitle[0] = L'\0';
        }
    }
    log_notice("balloon", shown_title, shown_text,
               std::to_string(kind) + "/" + std::to_string(timeout_ms) + "/" + (shown ? "1" : "0"));
    return shown;
}

}  // namespace qv::win32
