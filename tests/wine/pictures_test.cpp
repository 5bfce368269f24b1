#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pictures.h"

namespace {

using qv::win32::Picture;

struct Pixel {
    int b, g, r, a;
};

Pixel pixel_at(const Picture& picture, int x, int y) {
    DIBSECTION dib{};
    EXPECT_EQ(static_cast<int>(sizeof dib), GetObjectW(picture.bitmap.get(), sizeof dib, &dib));
    const auto* row = static_cast<const unsigned char*>(dib.dsBm.bmBits) +
                      static_cast<size_t>(y) * dib.dsBm.bmWidthBytes;
    const unsigned char* p = row + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

TEST(Pictures, ResourceNameIsTheUpperCasedBaseName) {
    const struct {
        const char* picture;
        const char* resource;
    } cases[] = {
        {"btn_ok", "BTN_OK"},
        {"btn_ok.png", "BTN_OK"},
        {"pictures/panel_bg.JPG", "PANEL_BG"},
        {"a.b\\skin.main.png", "SKIN.MAIN"},
        {"dir.x/plain", "PLAIN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.resource, qv::win32::picture_resource_name(c.picture)) << c.picture;
}

TEST(Pictures, DecodesPngStripWithPremultipliedAlpha) {
    const Picture* strip = qv::win32::load_picture("test_button");
    ASSERT_NE(nullptr, strip);
    EXPECT_EQ(96, strip->w);
    EXPECT_EQ(12, strip->h);
    EXPECT_TRUE(strip->has_alpha);
    Pixel clear = pixel_at(*strip, 0, 0);
    EXPECT_EQ(0, clear.a);
    EXPECT_EQ(0, clear.r);  // premultiplied: a transparent pixel carries no colour
    Pixel half = pixel_at(*strip, 1, 0);
    EXPECT_EQ(128, half.a);
    EXPECT_EQ(128, half.r);
    Pixel red = pixel_at(*strip, 5, 5);
    EXPECT_EQ(255, red.r);
    EXPECT_EQ(0, red.b);
    EXPECT_EQ(255, red.a);
    Pixel green = pixel_at(*strip, 24 + 5, 5);  // the second face, hot
    EXPECT_EQ(160, green.g);
    EXPECT_EQ(0, green.r);
    // Decoded once: the same picture comes back.
    EXPECT_EQ(strip, qv::win32::load_picture("test_button.png"));
}

TEST(Pictures, DecodesJpegBackground) {
    const Picture* panel = qv::win32::load_picture("test_panel.jpg");
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(404, panel->w);
    EXPECT_EQ(160, panel->h);
    EXPECT_FALSE(panel->has_alpha);
    Pixel p = pixel_at(*panel, 30, 15);
    EXPECT_LE(std::abs(p.r - 0), 8);
    EXPECT_LE(std::abs(p.g - 128), 8);
    EXPECT_LE(std::abs(p.b - 255), 8);
    EXPECT_EQ(255, p.a);
    Pixel lower = pixel_at(*panel, 300, 150);
    EXPECT_LE(std::abs(lower.r - 255), 8);
    EXPECT_LE(std::abs(lower.g - 160), 8);
    EXPECT_LE(std::abs(lower.b - 0), 8);
}

TEST(Pictures, MissingOrBrokenPicturesGiveNothing) {
    EXPECT_EQ(nullptr, qv::win32::load_picture("no_such_picture"));
    EXPECT_EQ(nullptr, qv::win32::load_picture("test_broken"));
    EXPECT_EQ(nullptr, qv::win32::load_picture(""));
    const unsigned char jpeg_head[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 1};
    EXPECT_EQ(nullptr, qv::win32::decode_picture(jpeg_head, sizeof jpeg_head));
}

TEST(Pictures, WritesPngThatReadsBack) {
    unsigned char pixels[2 * 2 * 4] = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0, 1, 2, 3, 0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path =
        std::wstring(temp) + L"qv_shot_" + std::to_wstring(GetCurrentProcessId()) + L".png";
    std::string narrow_path(path.begin(), path.end());
    ASSERT_TRUE(qv::win32::write_png_file(narrow_path, pixels, 2, 2, 8));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char bytes[4096];
    DWORD got = 0;
    ReadFile(file, bytes, sizeof bytes, &got, nullptr);
    CloseHandle(file);
    DeleteFileW(path.c_str());
    auto back = qv::win32::decode_picture(bytes, got);
    ASSERT_NE(nullptr, back);
    Pixel p = pixel_at(*back, 1, 0);
    EXPECT_EQ(40, p.b);
    EXPECT_EQ(60, p.r);
    EXPECT_EQ(255, p.a);  // a screenshot is opaque
}

}  // namespace
