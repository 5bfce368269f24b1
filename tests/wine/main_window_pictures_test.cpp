#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "ui/main_window_def.h"

namespace {

struct Blob {
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

Blob find_picture(const std::string& name) {
    std::wstring upper;
    for (char c : name) upper += static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, upper.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded) return {};
    return {static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(self, found)};
}

uint32_t big_endian(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool is_png(const Blob& b) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return b.size >= 24 && memcmp(b.data, signature, sizeof signature) == 0;
}

}  // namespace

// Every picture the main window names is carried, and a PNG has the size its control is drawn
// at (a button strip: four states side by side). The browse button also wears the save strip.
TEST(MainWindowPictures, EveryNamedPictureIsCarriedAtItsControlsSize) {
    const qv::ui::WindowDef& def = qv::ui::main_window_def();
    auto check = [](const std::string& picture, const qv::ui::ControlDef& c) {
        SCOPED_TRACE(picture);
        Blob blob = find_picture(picture);
        ASSERT_GT(blob.size, 0u) << "not carried";
        if (!is_png(blob)) return;  // the JPEG background: its size is the panel's by design
        int strips = c.kind == qv::ui::Kind::PictureButton ? 4 : 1;
        EXPECT_EQ(big_endian(blob.data + 16), static_cast<uint32_t>(strips * c.w));
        EXPECT_EQ(big_endian(blob.data + 20), static_cast<uint32_t>(c.h));
    };
    for (const qv::ui::ControlDef& c : def.controls)
        if (!c.picture.empty()) check(c.picture, c);
    check("btn_save", *def.control("browse_button"));
}
