// Painting of the skinned look. The window's pictures (its picture boxes and images, each clipped
// by its containers) are composed once into one bitmap, the backdrop; picture boxes, transparent
// labels, check boxes, radios and picture buttons take their background from it. So a label over
// a picture repaints cleanly when its text changes, whatever lies below it.
#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "encoding.h"
#include "pictures.h"
#include "win32_runtime.h"
#include "win32_window.h"

namespace qv::win32 {
namespace {

using ui::Kind;

// The plain face of a picture that is missing.
const COLORREF kFlatFace = RGB(0xE8, 0xEE, 0xF5);
const COLORREF kFlatEdge = RGB(0x7A, 0x96, 0xB8);
void fill(HDC dc, const RECT& r, COLORREF colour) {
    Brush brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush.get());
}

void draw_flat(HDC dc, const RECT& r, bool edge) {
    fill(dc, r, kFlatFace);
    if (!edge) return;
    Brush brush(CreateSolidBrush(kFlatEdge));
    FrameRect(dc, &r, brush.get());
}

// One axis of a skin drawn at another size: the picture's first half and last half keep their
// scale, so the title, the corners and the frame stay as drawn. A smaller size leaves out the
// middle of the picture; a larger one stretches the picture's middle line over the gap.
struct Span {
    int src0, src1, dst0, dst1;
};

int skin_spans(int src, int dst, Span out[3]) {
    int head = std::min(src / 2, dst / 2);
    int tail = std::min(src - src / 2, dst - dst / 2);
    int n = 0;
    out[n++] = {0, head, 0, head};
    if (dst > head + tail) out[n++] = {head - 1 > 0 ? head - 1 : 0, head + 1, head, dst - tail};
    out[n++] = {src - tail, src, dst - tail, dst};
    return n;
}

void draw_skin(HDC dc, const Picture& p, const RECT& dest) {
    Span xs[3], ys[3];
    int nx = skin_spans(p.w, dest.right - dest.left, xs);
    int ny = skin_spans(p.h, dest.bottom - dest.top, ys);
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            RECT s{xs[i].src0, ys[j].src0, xs[i].src1, ys[j].src1};
            RECT d{dest.left + xs[i].dst0, dest.top + ys[j].dst0, dest.left + xs[i].dst1,
                   dest.top + ys[j].dst1};
            draw_picture(dc, p, s, d);
        }
}

}  // namespace

HFONT Win32Window::font_for(int index) const {
    unsigned flags = controls_[static_cast<size_t>(index)].def->flags;
    return runtime_.font((flags & ui::kBold) != 0, (flags & ui::kLink) != 0);
}

void Win32Window::invalidate_backdrop() {
    backdrop_.dirty = true;
    if (alive())
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32Window::ensure_backdrop() {
    RECT client{};
    if (hwnd_ != nullptr) GetClientRect(hwnd_, &client);
    if (client.right != backdrop_.w || client.bottom != backdrop_.h) backdrop_.dirty = true;
    if (backdrop_.dirty) compose_backdrop();
}

bool Win32Window::visible_in_tree(int index) const {
    // Before the window is first shown IsWindowVisible is false everywhere; the own flags count.
    for (int i = index; i >= 0; i = controls_[static_cast<size_t>(i)].container) {
        HWND hwnd = controls_[static_cast<size_t>(i)].hwnd;
        if (hwnd == nullptr || !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE)) return false;
    }
    return true;
}

POINT Win32Window::origin_in_window(HWND hwnd) const {
    POINT origin{0, 0};
    if (hwnd != hwnd_) MapWindowPoints(hwnd, hwnd_, &origin, 1);
    return origin;
}

void Win32Window::compose_backdrop() {
    backdrop_.dirty = false;
    backdrop_.brush.reset();
    backdrop_.dc.reset();
    backdrop_.bitmap.reset();
    RECT client{};
    if (hwnd_ == nullptr || !GetClientRect(hwnd_, &client)) return;
    backdrop_.w = client.right;
    backdrop_.h = client.bottom;
    if (backdrop_.w <= 0 || backdrop_.h <= 0) return;
    WindowDc screen(hwnd_);
    backdrop_.bitmap.reset(CreateCompatibleBitmap(screen.get(), backdrop_.w, backdrop_.h));
    backdrop_.dc.create(screen.get());
    if (!backdrop_.bitmap || !backdrop_.dc) return;
    backdrop_.dc.select(backdrop_.bitmap.get());
    HDC dc = backdrop_.dc.get();
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    // Containers before their content, so each picture lands on those below it; siblings keep
    // the definition's order.
    std::vector<std::pair<int, int>> layers;  // (depth, index)
    for (size_t i = 0; i < controls_.size(); ++i) {
        Kind kind = controls_[i].def->kind;
        if ((kind != Kind::PictureBox && kind != Kind::Image) ||
            !visible_in_tree(static_cast<int>(i)))
            continue;
        int depth = 0;
        for (int c = controls_[i].container; c >= 0;
             c = controls_[static_cast<size_t>(c)].container)
            ++depth;
        layers.emplace_back(depth, static_cast<int>(i));
    }
    std::stable_sort(layers.begin(), layers.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& layer : layers) compose_picture_control(dc, layer.second);
    backdrop_.brush.reset(CreatePatternBrush(backdrop_.bitmap.get()));
}

void Win32Window::compose_picture_control(HDC dc, int index) {
    const ControlState& state = controls_[static_cast<size_t>(index)];
    RECT own{};
    GetClientRect(state.hwnd, &own);
    POINT origin = origin_in_window(state.hwnd);
    OffsetRect(&own, origin.x, origin.y);
    // A picture box clips what lies outside it, its content's pictures included.
    RECT clip = own;
    for (int c = state.container; c >= 0; c = controls_[static_cast<size_t>(c)].container) {
        RECT outer{};
        GetClientRect(controls_[static_cast<size_t>(c)].hwnd, &outer);
        POINT o = origin_in_window(controls_[static_cast<size_t>(c)].hwnd);
        OffsetRect(&outer, o.x, o.y);
        IntersectRect(&clip, &clip, &outer);
    }
    if (IsRectEmpty(&clip) || state.picture.empty())
        return;  // a box without a picture is see-through
    int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    const Picture* p = load_picture(state.picture);
    const bool skin = (state.def->flags & ui::kSkin) != 0;
    if (p == nullptr) {
        draw_flat(dc, own, skin);
    } else if (skin) {
        draw_skin(dc, *p, own);
    } else if (state.def->kind == Kind::Image) {
        draw_picture(dc, *p, RECT{0, 0, p->w, p->h}, own);
    } else {
        // A background keeps its scale: a smaller box shows part of it, a larger one the face
        // around it.
        if (p->w < own.right - own.left || p->h < own.bottom - own.top) fill(dc, own, kFlatFace);
        RECT dest{own.left, own.top, own.left + p->w, own.top + p->h};
        draw_picture(dc, *p, RECT{0, 0, p->w, p->h}, dest);
    }
    RestoreDC(dc, saved);
}

void Win32Window::blit_backdrop(HDC dc, HWND target, const RECT& area) {
    ensure_backdrop();
    if (!backdrop_.dc) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    POINT origin = origin_in_window(target);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
           backdrop_.dc.get(), area.left + origin.x, area.top + origin.y, SRCCOPY);
}

LRESULT Win32Window::color_transparent_control(HDC dc, HWND control, int index) {
    ensure_backdrop();
    POINT origin = origin_in_window(control);
    // The pattern brush is the whole backdrop: aligned to the control, it fills exactly what
    // lies beneath it.
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
    unsigned flags = controls_[static_cast<size_t>(index)].def->flags;
    SetTextColor(dc, (flags & ui::kWhiteText) ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT));
    if (!backdrop_.brush) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(backdrop_.brush.get());
}

void Win32Window::paint_label(const DRAWITEMSTRUCT& item, int index) {
    const ControlState& state = controls_[static_cast<size_t>(index)];
    RECT r{};
    GetClientRect(item.hwndItem, &r);
    int w = r.right, h = r.bottom;
    if (w <= 0 || h <= 0) return;
    // Drawn off screen and copied in one piece: no flicker, no trace of an earlier text.
    MemoryDc memory(item.hDC);
    Bitmap bitmap(CreateCompatibleBitmap(item.hDC, w, h));
    if (!memory || !bitmap) return;
    memory.select(bitmap.get());
    blit_backdrop(memory.get(), item.hwndItem, r);
    unsigned flags = state.def->flags;
    COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
    if (flags & ui::kWhiteText) colour = RGB(255, 255, 255);
    if (flags & ui::kLink) colour = RGB(0, 0, 0xCC);
    if (!IsWindowEnabled(item.hwndItem)) colour = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(memory.get(), colour);
    SetBkMode(memory.get(), TRANSPARENT);
    Selection font(memory.get(), font_for(index));
    std::wstring text = widen(text_of_window(item.hwndItem));
    DrawTextW(memory.get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_LEFT | DT_TOP | DT_WORDBREAK);
    BitBlt(item.hDC, 0, 0, w, h, memory.get(), 0, 0, SRCCOPY);
}

void Win32Window::paint_picture_button(const DRAWITEMSTRUCT& item, int index) {
    const ControlState& state = controls_[static_cast<size_t>(index)];
    RECT r{};
    GetClientRect(item.hwndItem, &r);
    int w = r.right, h = r.bottom;
    if (w <= 0 || h <= 0) return;
    MemoryDc memory(item.hDC);
    Bitmap bitmap(CreateCompatibleBitmap(item.hDC, w, h));
    if (!memory || !bitmap) return;
    memory.select(bitmap.get());
    HDC dc = memory.get();
    blit_backdrop(dc, item.hwndItem, r);

    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    // The strip holds four faces side by side: normal, hot, pressed, disabled.
    int face = disabled ? 3 : pressed ? 2 : state.hot ? 1 : 0;
    const Picture* picture = load_picture(state.picture);
    if (picture != nullptr) {
        int cell = picture->w / 4;
        draw_picture(dc, *picture, RECT{face * cell, 0, (face + 1) * cell, picture->h}, r);
    } else {
        UINT look = DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0);
        RECT face_rect = r;
        DrawFrameControl(dc, &face_rect, DFC_BUTTON, look);
    }
    // The pictures carry their captions (or symbols); the window text is drawn only on the plain
    // face of a button whose picture is missing.
    std::wstring caption =
        picture == nullptr ? widen(text_of_window(item.hwndItem)) : std::wstring();
    if (!caption.empty()) {
        RECT text_rect = r;
        if (pressed) OffsetRect(&text_rect, 1, 1);
        SetBkMode(dc, TRANSPARENT);
        COLORREF colour =
            (state.def->flags & ui::kWhiteText) ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNTEXT);
        SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : colour);
        Selection font(dc, font_for(index));
        UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (item.itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text_rect, format);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    BitBlt(item.hDC, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

}  // namespace qv::win32
