#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "images/image_list.h"
#include "main_window/lock_ui.h"

namespace qv {
namespace {

constexpr std::int64_t kMiB = 1 << 20;
using Lines = std::vector<std::string>;

const char* const kSearchControls[] = {"found_images_list", "depth_edit", "search_pattern_combo",
                                       "search_button"};

class ImageListWindow : public ::testing::Test {
protected:
    void image(const std::string& path, std::int64_t bytes = 150 * kMiB) {
        rig.os.directories.add_file(path, bytes);
        ASSERT_NE(rig.os.files.entry(path), nullptr);
        rig.os.files.entry(path)->times.created = {2024, 3, 5, 8, 9, 7};
    }
    static Lines items(const ui::Window& main, const std::string& role) {
        Lines out;
        for (int i = 0; i < main.item_count(role); ++i) out.push_back(main.item_text(role, i));
        return out;
    }
    // The four detail lines and whether the last two are shown.
    static Lines details(const ui::Window& main) {
        auto shown = [&](const char* role) {
            return main.control_visible(role) ? "shown" : "hidden";
        };
        return {main.text("image_location_label"), main.text("image_type_label"),
                main.text("image_size_label"),     main.text("image_time_label"),
                shown("image_size_label"),         shown("image_time_label")};
    }
    fakes::MainWindowRig rig;
};

TEST_F(ImageListWindow, StartUpScanChoosesTheFirstGhostImageAndDescribesIt) {
    rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    rig.os.drives.add("D:\\", os::kDriveFixed, 0, 2);
    image("C:\\sys.WIM");
    image("C:\\tiny.gho", 50 * 1024);
    image("D:\\old.gho", 150 * kMiB + 256 * 1024);
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(items(*main, "image_combo"), (Lines{"C:\\sys.WIM", "D:\\old.gho"}));
    EXPECT_EQ(main->selected("image_combo"), 1);
    EXPECT_EQ(g_preferred_image, "D:\\old.gho");
    EXPECT_EQ(details(*main),
              (Lines{"位置： D:\\old.gho", "类型： Ghost 映像文件", "大小： 150.25 MB",
                     "时间： 2024-03-05 08:09:07", "shown", "shown"}));
}

TEST_F(ImageListWindow, StartUpScanFillsTheComboInBatches) {
    rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    Lines expected;
    for (int i = 0; i < 600; ++i) {
        expected.push_back("C:\\images\\" + std::to_string(i) + ".gho");
        image(expected.back());
    }
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(items(*main, "image_combo"), expected);
    EXPECT_LE(fakes::headless(*main).control("image_combo").item_additions, 600 / 256 + 1);
}

TEST_F(ImageListWindow, StartUpScanCanBeTurnedOff) {
    rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    image("C:\\sys.WIM");
    rig.os.processes.scripts.push_back(fakes::partition_report_tool("report"));
    // As an option of the command line does, after the flag was set at step 6.
    rig.ui.pump_hook = [] { g_scan_images_at_start = false; };
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->item_count("image_combo"), 0);
    EXPECT_EQ(details(*main)[0], "说明：程序将搜索磁盘各分区指定目录层数。");
    EXPECT_EQ(details(*main)[4], "hidden");
}

TEST_F(ImageListWindow, ComboChoiceDescribesGhostAndWimInRestoreModeOnly) {
    ui::Window& main = rig.open_main_window();
    for (const char* path : {"D:\\a.GHO", "D:\\b.wim", "D:\\c.iso"}) {
        image(path);
        main.add_item("image_combo", path);
    }
    const std::string note = "说明：程序将搜索磁盘各分区指定目录层数。";
    struct Step {
        bool restore;
        int item;
        const char* location;
        const char* type;
        bool shown;
    } steps[] = {
        // Backup mode hides the combo; an event that still arrives changes nothing.
        {false, 0, note.c_str(), "            所有可用映像文件并列表显示。", false},
        {true, 2, note.c_str(), "            所有可用映像文件并列表显示。", true},
        {true, 0, "位置： D:\\a.GHO", "类型： Ghost 映像文件", true},
        {true, 1, "位置： D:\\b.wim", "类型： WIM 映像文件", true},
        {true, 2, "位置： D:\\b.wim", "类型： WIM 映像文件", true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.item);
        main.set_checked("restore_radio", s.restore);
        ASSERT_TRUE(fakes::select(main, "image_combo", s.item));
        Lines got = details(main);
        EXPECT_EQ(got[0], s.location);
        EXPECT_EQ(got[1], s.type);
        EXPECT_EQ(got[4], s.shown ? "shown" : "hidden");
    }
    EXPECT_EQ(details(main)[3], "时间： 2024-03-05 08:09:07");
}

TEST_F(ImageListWindow, FoundImageGoesIntoTheComboOnce) {
    image("D:\\a.SWM");
    image("D:\\b.iso");
    image("D:\\c.GHO");
    ui::Window& main = rig.open_main_window();
    main.add_item("image_combo", "C:\\sys.WIM");
    main.select("image_combo", 0);
    for (const char* line :
         {"D:\\a.SWM", "D:\\b.iso", "D:\\c.GHO", "搜索3层目录完成，共搜索到3个Gho文件。"})
        main.add_item("found_images_list", line);

    struct Step {
        int line;
        const char* type;
        Lines combo;
        int chosen;
    } steps[] = {
        {0, "类型： SWM 分卷映像文件", {"C:\\sys.WIM", "D:\\a.SWM"}, 1},
        {1,
         "类型： ISO 映像文件",
         {"C:\\sys.WIM", "D:\\a.SWM"},
         1},  // a disc is mounted, not chosen
        {3, "类型： ISO 映像文件", {"C:\\sys.WIM", "D:\\a.SWM"}, 1},  // the summary is no image
        {2, "类型： Ghost 映像文件", {"C:\\sys.WIM", "D:\\a.SWM", "D:\\c.GHO"}, 2},
        {0, "类型： SWM 分卷映像文件", {"C:\\sys.WIM", "D:\\a.SWM", "D:\\c.GHO"}, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.line);
        ASSERT_TRUE(fakes::select(main, "found_images_list", s.line));
        EXPECT_EQ(main.text("image_type_label"), s.type);
        EXPECT_EQ(items(main, "image_combo"), s.combo);
        EXPECT_EQ(main.selected("image_combo"), s.chosen);
    }

    // In backup mode the result is described but the combo is left alone.
    main.set_checked("restore_radio", false);
    main.set_checked("backup_radio", true);
    main.remove_item("image_combo", 2);
    ASSERT_TRUE(fakes::select(main, "found_images_list", 2));
    EXPECT_EQ(main.text("image_location_label"), "位置： D:\\c.GHO");
    EXPECT_EQ(items(main, "image_combo"), (Lines{"C:\\sys.WIM", "D:\\a.SWM"}));
}

TEST_F(ImageListWindow, SearchWalksEveryDriveToTheDepthAndListsTheLargeHits) {
    rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    rig.os.drives.add("D:\\", os::kDriveFixed, 0, 2);
    rig.os.drives.add("E:\\", os::kDriveCdrom, 3, 0);
    image("C:\\small.wim", 50 * kMiB);
    image("D:\\top.WIM");
    image("D:\\a\\b\\two.wim");
    image("D:\\a\\b\\c\\three.wim");
    image("D:\\x.gho", 50 * kMiB);
    rig.os.directories.unlistable.insert("E:\\");
    const std::string summary3 = "搜索3层目录完成，共搜索到2个WIM文件。";
    struct Case {
        const char* depth;
        int pattern;  // *.Gho, *.ISO, *.WIM, *.SWM
        Lines list;
    } cases[] = {
        {"3", 2, {"D:\\top.WIM", "D:\\a\\b\\two.wim", summary3}},
        {"-1",
         2,
         {"D:\\top.WIM", "D:\\a\\b\\two.wim", "D:\\a\\b\\c\\three.wim",
          "搜索-1层目录完成，共搜索到3个WIM文件。"}},
        {"2.9", 2, {"D:\\top.WIM", "搜索2.9层目录完成，共搜索到1个WIM文件。"}},
        {"abc", 2, {"D:\\top.WIM", "搜索abc层目录完成，共搜索到1个WIM文件。"}},
        // Hits that are all small still give a summary, of none.
        {"3", 0, {"搜索3层目录完成，共搜索到0个Gho文件。"}},
        {"3",
         1,
         {"经过搜索，未发现 ISO 映像文件。", "", "可能原因如下：", "1、设定的目录层数过小。",
          "2、硬盘中不存在 ISO 映像文件。"}},
        {"3", 2, {"D:\\top.WIM", "D:\\a\\b\\two.wim", summary3}},  // again: nothing left over
    };
    ui::Window& main = rig.open_main_window();
    const auto& w = fakes::headless(main);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.depth) + " " + std::to_string(c.pattern));
        ASSERT_TRUE(fakes::type_text(main, "depth_edit", c.depth));
        ASSERT_TRUE(fakes::select(main, "search_pattern_combo", c.pattern));
        Lines first_lines;
        bool controls_off = true;
        rig.ui.pump_hook = [&] {
            first_lines.push_back(main.item_text("found_images_list", 0));
            for (const char* role : kSearchControls)
                controls_off = controls_off && !main.enabled(role);
        };
        std::size_t balloons = w.balloons().size();
        ASSERT_TRUE(fakes::click(main, "search_button"));
        rig.ui.pump_hook = nullptr;
        EXPECT_EQ(items(main, "found_images_list"), c.list);
        ASSERT_FALSE(first_lines.empty());
        EXPECT_EQ(first_lines.back(), "正在搜索文件，请稍候.....");
        EXPECT_TRUE(controls_off);
        for (const char* role : kSearchControls) EXPECT_TRUE(main.enabled(role)) << role;
        ASSERT_EQ(w.balloons().size(), balloons + 2);
        EXPECT_EQ(w.balloons()[balloons].text, "正在搜索文件，请稍候.....");
        EXPECT_EQ(w.balloons().back().text, "搜索文件完成！");
        EXPECT_EQ(w.balloons().back().title, "提示");
    }
}

// Thousands of hits in one folder: the list is filled in batches (a batch is one redraw) while
// messages keep being processed, and its order and content are those of the walk. Meanwhile the
// main window is locked: no second search and no job can start. Afterwards the window is as the
// search found it.
TEST_F(ImageListWindow, SearchFillsTheListInBatchesWhileTheMainWindowIsHeld) {
    rig.os.drives.add("D:\\", os::kDriveFixed, 0, 2);
    Lines expected;
    for (int i = 0; i < 1000; ++i) {
        std::string path = "D:\\many\\" + std::to_string(i) + ".gho";
        image(path);
        expected.push_back(path);
    }
    image("D:\\many\\small.gho", 50 * kMiB);
    image("D:\\many\\x\\deep.gho");
    expected.push_back("D:\\many\\x\\deep.gho");
    expected.push_back("搜索3层目录完成，共搜索到1001个Gho文件。");
    // Reading an entry takes a millisecond: the walk processes messages every 50 of them.
    rig.os.directories.on_entry = [&] { rig.os.clock.ticks += 1; };
    ui::Window& main = rig.open_main_window();
    main.set_enabled("start_button", false);  // no target chosen yet
    const auto& list = fakes::headless(main).control("found_images_list");
    const int additions = list.item_additions;

    int pumps = 0;
    bool held = true, in_order = true;
    rig.ui.pump_hook = [&] {
        ++pumps;
        Lines now = items(main, "found_images_list");
        in_order = in_order && !now.empty() && now[0] == "正在搜索文件，请稍候....." &&
                   std::equal(now.begin() + 1, now.end(), expected.begin());
        for (const std::string& role : ui::main_lock_set()) held = held && !main.enabled(role);
        held = held && !fakes::click(main, "search_button") && !fakes::click(main, "start_button");
        ui::search_image_files(main);  // a second search, however it is asked for, waits
    };
    ASSERT_TRUE(fakes::click(main, "search_button"));
    rig.ui.pump_hook = nullptr;
    EXPECT_GE(pumps, 15);
    EXPECT_TRUE(held);
    EXPECT_TRUE(in_order);
    EXPECT_EQ(items(main, "found_images_list"), expected);
    // The hits and then the results went in a few hundred at a time, not one by one.
    EXPECT_LE(list.item_additions - additions, 2 + pumps + 2 * (1003 / 256 + 1));
    EXPECT_FALSE(main.enabled("start_button"));
    for (const std::string& role : ui::main_lock_set()) {
        if (role != "start_button") {
            EXPECT_TRUE(main.enabled(role)) << role;
        }
    }
    EXPECT_FALSE(ui::ui_locked());
    EXPECT_EQ(fakes::balloon_texts(main).back(), "搜索文件完成！");
}

}  // namespace
}  // namespace qv
