#include "win32_window.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "encoding.h"
#include "pictures.h"
#include "win32_runtime.h"

namespace qv::win32 {
namespace {

using ui::Kind;

const wchar_t kUnitProperty[] = L"QvUnit";

bool has_window(Kind kind) {
    switch (kind) {
        case Kind::TrayIcon:
        case Kind::DropTarget:
        case Kind::Timer:
        case Kind::OpenDialog:
        case Kind::SaveDialog:
            return false;
        default:
            return true;
    }
}

bool is_picture_layer(Kind kind) {
    return kind == Kind::PictureBox || kind == Kind::Image;
}

BOOL CALLBACK take_first_icon(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    auto* out = reinterpret_cast<std::wstring*>(found);
    // A numbered resource is kept as "#N", which the loaders accept as well.
    *out = IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<UINT_PTR>(name))
                                : std::wstring(name);
    return FALSE;
}

// The first icon group of the program, or the system's application icon.
HICON program_icon(int size) {
    HMODULE module = GetModuleHandleW(nullptr);
    std::wstring first;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(14), take_first_icon,
                       reinterpret_cast<LONG_PTR>(&first));
    HANDLE icon = first.empty()
                      ? nullptr
                      : LoadImageW(module, first.c_str(), IMAGE_ICON, size, size, LR_SHARED);
    return icon != nullptr ? static_cast<HICON>(icon) : LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

HICON program_icon_for_tray() {
    return program_icon(GetSystemMetrics(SM_CXSMICON));
}

std::string text_of_window(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return narrow(text);
}

Win32Window::Win32Window(Win32Runtime& runtime, const ui::WindowDef& def)
    : runtime_(runtime), def_(def) {
    controls_.resize(def_.controls.size());
    for (size_t i = 0; i < def_.controls.size(); ++i) {
        ControlState& state = controls_[i];
        state.def = &def_.controls[i];
        state.picture = state.def->picture;
        state.text = state.def->caption;
        state.filter = state.def->filter;
        state.enabled = state.def->enabled;
        state.visible = state.def->visible;
        if (!state.def->role.empty() && roles_.count(state.def->role) == 0)
            roles_[state.def->role] = static_cast<int>(i);
    }
}

Win32Window::~Win32Window() = default;

bool Win32Window::create(HWND owner) {
    static bool classes = [] {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW window{};
        window.cbSize = sizeof window;
        window.lpfnWndProc = window_proc;
        window.hInstance = instance;
        window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window.hIcon = program_icon(GetSystemMetrics(SM_CXICON));
        window.hIconSm = program_icon(GetSystemMetrics(SM_CXSMICON));
        window.lpszClassName = kWindowClass;
        WNDCLASSEXW box{};
        box.cbSize = sizeof box;
        box.lpfnWndProc = picture_box_proc;
        box.hInstance = instance;
        box.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        box.lpszClassName = kPictureBoxClass;
        return RegisterClassExW(&window) != 0 && RegisterClassExW(&box) != 0;
    }();
    if (!classes) return false;

    // A skinned window draws its own frame; a framed one is an ordinary overlapped window.
    DWORD style = WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    style |= def_.frameless ? WS_POPUP : WS_CAPTION;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - def_.w) / 2;
    int y = work.top + (work.bottom - work.top - def_.h) / 2;
    hwnd_ = CreateWindowExW(0, kWindowClass, widen(def_.caption).c_str(), style, x, y, def_.w,
                            def_.h, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (hwnd_ == nullptr) return false;
    for (size_t i = 0; i < controls_.size(); ++i) create_control(static_cast<int>(i));
    put_pictures_at_the_bottom();
    build_menus();
    drop_enabled_ = false;
    for (size_t i = 0; i < controls_.size(); ++i) {
        const ui::ControlDef& d = *controls_[i].def;
        if (d.kind == Kind::TrayIcon && tray_index_ < 0) tray_index_ = static_cast<int>(i);
        if (d.kind == Kind::DropTarget && d.enabled) drop_enabled_ = true;
    }
    apply_drop_state();
    return true;
}

void Win32Window::create_control(int index) {
    ControlState& state = controls_[static_cast<size_t>(index)];
    const ui::ControlDef& d = *state.def;
    if (state.hwnd != nullptr || state.building || !has_window(d.kind)) return;
    state.building = true;

    HWND parent = hwnd_;
    if (!d.parent.empty()) {
        int container = control_index(d.parent);
        // Containers come first in a definition; one that does not is made on demand.
        if (container >= 0 &&
            controls_[static_cast<size_t>(container)].def->kind == Kind::PictureBox) {
            if (controls_[static_cast<size_t>(container)].hwnd == nullptr)
                create_control(container);
            if (controls_[static_cast<size_t>(container)].hwnd != nullptr) {
                parent = controls_[static_cast<size_t>(container)].hwnd;
                state.container = container;
            }
        }
    }

    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (d.visible) style |= WS_VISIBLE;
    if (!d.enabled) style |= WS_DISABLED;
    DWORD ex_style = 0;
    const wchar_t* cls = L"STATIC";
    int w = d.w, h = d.h;
    switch (d.kind) {
        case Kind::PictureBox:
        case Kind::Image:
            cls = kPictureBoxClass;
            style |= WS_CLIPCHILDREN;
            ex_style |= WS_EX_CONTROLPARENT;
            break;
        case Kind::PictureButton:
            cls = L"BUTTON";
            style |= BS_OWNERDRAW | WS_TABSTOP;
            break;
        case Kind::Label:
            cls = L"STATIC";
            style |= SS_OWNERDRAW | SS_NOTIFY;
            break;
        case Kind::Radio:
            cls = L"BUTTON";
            style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
            break;
        case Kind::Check:
            cls = L"BUTTON";
            style |= BS_AUTOCHECKBOX | WS_TABSTOP;
            break;
        case Kind::Edit:
            cls = L"EDIT";
            style |= WS_BORDER | WS_TABSTOP;
            if (d.flags & ui::kMultiLine)
                style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
            else
                style |= ES_AUTOHSCROLL;
            if (d.flags & ui::kReadOnly) style |= ES_READONLY;
            if (d.flags & ui::kPassword) style |= ES_PASSWORD;
            if (d.flags & ui::kVScroll) style |= WS_VSCROLL;
            break;
        case Kind::DropList:
            cls = L"COMBOBOX";
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            h = (h > 0 ? h : 22) + 240;  // the height of a combo includes its drop-down list
            break;
        case Kind::ListBox:
            cls = L"LISTBOX";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
            break;
        case Kind::ListView:
            cls = WC_LISTVIEWW;
            style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP;
            break;
        case Kind::ProgressBar:
            cls = PROGRESS_CLASSW;
            break;
        default:
            state.building = false;
            return;
    }
    if (w <= 0 || (h <= 0 && d.kind != Kind::DropList)) {
        state.auto_size = d.kind == Kind::Label || d.kind == Kind::Check || d.kind == Kind::Radio;
        if (w <= 0) w = 100;
        if (h <= 0) h = 20;
    }

    HWND hwnd =
        CreateWindowExW(ex_style, cls, widen(d.caption).c_str(), style, d.x, d.y, w, h, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + index)),
                        GetModuleHandleW(nullptr), this);
    state.building = false;
    if (hwnd == nullptr) return;
    state.hwnd = hwnd;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(index)), FALSE);
    // Automation finds a control by its unit name: a global atom kept as a window property.
    if (!d.unit.empty()) {
        state.unit_atom = GlobalAddAtomW(widen(d.unit).c_str());
        if (state.unit_atom != 0)
            SetPropW(hwnd, kUnitProperty,
                     reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(state.unit_atom)));
    }

    switch (d.kind) {
        case Kind::PictureButton:
            SetWindowSubclass(hwnd, control_subclass_proc, static_cast<UINT_PTR>(index),
                              reinterpret_cast<DWORD_PTR>(this));
            break;
        case Kind::ListBox:
            SetWindowSubclass(hwnd, control_subclass_proc, static_cast<UINT_PTR>(index),
                              reinterpret_cast<DWORD_PTR>(this));
            for (const std::string& item : d.items)
                SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
            if (d.selected >= 0)
                SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(d.selected), 0);
            break;
        case Kind::Radio:
        case Kind::Check:
            SendMessageW(hwnd, BM_SETCHECK, d.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Kind::Edit:
            SendMessageW(hwnd, EM_SETLIMITTEXT, 0,
                         0);  // console output grows past the default 32767
            break;
        case Kind::DropList:
            for (const std::string& item : d.items)
                SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
            if (d.h > 6) SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), d.h - 6);
            if (d.selected >= 0)
                SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(d.selected), 0);
            break;
        case Kind::ListView:
            fill_list_view_columns(index);
            break;
        case Kind::ProgressBar:
            SendMessageW(hwnd, PBM_SETRANGE32, 0, 100);
            break;
        default:
            break;
    }
    if (state.auto_size) fit_to_text(index);
    if (d.kind == Kind::Image && (d.w <= 0 || d.h <= 0)) {
        if (const Picture* p = load_picture(state.picture))
            SetWindowPos(hwnd, nullptr, 0, 0, p->w, p->h,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Win32Window::fill_list_view_columns(int index) {
    const ControlState& state = controls_[static_cast<size_t>(index)];
    const ui::ControlDef& d = *state.def;
    SendMessageW(state.hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    for (size_t c = 0; c < d.items.size(); ++c) {
        std::wstring caption = widen(d.items[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = caption.data();
        column.cx = c < d.widths.size() ? d.widths[c] : 80;
        column.iSubItem = static_cast<int>(c);
        SendMessageW(state.hwnd, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
}

void Win32Window::fit_to_text(int index) {
    const ControlState& state = controls_[static_cast<size_t>(index)];
    if (state.hwnd == nullptr) return;
    std::wstring text = widen(text_of_window(state.hwnd));
    WindowDc screen(state.hwnd);
    Selection font(screen.get(), font_for(index));
    RECT r{0, 0, 0, 0};
    DrawTextW(screen.get(), text.empty() ? L" " : text.c_str(), -1, &r,
              DT_CALCRECT | DT_SINGLELINE);
    int w = r.right - r.left + 2;
    int h = r.bottom - r.top;
    if (state.def->kind != Kind::Label) {
        w += GetSystemMetrics(SM_CXMENUCHECK) + 8;  // the box and the gap before the text
        h = std::max<int>(h + 2, 16);
    }
    SetWindowPos(state.hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::put_pictures_at_the_bottom() {
    // A control placed on the window over a picture box belongs in front of the picture: children
    // are stacked in creation order, so the pictures go to the bottom, the first defined lowest.
    for (size_t i = controls_.size(); i-- > 0;) {
        const ControlState& state = controls_[i];
        if (state.hwnd != nullptr && is_picture_layer(state.def->kind))
            SetWindowPos(state.hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Win32Window::run_created_and_show() {
    in_created_ = true;
    hidden_in_created_ = false;
    raise_simple(ui::EventKind::Created, "");
    in_created_ = false;
    if (!alive() || hidden_in_created_ || runtime_.quitting()) return;
    if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

void Win32Window::set_modal_owner(HWND owner) {
    if (owner == nullptr || !IsWindowEnabled(owner)) return;  // an owner disabled already stays so
    modal_owner_ = owner;
    EnableWindow(owner, FALSE);
}

void Win32Window::release_modal_owner() {
    if (modal_owner_ == nullptr) return;
    HWND owner = modal_owner_;
    modal_owner_ = nullptr;
    if (IsWindow(owner)) EnableWindow(owner, TRUE);
}

void Win32Window::destroy_silently() {
    silent_ = true;
    if (alive()) DestroyWindow(hwnd_);
}

bool Win32Window::alive() const {
    return hwnd_ != nullptr && IsWindow(hwnd_);
}

bool Win32Window::raise(ui::Event& event) {
    if (silent_) return false;
    event.window = this;
    return ui::dispatch(event);
}

void Win32Window::raise_simple(ui::EventKind kind, const std::string& role, int index) {
    ui::Event event;
    event.kind = kind;
    event.role = role;
    event.index = index;
    POINT pt{};
    GetCursorPos(&pt);
    event.x = pt.x;
    event.y = pt.y;
    raise(event);
}

int Win32Window::control_index(const std::string& role) const {
    auto found = roles_.find(role);
    return found == roles_.end() ? -1 : found->second;
}

int Win32Window::control_index_by_unit(const std::string& unit) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].def->unit == unit) return static_cast<int>(i);
    return -1;
}

const ControlState* Win32Window::control(const std::string& role) const {
    int index = control_index(role);
    return index < 0 ? nullptr : &controls_[static_cast<size_t>(index)];
}

ControlState* Win32Window::control(const std::string& role) {
    int index = control_index(role);
    return index < 0 ? nullptr : &controls_[static_cast<size_t>(index)];
}

HWND Win32Window::control_hwnd(const std::string& role, ui::Kind kind) const {
    const ControlState* state = control(role);
    return state != nullptr && state->def->kind == kind ? state->hwnd : nullptr;
}

int Win32Window::index_of_hwnd(HWND hwnd) const {
    if (hwnd == nullptr) return -1;
    auto id = static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_ID)) - kControlIdBase;
    if (id >= 0 && id < static_cast<int>(controls_.size()) &&
        controls_[static_cast<size_t>(id)].hwnd == hwnd)
        return id;
    return -1;
}

// Window procedures.

LRESULT CALLBACK Win32Window::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->handle_message(msg, wp, lp);
}

LRESULT CALLBACK Win32Window::picture_box_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->handle_picture_box_message(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Window::control_subclass_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                                    UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<Win32Window*>(data);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, control_subclass_proc, id);
    return self->handle_subclassed_message(hwnd, static_cast<int>(id), msg, wp, lp);
}

bool Win32Window::paint_from_backdrop(HWND target, UINT msg, WPARAM wp, LRESULT* result) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(target, &ps);
            blit_backdrop(dc, target, ps.rcPaint);
            EndPaint(target, &ps);
            *result = 0;
            return true;
        }
        case WM_ERASEBKGND:
            *result = 1;
            return true;
        case WM_PRINTCLIENT: {
            RECT client;
            GetClientRect(target, &client);
            blit_backdrop(reinterpret_cast<HDC>(wp), target, client);
            *result = 0;
            return true;
        }
        default:
            return false;
    }
}

LRESULT Win32Window::handle_message(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (handle_child_message(msg, wp, lp, &result)) return result;
    if (paint_from_backdrop(hwnd_, msg, wp, &result)) return result;
    switch (msg) {
        case WM_SIZE:
            invalidate_backdrop();
            break;
        case WM_TIMER: {
            int index = static_cast<int>(wp) - kControlIdBase;
            if (index >= 0 && index < control_count() &&
                controls_[static_cast<size_t>(index)].timer_running) {
                raise_simple(ui::EventKind::Timer, controls_[static_cast<size_t>(index)].def->role);
                return 0;
            }
            break;
        }
        case kTrayMessage:
            if (static_cast<UINT>(lp) == WM_RBUTTONUP && tray_index_ >= 0)
                raise_simple(ui::EventKind::RButtonUp,
                             controls_[static_cast<size_t>(tray_index_)].def->role);
            return 0;
        case kDropMessage: {
            auto drops = std::move(pending_drops_);
            pending_drops_.clear();
            for (auto& files : drops) deliver_drop(std::move(files));
            return 0;
        }
        case WM_DROPFILES:
            on_drop_files(reinterpret_cast<HDROP>(wp));
            return 0;
        case WM_HOTKEY: {
            ui::Event event;
            event.kind = ui::EventKind::HotKey;
            event.code = static_cast<int>(wp);
            raise(event);
            return 0;
        }
        case WM_DEVICECHANGE:
            if (listening_for_devices_) {
                ui::Event event;
                event.kind = ui::EventKind::DeviceChange;
                event.code = static_cast<int>(wp);
                raise(event);
            }
            break;
        case WM_CLOSE: {
            ui::Event event;
            event.kind = ui::EventKind::Closing;
            raise(event);
            if (!event.cancel) close();
            return 0;
        }
        case WM_DESTROY:
            on_destroy();
            return 0;
        case WM_NCDESTROY: {
            HWND self = hwnd_;
            on_nc_destroy();
            return DefWindowProcW(self, msg, wp, lp);
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Win32Window::handle_picture_box_message(HWND box, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (handle_child_message(msg, wp, lp, &result)) return result;
    if (paint_from_backdrop(box, msg, wp, &result)) return result;
    switch (msg) {
        case WM_LBUTTONDOWN: {
            int index = index_of_hwnd(box);
            if (index >= 0 && (controls_[static_cast<size_t>(index)].def->flags & ui::kSkin) &&
                hwnd_ != nullptr) {
                // Pressing on the skin moves the whole window, as the caption of a framed one
                // would.
                ReleaseCapture();
                SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return DefWindowProcW(box, msg, wp, lp);
}

LRESULT Win32Window::handle_subclassed_message(HWND control, int index, UINT msg, WPARAM wp,
                                               LPARAM lp) {
    ControlState& state = controls_[static_cast<size_t>(index)];
    switch (msg) {
        case WM_MOUSEMOVE:
            if (state.def->kind == Kind::PictureButton && !state.hot) {
                state.hot = true;
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
                TrackMouseEvent(&track);
                InvalidateRect(control, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            if (state.hot) {
                state.hot = false;
                InvalidateRect(control, nullptr, FALSE);
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (state.def->kind == Kind::ListBox) {
                // The list box reports neither button to its container: the item under the mouse is
                // found here, after the list has handled the press (a left press selects).
                LRESULT r = DefSubclassProc(control, msg, wp, lp);
                LRESULT hit = SendMessageW(control, LB_ITEMFROMPOINT, 0, lp);
                int item = HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit));
                ui::Event event;
                event.kind =
                    msg == WM_LBUTTONDOWN ? ui::EventKind::LButtonDown : ui::EventKind::RButtonDown;
                event.role = state.def->role;
                event.index = item;
                POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                ClientToScreen(control, &pt);
                event.x = pt.x;
                event.y = pt.y;
                raise(event);
                return r;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(control, msg, wp, lp);
}

bool Win32Window::handle_child_message(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
        case WM_COMMAND:
            if (lp == 0) {
                if (HIWORD(wp) == 0) choose_menu_command(LOWORD(wp));
                *result = 0;
                return true;
            }
            {
                int index = index_of_hwnd(reinterpret_cast<HWND>(lp));
                if (index < 0) return false;
                on_command(index, HIWORD(wp));
            }
            *result = 0;
            return true;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (index_of_hwnd(header->hwndFrom) < 0) return false;
            on_notify(*header);
            *result = 0;
            return true;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            int index = index_of_hwnd(item->hwndItem);
            if (index < 0) return false;
            Kind kind = controls_[static_cast<size_t>(index)].def->kind;
            if (kind == Kind::Label)
                paint_label(*item, index);
            else if (kind == Kind::PictureButton)
                paint_picture_button(*item, index);
            else
                return false;
            *result = TRUE;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            int index = index_of_hwnd(reinterpret_cast<HWND>(lp));
            if (index < 0) return false;
            Kind kind = controls_[static_cast<size_t>(index)].def->kind;
            // Read-only and disabled edit boxes ask with WM_CTLCOLORSTATIC too: they keep their
            // face.
            if (kind != Kind::Label && kind != Kind::Check && kind != Kind::Radio &&
                kind != Kind::PictureButton)
                return false;
            *result = color_transparent_control(reinterpret_cast<HDC>(wp),
                                                reinterpret_cast<HWND>(lp), index);
            return true;
        }
        case WM_SETCURSOR: {
            int index = index_of_hwnd(reinterpret_cast<HWND>(wp));
            if (index < 0 || !(controls_[static_cast<size_t>(index)].def->flags & ui::kLink))
                return false;
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            *result = TRUE;
            return true;
        }
        default:
            return false;
    }
}

void Win32Window::on_command(int index, int code) {
    const ControlState& state = controls_[static_cast<size_t>(index)];
    const std::string& role = state.def->role;
    // What the user cannot press does not act, whoever sends the press (automation, BM_CLICK).
    if (!IsWindowEnabled(state.hwnd)) return;
    switch (state.def->kind) {
        case Kind::PictureButton:
            // An owner-drawn button reports a quick second click as a double click.
            if (code == BN_CLICKED || code == BN_DOUBLECLICKED)
                raise_simple(ui::EventKind::Click, role);
            break;
        case Kind::Check:
        case Kind::Radio:
            if (code == BN_CLICKED) raise_simple(ui::EventKind::Click, role);
            break;
        case Kind::Label:
            if (code == STN_CLICKED || code == STN_DBLCLK)
                raise_simple(ui::EventKind::LButtonDown, role);
            break;
        case Kind::DropList:
            if (code == CBN_SELCHANGE)
                raise_simple(ui::EventKind::SelChange, role,
                             static_cast<int>(SendMessageW(state.hwnd, CB_GETCURSEL, 0, 0)));
            break;
        case Kind::ListBox:
            if (code == LBN_SELCHANGE)
                raise_simple(ui::EventKind::SelChange, role,
                             static_cast<int>(SendMessageW(state.hwnd, LB_GETCURSEL, 0, 0)));
            break;
        default:
            break;
    }
}

void Win32Window::on_notify(const NMHDR& header) {
    int index = index_of_hwnd(header.hwndFrom);
    const ControlState& state = controls_[static_cast<size_t>(index)];
    if (state.def->kind != Kind::ListView) return;
    const std::string& role = state.def->role;
    switch (header.code) {
        case NM_CLICK:
            raise_simple(ui::EventKind::Click, role,
                         reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
            break;
        case NM_RCLICK:
            raise_simple(ui::EventKind::RButtonDown, role,
                         reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
            break;
        case NM_DBLCLK:
            raise_simple(ui::EventKind::DoubleClick, role,
                         reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
            break;
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            bool now = (change.uNewState & LVIS_SELECTED) != 0;
            bool before = (change.uOldState & LVIS_SELECTED) != 0;
            if ((change.uChanged & LVIF_STATE) && now && !before && change.iItem >= 0)
                raise_simple(ui::EventKind::SelChange, role, change.iItem);
            break;
        }
        default:
            break;
    }
}

void Win32Window::on_destroy() {
    // The owner gets the activation back only when it is enabled before this window goes.
    release_modal_owner();
    raise_simple(ui::EventKind::Destroyed, "");
    remove_tray_icon();
    revoke_drop();
    for (int id : hotkeys_) UnregisterHotKey(hwnd_, id);
    hotkeys_.clear();
}

void Win32Window::on_nc_destroy() {
    for (ControlState& state : controls_) {
        if (state.unit_atom != 0) GlobalDeleteAtom(state.unit_atom);
        state.unit_atom = 0;
        state.hwnd = nullptr;
        state.timer_running = false;
    }
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

// The window itself.

void Win32Window::set_caption(const std::string& text) {
    if (alive()) SetWindowTextW(hwnd_, widen(text).c_str());
}

std::string Win32Window::caption() const {
    return alive() ? text_of_window(hwnd_) : std::string();
}

void Win32Window::set_size(int w, int h) {
    if (alive())
        SetWindowPos(hwnd_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

ui::Rect Win32Window::rect() const {
    RECT r{};
    if (!alive() || !GetWindowRect(hwnd_, &r)) return {};
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32Window::show() {
    if (alive()) ShowWindow(hwnd_, SW_SHOW);
}

void Win32Window::hide() {
    if (!alive()) return;
    if (in_created_) hidden_in_created_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void Win32Window::minimize() {
    if (alive()) ShowWindow(hwnd_, SW_MINIMIZE);
}

bool Win32Window::visible() const {
    return alive() && IsWindowVisible(hwnd_);
}

void Win32Window::set_topmost(bool topmost) {
    if (alive())
        SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Window::close() {
    if (!alive()) return;
    release_modal_owner();
    DestroyWindow(hwnd_);
}

bool Win32Window::register_hotkey(int id, unsigned modifiers, unsigned key) {
    if (!alive()) return false;
    // A second registration of an id replaces the first.
    UnregisterHotKey(hwnd_, id);
    if (!RegisterHotKey(hwnd_, id, modifiers, key)) return false;
    hotkeys_.push_back(id);
    return true;
}

void Win32Window::listen_for_device_changes() {
    listening_for_devices_ = true;
}

}  // namespace qv::win32
