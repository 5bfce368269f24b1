// Owners of GDI and USER objects: bitmaps, brushes, fonts, memory device contexts and menus. Each
// releases what it holds when it goes out of scope, so painting code has no early-return leaks.
#pragma once

#include <windows.h>

namespace qv::win32 {

template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T h) : h_(h) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset(other.h_);
            other.h_ = nullptr;
        }
        return *this;
    }
    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset(T h = nullptr) {
        if (h_ != nullptr) DeleteObject(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;

// A memory device context; whatever was selected into it is put back before it is deleted.
class MemoryDc {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() { reset(); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void create(HDC like) {
        reset();
        dc_ = CreateCompatibleDC(like);
    }
    void select(HBITMAP bitmap) {
        HGDIOBJ old = SelectObject(dc_, bitmap);
        if (old_ == nullptr) old_ = old;
    }
    void reset() {
        if (dc_ == nullptr) return;
        if (old_ != nullptr) SelectObject(dc_, old_);
        DeleteDC(dc_);
        dc_ = nullptr;
        old_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// A window's device context from GetDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC for a scope.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (old_ != nullptr) SelectObject(dc_, old_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

class MenuHandle {
public:
    MenuHandle() = default;
    explicit MenuHandle(HMENU h) : h_(h) {}
    ~MenuHandle() { reset(); }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    MenuHandle(MenuHandle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    MenuHandle& operator=(MenuHandle&& other) noexcept {
        if (this != &other) {
            reset(other.h_);
            other.h_ = nullptr;
        }
        return *this;
    }
    HMENU get() const { return h_; }
    // DestroyMenu also destroys the submenus attached to the menu.
    void reset(HMENU h = nullptr) {
        if (h_ != nullptr) DestroyMenu(h_);
        h_ = h;
    }

private:
    HMENU h_ = nullptr;
};

}  // namespace qv::win32
