#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "disks/partition_info.h"
#include "disks/volume_label.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_backup.h"
#include "jobs/ghost_restore.h"
#include "jobs/imagex_capture.h"
#include "jobs/virtual_drive.h"
#include "jobs/winnt32_setup.h"
#include "ui/dialog_def.h"
#include "ui/info_windows.h"

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

}  // namespace

// The small windows name pictures that are carried; buttons and images are drawn at their
// controls' sizes (the skin stretches, so only its presence counts), and the background set at
// load is carried and large enough for the largest inner box.
TEST(InfoWindowPictures, EveryNamedPictureIsCarriedAtItsControlsSize) {
    const qv::ui::WindowDef* defs[] = {
        &qv::ui::about_window_def(),          &qv::ui::help_window_def(),
        &qv::ui::parameter_help_window_def(), &qv::ui::pe_only_notice_window_def(),
        &qv::finish_countdown_window_def(),   &qv::ghost_restore_window_def(),
        &qv::ghost_backup_window_def(),       &qv::imagex_capture_window_def(),
        &qv::partition_info_window_def(),     &qv::volume_label_window_def(),
        &qv::virtual_drive_window_def(),      &qv::winnt32_setup_window_def()};
    int widest = 0, tallest = 0;
    for (const qv::ui::WindowDef* def : defs) {
        for (const qv::ui::ControlDef& c : def->controls) {
            if (c.role == "panel") {
                widest = std::max(widest, c.w);
                tallest = std::max(tallest, c.h);
            }
            if (c.picture.empty()) continue;
            SCOPED_TRACE(def->name + " " + c.role);
            Blob png = find_picture(c.picture);
            ASSERT_GE(png.size, 24u) << "not carried";
            if (c.flags & qv::ui::kSkin) continue;
            int strips = c.kind == qv::ui::Kind::PictureButton ? 4 : 1;
            EXPECT_EQ(big_endian(png.data + 16), static_cast<uint32_t>(strips * c.w));
            EXPECT_EQ(big_endian(png.data + 20), static_cast<uint32_t>(c.h));
        }
    }
    Blob background = find_picture(qv::ui::kDialogBackground);
    ASSERT_GE(background.size, 4u);
    ASSERT_EQ(background.data[0], 0xFF);  // JPEG: its size sits in its frame header
    for (DWORD i = 2; i + 8 < background.size; ++i) {
        if (background.data[i] == 0xFF && background.data[i + 1] == 0xC0) {
            int h = background.data[i + 5] << 8 | background.data[i + 6];
            int w = background.data[i + 7] << 8 | background.data[i + 8];
            EXPECT_GE(w, widest);
            EXPECT_GE(h, tallest);
            return;
        }
    }
    ADD_FAILURE() << "no baseline frame header in the background";
}
