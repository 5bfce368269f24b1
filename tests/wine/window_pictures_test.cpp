// The pictures the window definitions name, against the pictures the program carries.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "disks/partition_info.h"
#include "disks/volume_label.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_backup.h"
#include "jobs/ghost_restore.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_apply_window.h"
#include "jobs/imagex_capture.h"
#include "jobs/virtual_drive.h"
#include "jobs/winnt32_setup.h"
#include "main_window/info_windows.h"
#include "main_window/main_window_def.h"
#include "support/carried_pictures.h"
#include "ui/dialog_def.h"

namespace {

using namespace qv::wine_support;
using qv::ui::ControlDef;
using qv::ui::WindowDef;

// Every picture a window names is carried as a PNG of the size its control is drawn at (a button
// strip: four states side by side), but for the main window's JPEG background, which is drawn at
// the panel's size. The small windows share one skin that stretches, so only its presence counts.
TEST(WindowPictures, EveryNamedPictureIsCarriedAtItsControlsSize) {
    const WindowDef& main = qv::ui::main_window_def();
    const struct {
        const WindowDef* def;
        bool skin_stretches;
        // Pictures a control wears besides its own: the browse button also wears the save strip.
        std::vector<std::pair<std::string, std::string>> also;
    } windows[] = {
        {&main, false, {{"btn_save", "browse_button"}}},
        {&qv::ui::about_window_def(), true, {}},
        {&qv::ui::help_window_def(), true, {}},
        {&qv::ui::parameter_help_window_def(), true, {}},
        {&qv::ui::pe_only_notice_window_def(), true, {}},
        {&qv::finish_countdown_window_def(), true, {}},
        {&qv::ghost_restore_window_def(), true, {}},
        {&qv::ghost_backup_window_def(), true, {}},
        {&qv::imagex_capture_window_def(), true, {}},
        {&qv::imagex_apply_window_def(), true, {}},
        {&qv::partition_info_window_def(), true, {}},
        {&qv::volume_label_window_def(), true, {}},
        {&qv::virtual_drive_window_def(), true, {}},
        {&qv::winnt32_setup_window_def(), true, {}},
    };
    for (const auto& window : windows) {
        std::vector<std::pair<std::string, const ControlDef*>> named;
        for (const ControlDef& c : window.def->controls)
            if (!c.picture.empty()) named.emplace_back(c.picture, &c);
        for (const auto& [picture, role] : window.also)
            named.emplace_back(picture, window.def->control(role));
        for (const auto& [picture, c] : named) {
            SCOPED_TRACE(window.def->name + " " + c->role + " " + picture);
            Blob blob = find_picture(picture);
            ASSERT_GE(blob.size, 24u) << "not carried";
            if (c->role == "panel" && window.def == &main) {
                EXPECT_TRUE(is_jpeg(blob));
                continue;
            }
            ASSERT_TRUE(is_png(blob));
            if (window.skin_stretches && (c->flags & qv::ui::kSkin) != 0) continue;
            int strips = c->kind == qv::ui::Kind::PictureButton ? 4 : 1;
            EXPECT_EQ(png_width(blob), static_cast<std::uint32_t>(strips * c->w));
            EXPECT_EQ(png_height(blob), static_cast<std::uint32_t>(c->h));
        }
    }
}

// The background that the small windows set when they load is carried and large enough for the
// largest inner box.
TEST(WindowPictures, DialogBackgroundCoversTheLargestInnerBox) {
    const WindowDef* defs[] = {
        &qv::ui::about_window_def(),          &qv::ui::help_window_def(),
        &qv::ui::parameter_help_window_def(), &qv::ui::pe_only_notice_window_def(),
        &qv::finish_countdown_window_def(),   &qv::ghost_restore_window_def(),
        &qv::ghost_backup_window_def(),       &qv::imagex_capture_window_def(),
        &qv::partition_info_window_def(),     &qv::volume_label_window_def(),
        &qv::virtual_drive_window_def(),      &qv::winnt32_setup_window_def()};
    int widest = 0, tallest = 0;
    for (const WindowDef* def : defs) {
        const ControlDef* panel = def->control("panel");
        ASSERT_NE(panel, nullptr) << def->name;
        widest = std::max(widest, panel->w);
        tallest = std::max(tallest, panel->h);
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

}  // namespace
