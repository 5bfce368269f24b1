// The window definitions as drawn: captions that fit their boxes in the program's face, and
// controls that stay inside the boxes that hold them.
#include <gtest/gtest.h>

#include <map>

#include "disks/partition_info.h"
#include "disks/volume_label.h"
#include "jobs/finish_countdown.h"
#include "jobs/ghost_backup.h"
#include "jobs/ghost_restore.h"
#include "jobs/imagex_apply_window.h"
#include "jobs/imagex_capture.h"
#include "jobs/virtual_drive.h"
#include "jobs/winnt32_setup.h"
#include "main_window/info_windows.h"
#include "main_window/main_window_def.h"

namespace qv {
namespace {

std::vector<const ui::WindowDef*> every_window() {
    return {&ui::main_window_def(),           &virtual_drive_window_def(),
            &winnt32_setup_window_def(),      &imagex_apply_window_def(),
            &imagex_capture_window_def(),     &ghost_backup_window_def(),
            &ghost_restore_window_def(),      &finish_countdown_window_def(),
            &partition_info_window_def(),     &volume_label_window_def(),
            &ui::about_window_def(),          &ui::help_window_def(),
            &ui::parameter_help_window_def(), &ui::pe_only_notice_window_def()};
}

// The width of a caption in the program's face (SimSun at 12 pixels): 6 pixels a single-byte
// character, 12 a double-byte one; the "&" before a mnemonic is not drawn.
int face_width(const std::string& text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x81) {
            width += 12;
            ++i;
        } else if (text[i] != '&') {
            width += 6;
        }
    }
    return width;
}

TEST(WindowLayout, CheckAndRadioCaptionsFitTheirBoxes) {
    constexpr int kBoxAndGap = 16;
    for (const ui::WindowDef* def : every_window()) {
        for (const ui::ControlDef& c : def->controls) {
            if (c.kind != ui::Kind::Check && c.kind != ui::Kind::Radio) continue;
            EXPECT_LE(face_width(c.caption) + kBoxAndGap, c.w) << def->name << " " << c.role;
        }
    }
}

bool draws_its_edges(ui::Kind kind) {
    switch (kind) {
        case ui::Kind::PictureButton:
        case ui::Kind::Edit:
        case ui::Kind::DropList:
        case ui::Kind::ListBox:
        case ui::Kind::ListView:
        case ui::Kind::ProgressBar:
            return true;
        default:
            return false;
    }
}

// A control with edges of its own, inside a box that shows any part of it, lies wholly inside,
// clear of the box's right and bottom edges; one parked wholly outside is out of view on purpose.
TEST(WindowLayout, ControlsKeepClearOfTheEdgesOfTheirBox) {
    constexpr int kClearance = 2;
    for (const ui::WindowDef* def : every_window()) {
        std::map<std::string, const ui::ControlDef*> by_role;
        for (const ui::ControlDef& c : def->controls) by_role[c.role] = &c;
        for (const ui::ControlDef& c : def->controls) {
            if (c.parent.empty() || !c.visible || !draws_its_edges(c.kind)) continue;
            const ui::ControlDef* box = by_role.at(c.parent);
            const bool parked = c.x >= box->w || c.y >= box->h;
            if (parked) continue;
            EXPECT_LE(c.x + c.w + kClearance, box->w) << def->name << " " << c.role;
            EXPECT_LE(c.y + c.h + kClearance, box->h) << def->name << " " << c.role;
        }
    }
}

}  // namespace
}  // namespace qv
