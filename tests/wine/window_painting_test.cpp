// Skinned painting: pictures under transparent controls, button faces by state, the skin's frame.
// Controls are painted into a bitmap of the test (WM_PRINTCLIENT), so other windows on the screen
// cannot disturb what is read.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "support/runtime_fixture.h"

namespace {

using qv::testing::RuntimeTest;
using qv::win32::Win32Window;

struct Rgb {
    int r, g, b;
};

class Rendering {
public:
    explicit Rendering(HWND hwnd) {
        RECT r{};
        GetClientRect(hwnd, &r);
        w_ = r.right;
        h_ = r.bottom;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w_, -h_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        pixels_.assign(static_cast<const unsigned char*>(bits),
                       static_cast<const unsigned char*>(bits) + static_cast<size_t>(w_) * h_ * 4);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    int w() const { return w_; }
    int h() const { return h_; }
    Rgb at(int x, int y) const {
        const unsigned char* p = &pixels_[(static_cast<size_t>(y) * w_ + x) * 4];
        return {p[2], p[1], p[0]};
    }
    // How many pixels differ from the colour by more than the tolerance.
    int differing(Rgb colour, int tolerance = 16) const {
        int n = 0;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                Rgb p = at(x, y);
                if (std::abs(p.r - colour.r) > tolerance || std::abs(p.g - colour.g) > tolerance ||
                    std::abs(p.b - colour.b) > tolerance)
                    ++n;
            }
        return n;
    }

private:
    int w_ = 0, h_ = 0;
    std::vector<unsigned char> pixels_;
};

bool close_to(Rgb p, Rgb q, int tolerance = 16) {
    return std::abs(p.r - q.r) <= tolerance && std::abs(p.g - q.g) <= tolerance &&
           std::abs(p.b - q.b) <= tolerance;
}

const Rgb kPanelTop{0, 128, 255};
const Rgb kPanelBottom{255, 160, 0};

HWND hwnd_of(Win32Window* w, const char* unit) {
    return w->control_at(w->control_index_by_unit(unit)).hwnd;
}

TEST_F(RuntimeTest, TransparentControlsShowThePictureBeneathThem) {
    Win32Window* w = open_sample();
    // A label in the upper half of the panel picture, one in the lower half: each shows its own
    // part.
    Rendering caption(hwnd_of(w, "透明标签6"));
    EXPECT_TRUE(close_to(caption.at(caption.w() - 1, caption.h() - 1), kPanelTop));
    EXPECT_GT(caption.differing(kPanelTop), 20);  // the text itself
    Rendering version(hwnd_of(w, "透明标签18"));
    EXPECT_TRUE(close_to(version.at(version.w() - 1, 0), kPanelBottom));
    // A check box too, right of its text.
    Rendering check(hwnd_of(w, "选择框6"));
    EXPECT_TRUE(close_to(check.at(check.w() - 1, check.h() / 2), kPanelTop));

    // A shorter text leaves nothing of the longer one behind.
    w->set_text("image_caption", "");
    EXPECT_EQ(0, Rendering(hwnd_of(w, "透明标签6")).differing(kPanelTop));
    // A moved panel takes its picture along; the label follows its container.
    w->move_control("panel", 8, 30);
    Rendering moved(hwnd_of(w, "透明标签6"));
    EXPECT_EQ(0, moved.differing(kPanelTop));
}

TEST_F(RuntimeTest, PictureButtonsShowTheFaceOfTheirState) {
    Win32Window* w = open_sample();
    HWND start = hwnd_of(w, "按钮2");
    // The picture carries the caption: nothing is written over it (only the strip's see-through
    // corner pixels differ from the face).
    EXPECT_LT(Rendering(start).differing(Rgb{255, 0, 0}, 40), 20);  // normal
    EXPECT_TRUE(close_to(Rendering(start).at(4, 22), Rgb{255, 0, 0}));
    SendMessageW(start, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    EXPECT_TRUE(close_to(Rendering(start).at(4, 22), Rgb{0, 160, 0}));  // hot
    SendMessageW(start, WM_MOUSELEAVE, 0, 0);
    w->set_enabled("start_button", false);
    EXPECT_TRUE(close_to(Rendering(start).at(4, 22), Rgb{128, 128, 128}));  // disabled
    // Without its picture a button is a plain face that still shows its caption.
    Rendering plain(hwnd_of(w, "按钮1"));
    EXPECT_FALSE(close_to(plain.at(4, 22), Rgb{255, 0, 0}));
    EXPECT_GT(plain.differing(plain.at(plain.w() / 2, 3)), 20);
}

TEST_F(RuntimeTest, SkinKeepsItsFrameAtAnySize) {
    Win32Window* w = open_sample();
    const Rgb title{40, 80, 140}, face{220, 230, 245}, frame{20, 40, 80};
    auto check_frame = [&](int width, int height) {
        Rendering skin(hwnd_of(w, "图片框2"));
        ASSERT_EQ(width, skin.w());
        EXPECT_TRUE(close_to(skin.at(width / 2, 20), title, 4));
        EXPECT_TRUE(close_to(skin.at(width - 1, height - 10), frame, 4));
        EXPECT_TRUE(close_to(skin.at(width / 2, height - 1), frame, 4));
        EXPECT_TRUE(close_to(skin.at(width - 3, height - 20), face, 4));
    };
    check_frame(420, 360);
    // An image is its picture scaled to its size: the strip's four faces side by side.
    Rendering logo(hwnd_of(w, "图片1"));
    EXPECT_TRUE(close_to(logo.at(3, 6), Rgb{255, 0, 0}, 40));
    EXPECT_TRUE(close_to(logo.at(9, 6), Rgb{0, 160, 0}, 40));
    // The compact layout's way: the window and its skin shrink, the frame stays whole.
    w->set_size(300, 250);
    w->resize_control("skin", 300, 250);
    check_frame(300, 250);
}

}  // namespace
