#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

struct Blob {
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

Blob find_picture(const wchar_t* name) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded) return {};
    return {static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(self, found)};
}

uint32_t big_endian(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

// The window runtime cuts each button strip into four states of the control's own size, so a strip
// of the wrong size would show parts of two states.
TEST(PictureResources, PngPicturesHaveTheirControlsSizes) {
    struct Row {
        const wchar_t* name;
        uint32_t width, height;
    };
    const Row rows[] = {
        {L"MAIN_SKIN", 664, 446},        {L"DIALOG_SKIN", 480, 360},  {L"BTN_OPEN", 4 * 74, 26},
        {L"BTN_SAVE", 4 * 74, 26},       {L"BTN_SEARCH", 4 * 59, 26}, {L"BTN_EXPAND", 4 * 82, 26},
        {L"BTN_COMPACT", 4 * 82, 26},    {L"BTN_OK", 4 * 82, 26},     {L"BTN_EXIT", 4 * 82, 26},
        {L"BTN_CANCEL", 4 * 82, 26},     {L"BTN_YES", 4 * 82, 26},    {L"BTN_NO", 4 * 82, 26},
        {L"BTN_CLOSE_TEXT", 4 * 82, 26}, {L"BTN_MENU", 4 * 29, 24},   {L"BTN_MINIMIZE", 4 * 31, 25},
        {L"BTN_CLOSE", 4 * 29, 24},
    };
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(&row - rows));
        Blob png = find_picture(row.name);
        ASSERT_GE(png.size, 24u) << "missing or cut short";
        EXPECT_EQ(0, memcmp(png.data, signature, sizeof signature));
        EXPECT_EQ(row.width, big_endian(png.data + 16));
        EXPECT_EQ(row.height, big_endian(png.data + 20));
    }
    Blob panel = find_picture(L"MAIN_PANEL");
    ASSERT_GE(panel.size, 2u);
    EXPECT_EQ(0xFF, panel.data[0]);
    EXPECT_EQ(0xD8, panel.data[1]);
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
