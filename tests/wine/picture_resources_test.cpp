#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "support/carried_pictures.h"

namespace {

using namespace qv::wine_support;

// The window runtime cuts each button strip into four states of the control's own size, so a strip
// of the wrong size would show parts of two states.
TEST(PictureResources, PngPicturesHaveTheirControlsSizes) {
    struct Row {
        const char* name;
        std::uint32_t width, height;
    };
    const Row rows[] = {
        {"MAIN_SKIN", 664, 446},        {"DIALOG_SKIN", 480, 360},  {"BTN_OPEN", 4 * 74, 26},
        {"BTN_SAVE", 4 * 74, 26},       {"BTN_SEARCH", 4 * 59, 26}, {"BTN_EXPAND", 4 * 82, 26},
        {"BTN_COMPACT", 4 * 82, 26},    {"BTN_OK", 4 * 82, 26},     {"BTN_EXIT", 4 * 82, 26},
        {"BTN_CANCEL", 4 * 82, 26},     {"BTN_YES", 4 * 82, 26},    {"BTN_NO", 4 * 82, 26},
        {"BTN_CLOSE_TEXT", 4 * 82, 26}, {"BTN_MENU", 4 * 29, 24},   {"BTN_MINIMIZE", 4 * 31, 25},
        {"BTN_CLOSE", 4 * 29, 24},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Blob png = find_picture(row.name);
        ASSERT_GE(png.size, 24u) << "missing or cut short";
        EXPECT_TRUE(is_png(png));
        EXPECT_EQ(row.width, png_width(png));
        EXPECT_EQ(row.height, png_height(png));
    }
    EXPECT_TRUE(is_jpeg(find_picture("MAIN_PANEL")));
}

// The tray asks for the small size, the shell for the large one.
TEST(PictureResources, ProgramIconLoadsAtTraySizes) {
    for (int size : {16, 32}) {
        HANDLE icon =
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
        EXPECT_NE(nullptr, icon) << size;
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }
}

}  // namespace
