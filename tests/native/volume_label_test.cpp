#include <gtest/gtest.h>

#include "disks/partition_list.h"
#include "disks/volume_label.h"
#include "fakes/main_window_rig.h"

namespace qv {
namespace {

using os::kDriveFixed;
using Box = fakes::RecordedNotices::Box;

class VolumeLabelWindow : public ::testing::Test {
protected:
    // C: 1:1 without a label, D: 1:2 labelled DATA.
    ui::Window& open_filled() {
        rig.os.drives.add("C:\\", kDriveFixed, 0, 1);
        rig.os.drives.add("D:\\", kDriveFixed, 0, 2).volume.label = "DATA";
        for (const char* root : {"C:\\", "D:\\"}) rig.os.files.add_folder(root);
        ui::Window& main = rig.open_main_window();
        fill_partition_list_fixed(main);
        select_default_partition_row(main);
        return main;
    }
    fakes::MainWindowRig rig;
};

TEST_F(VolumeLabelWindow, ShowsTheOldLabelAndSetsEachEntryUntilClosed) {
    ui::Window& main = open_filled();
    std::vector<std::string> shown;
    rig.ui.on_modal(kVolumeLabelWindowName, [&](ui::Window& w) {
        shown.push_back(w.text("old_label_label"));
        if (shown.size() > 1) return;  // the second opening only looks
        ASSERT_TRUE(fakes::type_text(w, "new_label_edit", "  系统 "));
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        ASSERT_NE(rig.os.drives.find("C:"), nullptr);
        EXPECT_EQ(rig.os.drives.find("C:")->volume.label, "系统");
        // The window stays, still showing the label it was opened with.
        EXPECT_TRUE(w.alive());
        EXPECT_EQ(w.text("old_label_label"), "原卷标： 无");
        ASSERT_TRUE(fakes::type_text(w, "new_label_edit", ""));
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_EQ(rig.os.drives.find("C:")->volume.label, "");  // the system decides
        ASSERT_TRUE(fakes::type_text(w, "new_label_edit", "新卷"));
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        ASSERT_TRUE(fakes::click(w, "cancel_button"));
        EXPECT_FALSE(w.alive());
    });
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_volume_label"));
    ASSERT_NE(rig.os.drives.find("C:"), nullptr);
    EXPECT_EQ(rig.os.drives.find("C:")->volume.label, "新卷");
    std::vector<Box> expected(3, Box{"更改 C:\\(1:1) 的卷标成功！", "提示", 0x40});
    ASSERT_EQ(rig.os.notices.boxes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(rig.os.notices.boxes[i].text, expected[i].text);
        EXPECT_EQ(rig.os.notices.boxes[i].caption, expected[i].caption);
        EXPECT_EQ(rig.os.notices.boxes[i].style, expected[i].style);
    }

    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_volume_label"));
    ASSERT_TRUE(fakes::select(main, "partition_list", 1));
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_volume_label"));
    EXPECT_EQ(shown, (std::vector<std::string>{"原卷标： 无", "原卷标： 新卷", "原卷标： DATA"}));
    EXPECT_EQ(g_old_volume_label, "DATA");
}

TEST_F(VolumeLabelWindow, RefusedLabelAndMissingDriveAreReported) {
    ui::Window& main = open_filled();
    ASSERT_NE(rig.os.drives.find("C:"), nullptr);
    rig.os.drives.find("C:")->volume_readable = false;  // an unformatted volume
    rig.ui.on_modal(kVolumeLabelWindowName, [&](ui::Window& w) {
        EXPECT_EQ(w.text("old_label_label"), "原卷标： 无");
        ASSERT_TRUE(fakes::type_text(w, "new_label_edit", "DATA"));
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        ASSERT_TRUE(fakes::click(w, "close_button"));
    });
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_volume_label"));
    ASSERT_EQ(rig.os.notices.boxes.size(), 1u);
    EXPECT_EQ(rig.os.notices.boxes[0].text, "更改 C:\\(1:1) 的卷标失败！");
    EXPECT_EQ(rig.os.notices.boxes[0].style, 0x10);

    rig.os.files = fakes::FakeFileSystem{};  // C: is gone
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_volume_label"));
    EXPECT_EQ(rig.ui.modal_log().size(), 1u);
    ASSERT_EQ(rig.os.notices.boxes.size(), 2u);
    EXPECT_EQ(rig.os.notices.boxes[1].text, "C:\\(1:1) 不存在！");
    EXPECT_EQ(rig.os.notices.boxes[1].style, 0x30);
}

}  // namespace
}  // namespace qv
