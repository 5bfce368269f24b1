// Controls by role: texts, checks, enabled and visible states, places, combo and list items,
// list-view rows, progress and timers. A role the window does not have, or a control of another
// kind, is ignored and reads as empty.
#include <windows.h>

#include <commctrl.h>

#include "encoding.h"
#include "pictures.h"
#include "win32_window.h"

namespace qv::win32 {
namespace {

using ui::Kind;

bool is_picture_layer(Kind kind) {
    return kind == Kind::PictureBox || kind == Kind::Image;
}

std::string list_view_text(HWND list, int row, int column) {
    // LVM_GETITEMTEXT reports how much it copied; grow until the text fits.
    for (size_t size = 256; size <= 65536; size *= 4) {
        std::wstring buffer(size, L'\0');
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        auto n = static_cast<size_t>(SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                                  reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < size) return narrow(buffer.substr(0, n));
    }
    return {};
}

}  // namespace

void Win32Window::set_text(const std::string& role, const std::string& text) {
    ControlState* state = control(role);
    if (state == nullptr) return;
    state->text = text;
    if (state->def->kind == Kind::TrayIcon) {
        set_tray_tip(text);
        return;
    }
    if (state->hwnd == nullptr) return;
    if (state->def->kind == Kind::DropList) {
        // A drop-down list shows only its items: the text chooses the item that has it, if any.
        LRESULT found = SendMessageW(state->hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(widen(text).c_str()));
        if (found != CB_ERR) SendMessageW(state->hwnd, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
        return;
    }
    SetWindowTextW(state->hwnd, widen(text).c_str());
    if (state->auto_size) fit_to_text(control_index(role));
    // Owner-drawn faces are repainted whole: the old text must not stay under the new one.
    if (state->def->kind == Kind::Label || state->def->kind == Kind::PictureButton ||
        state->def->kind == Kind::Check || state->def->kind == Kind::Radio)
        InvalidateRect(state->hwnd, nullptr, TRUE);
}

std::string Win32Window::text(const std::string& role) const {
    const ControlState* state = control(role);
    if (state == nullptr) return {};
    if (state->hwnd != nullptr) return text_of_window(state->hwnd);
    // Controls without a window keep their text; a closed window's controls have none.
    return state->def->kind == Kind::TrayIcon || state->def->kind == Kind::OpenDialog ||
                   state->def->kind == Kind::SaveDialog || state->def->kind == Kind::Timer ||
                   state->def->kind == Kind::DropTarget
               ? state->text
               : std::string();
}

void Win32Window::append_text(const std::string& role, const std::string& text) {
    HWND edit = control_hwnd(role, Kind::Edit);
    if (edit == nullptr) return;
    int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(widen(text).c_str()));
    end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void Win32Window::set_checked(const std::string& role, bool on) {
    const ControlState* state = control(role);
    if (state == nullptr || state->hwnd == nullptr) return;
    if (state->def->kind != Kind::Check && state->def->kind != Kind::Radio) return;
    // BM_SETCHECK sends no notification, so no Click handler runs; an auto radio set from code
    // does not clear the others of its group by itself.
    if (on && state->def->kind == Kind::Radio) {
        for (const ControlState& other : controls_)
            if (&other != state && other.def->kind == Kind::Radio &&
                other.container == state->container && other.hwnd != nullptr)
                SendMessageW(other.hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    SendMessageW(state->hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Window::checked(const std::string& role) const {
    const ControlState* state = control(role);
    if (state == nullptr || state->hwnd == nullptr) return false;
    return SendMessageW(state->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Window::set_enabled(const std::string& role, bool on) {
    ControlState* state = control(role);
    if (state == nullptr) return;
    if (state->def->kind == Kind::DropTarget) {
        set_drop_enabled(on);
        return;
    }
    if (state->hwnd != nullptr)
        EnableWindow(state->hwnd, on ? TRUE : FALSE);
    else
        state->enabled = on;
}

bool Win32Window::enabled(const std::string& role) const {
    const ControlState* state = control(role);
    if (state == nullptr) return false;
    if (state->def->kind == Kind::DropTarget) return drop_enabled_;
    if (state->hwnd == nullptr) return alive() && state->enabled;
    return IsWindowEnabled(state->hwnd) != FALSE;
}

void Win32Window::set_visible(const std::string& role, bool on) {
    ControlState* state = control(role);
    if (state == nullptr) return;
    if (state->hwnd == nullptr) {
        state->visible = on;
        return;
    }
    ShowWindow(state->hwnd, on ? SW_SHOWNA : SW_HIDE);
    if (is_picture_layer(state->def->kind)) invalidate_backdrop();
}

bool Win32Window::control_visible(const std::string& role) const {
    const ControlState* state = control(role);
    if (state == nullptr) return false;
    if (state->hwnd == nullptr) return alive() && state->visible;
    return (GetWindowLongPtrW(state->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Window::move_control(const std::string& role, int x, int y) {
    const ControlState* state = control(role);
    if (state == nullptr || state->hwnd == nullptr) return;
    SetWindowPos(state->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (is_picture_layer(state->def->kind)) invalidate_backdrop();
}

void Win32Window::resize_control(const std::string& role, int w, int h) {
    ControlState* state = control(role);
    if (state == nullptr || state->hwnd == nullptr) return;
    state->auto_size = false;
    if (state->def->kind == Kind::DropList) {
        // The height of a combo is its closed height plus the list that drops down.
        if (h > 6) SendMessageW(state->hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), h - 6);
        h += 240;
    }
    SetWindowPos(state->hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (is_picture_layer(state->def->kind)) invalidate_backdrop();
}

ui::Rect Win32Window::control_rect(const std::string& role) const {
    const ControlState* state = control(role);
    if (state == nullptr || state->hwnd == nullptr) return {};
    RECT r{};
    GetWindowRect(state->hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(state->hwnd), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Window::set_picture(const std::string& role, const std::string& picture) {
    ControlState* state = control(role);
    if (state == nullptr) return;
    state->picture = picture;
    if (state->hwnd == nullptr) return;
    if (is_picture_layer(state->def->kind))
        invalidate_backdrop();
    else
        InvalidateRect(state->hwnd, nullptr, FALSE);
}

std::string Win32Window::picture(const std::string& role) const {
    const ControlState* state = control(role);
    return state == nullptr ? std::string() : state->picture;
}

void Win32Window::set_focus(const std::string& role) {
    const ControlState* state = control(role);
    if (state != nullptr && state->hwnd != nullptr) SetFocus(state->hwnd);
}

// Combos and list boxes share their operations under two sets of message numbers.
namespace {
struct ItemMessages {
    UINT add, remove, reset, count, text_length, text, get_selection, set_selection, init_storage;
};
const ItemMessages kComboMessages{CB_ADDSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                                  CB_GETCOUNT,  CB_GETLBTEXTLEN, CB_GETLBTEXT,
                                  CB_GETCURSEL, CB_SETCURSEL,    CB_INITSTORAGE};
const ItemMessages kListMessages{LB_ADDSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                 LB_GETCOUNT,  LB_GETTEXTLEN,   LB_GETTEXT,
                                 LB_GETCURSEL, LB_SETCURSEL,    LB_INITSTORAGE};

const ItemMessages* item_messages(Kind kind) {
    if (kind == Kind::DropList) return &kComboMessages;
    if (kind == Kind::ListBox) return &kListMessages;
    return nullptr;
}
}  // namespace

int Win32Window::add_item(const std::string& role, const std::string& text) {
    const ControlState* state = control(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    if (m == nullptr) return -1;
    auto index = static_cast<int>(
        SendMessageW(state->hwnd, m->add, 0, reinterpret_cast<LPARAM>(widen(text).c_str())));
    return index < 0 ? -1 : index;
}

void Win32Window::add_items(const std::string& role, const std::vector<std::string>& texts) {
    const ControlState* state = control(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    if (m == nullptr || texts.empty()) return;
    std::vector<std::wstring> wide;
    wide.reserve(texts.size());
    size_t chars = 0;
    for (const std::string& text : texts) {
        wide.push_back(widen(text));
        chars += wide.back().size() + 1;
    }
    // Without redrawing, an addition neither repaints the list nor recomputes its scroll bar;
    // room for all of them is made once. The items go to the control's own procedure: the
    // subclass that watches its mouse has no part in them, and under Wine each message through
    // a subclass costs a look-up of the subclass's data in the server, which thousands of
    // additions would feel.
    HWND hwnd = state->hwnd;
    auto own = reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    auto send = [&](UINT msg, WPARAM wp, LPARAM lp) {
        return own != nullptr ? CallWindowProcW(own, hwnd, msg, wp, lp)
                              : SendMessageW(hwnd, msg, wp, lp);
    };
    send(WM_SETREDRAW, FALSE, 0);
    send(m->init_storage, wide.size(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
    for (const std::wstring& text : wide) send(m->add, 0, reinterpret_cast<LPARAM>(text.c_str()));
    send(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Win32Window::remove_item(const std::string& role, int index) {
    const ControlState* state = control(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    if (m != nullptr && index >= 0)
        SendMessageW(state->hwnd, m->remove, static_cast<WPARAM>(index), 0);
}

void Win32Window::clear_items(const std::string& role) {
    const ControlState* state = control(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    if (m != nullptr) SendMessageW(state->hwnd, m->reset, 0, 0);
}

int Win32Window::item_count(const std::string& role) const {
    const ControlState* state = control(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    if (m == nullptr) return 0;
    auto n = static_cast<int>(SendMessageW(state->hwnd, m->count, 0, 0));
    return n < 0 ? 0 : n;
}

std::string Win32Window::item_text(const std::string& role, int index) const {
    const ControlState* state = control(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    if (m == nullptr || index < 0) return {};
    auto n =
        static_cast<int>(SendMessageW(state->hwnd, m->text_length, static_cast<WPARAM>(index), 0));
    if (n < 0) return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = static_cast<int>(SendMessageW(state->hwnd, m->text, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data())));
    if (n < 0) return {};
    text.resize(static_cast<size_t>(n));
    return narrow(text);
}

int Win32Window::selected(const std::string& role) const {
    const ControlState* state = control(role);
    if (state != nullptr && state->def->kind == Kind::ListView) return selected_row(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    if (m == nullptr) return -1;
    auto index = static_cast<int>(SendMessageW(state->hwnd, m->get_selection, 0, 0));
    return index < 0 ? -1 : index;
}

void Win32Window::select(const std::string& role, int index) {
    const ControlState* state = control(role);
    const ItemMessages* m =
        state != nullptr && state->hwnd != nullptr ? item_messages(state->def->kind) : nullptr;
    // Both controls notify only what the user does: selecting from code raises no event.
    if (m != nullptr)
        SendMessageW(state->hwnd, m->set_selection, static_cast<WPARAM>(index < 0 ? -1 : index), 0);
}

// The report list view.

void Win32Window::set_column_caption(const std::string& role, int column, const std::string& text) {
    HWND list = control_hwnd(role, Kind::ListView);
    if (list == nullptr || column < 0) return;
    std::wstring caption = widen(text);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = caption.data();
    SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
}

std::string Win32Window::column_caption(const std::string& role, int column) const {
    HWND list = control_hwnd(role, Kind::ListView);
    if (list == nullptr || column < 0) return {};
    wchar_t buffer[260] = {};
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = buffer;
    c.cchTextMax = 260;
    if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&c)))
        return {};
    return narrow(buffer);
}

int Win32Window::add_row(const std::string& role, const std::vector<std::string>& cells) {
    HWND list = control_hwnd(role, Kind::ListView);
    if (list == nullptr) return -1;
    std::wstring first = widen(cells.empty() ? std::string() : cells[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = first.data();
    auto row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return -1;
    for (size_t c = 1; c < cells.size(); ++c) {
        std::wstring text = widen(cells[c]);
        LVITEMW sub{};
        sub.iSubItem = static_cast<int>(c);
        sub.pszText = text.data();
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&sub));
    }
    return row;
}

void Win32Window::clear_rows(const std::string& role) {
    HWND list = control_hwnd(role, Kind::ListView);
    if (list != nullptr) SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

int Win32Window::row_count(const std::string& role) const {
    HWND list = control_hwnd(role, Kind::ListView);
    return list == nullptr ? 0 : static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string Win32Window::cell(const std::string& role, int row, int column) const {
    HWND list = control_hwnd(role, Kind::ListView);
    if (list == nullptr || row < 0 || column < 0 || row >= row_count(role)) return {};
    return list_view_text(list, row, column);
}

int Win32Window::selected_row(const std::string& role) const {
    HWND list = control_hwnd(role, Kind::ListView);
    if (list == nullptr) return -1;
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32Window::select_row(const std::string& role, int row) {
    HWND list = control_hwnd(role, Kind::ListView);
    if (list == nullptr) return;
    // The list view reports the new selection through LVN_ITEMCHANGED: SelChange follows.
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (row < 0) {
        item.state = 0;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&item));
        return;
    }
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void Win32Window::set_progress(const std::string& role, int percent) {
    HWND bar = control_hwnd(role, Kind::ProgressBar);
    if (bar != nullptr)
        SendMessageW(bar, PBM_SETPOS,
                     static_cast<WPARAM>(percent < 0     ? 0
                                         : percent > 100 ? 100
                                                         : percent),
                     0);
}

int Win32Window::progress(const std::string& role) const {
    HWND bar = control_hwnd(role, Kind::ProgressBar);
    return bar == nullptr ? 0 : static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
}

void Win32Window::start_timer(const std::string& role, int interval_ms) {
    int index = control_index(role);
    if (index < 0 || !alive() || controls_[static_cast<size_t>(index)].def->kind != Kind::Timer)
        return;
    UINT interval =
        static_cast<UINT>(interval_ms < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : interval_ms);
    if (SetTimer(hwnd_, static_cast<UINT_PTR>(kControlIdBase + index), interval, nullptr) != 0)
        controls_[static_cast<size_t>(index)].timer_running = true;
}

void Win32Window::stop_timer(const std::string& role) {
    int index = control_index(role);
    if (index < 0 || controls_[static_cast<size_t>(index)].def->kind != Kind::Timer) return;
    if (alive()) KillTimer(hwnd_, static_cast<UINT_PTR>(kControlIdBase + index));
    controls_[static_cast<size_t>(index)].timer_running = false;
}

bool Win32Window::timer_running(const std::string& role) const {
    const ControlState* state = control(role);
    return state != nullptr && state->timer_running;
}

}  // namespace qv::win32
