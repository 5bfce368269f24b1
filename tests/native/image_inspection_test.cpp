#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "jobs/image_inspection.h"
#include "jobs/virtual_drive.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;
constexpr std::int64_t kMiB = 1 << 20;
const char kSetupDescription[] = "Stub loader for WINNT32 setup program";
const char kNote[] = "说明：程序将搜索磁盘各分区指定目录层数。";

class Inspection : public ::testing::Test {
protected:
    void SetUp() override {
        main = &rig.open_main_window();
        main->set_drop_enabled(true);  // as start-up leaves it
        g_virtual_drive_letter = "Z";
        rig.os.processes.on_launch = [this](const std::string& line) {
            locked_at_launch = !main->enabled("start_button") && !main->enabled("browse_button");
            if (line.rfind("ISO.exe /D:Z ", 0) != 0 || !mounts) return;
            rig.os.files.add_folder("Z:\\");
            for (const auto& [path, size] : disc) rig.os.directories.add_file(path, size);
            for (const auto& [path, description] : disc_descriptions)
                if (rig.os.files.has(path)) rig.os.files.entry(path)->description = description;
        };
    }
    void file(const std::string& path, std::int64_t size, const std::string& description = {}) {
        rig.os.directories.add_file(path, size);
        ASSERT_NE(rig.os.files.entry(path), nullptr);
        rig.os.files.entry(path)->description = description;
        rig.os.files.entry(path)->times.created = {2025, 1, 2, 3, 4, 5};
    }
    void combo(const Lines& items, int selected) {
        main->clear_items("image_combo");
        for (const std::string& item : items) {
            main->add_item("image_combo", item);
            if (!rig.os.files.has(item)) file(item, 150 * kMiB);
        }
        main->select("image_combo", selected);
    }
    Lines items() const {
        Lines out;
        for (int i = 0; i < main->item_count("image_combo"); ++i)
            out.push_back(main->item_text("image_combo", i));
        return out;
    }
    Lines balloons() const { return fakes::balloon_texts(*main); }
    Lines boxes() const { return rig.os.notices.captions_texts_and_styles(); }
    Lines details() const {
        return {main->text("image_location_label"), main->text("image_type_label"),
                main->text("image_size_label"), main->text("image_time_label")};
    }

    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    std::vector<std::pair<std::string, std::int64_t>> disc;  // files the mount brings
    std::map<std::string, std::string> disc_descriptions;    // of those files, by path
    bool mounts = true;
    bool locked_at_launch = false;
};

// A drop while a long action holds the main window's lock (the search, say) is refused like the
// locked browse button: nothing is opened and the lock stays.
TEST_F(Inspection, DropWhileTheWindowIsLockedOpensNothing) {
    file("D:\\b.GHO", 150 * kMiB);
    combo({"D:\\old.gho"}, 0);
    ui::ScopedUiLock search;
    ASSERT_TRUE(search.held());
    fakes::drop_files(*main, {"D:\\b.GHO"});
    EXPECT_EQ(items(), Lines{"D:\\old.gho"});
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(ui::ui_locked());
    EXPECT_FALSE(main->enabled("start_button"));
    search.release();
    ASSERT_TRUE(fakes::drop_files(*main, {"D:\\b.GHO"}));
    EXPECT_EQ(items(), Lines{"D:\\b.GHO"});
}

TEST_F(Inspection, ImageFilesAndSetupProgramsByKind) {
    enum Way { Browse, Drop };
    struct Case {
        const char* name;
        Way way;
        std::int64_t size;
        const char* description;
        Lines before;
        Lines after;
        int selected;
        const char* type;  // the type line afterwards
        Lines boxes;
    };
    const Lines old = {"D:\\old.gho"};
    const Case cases[] = {
        {"D:\\a.WIM",
         Browse,
         150 * kMiB,
         "",
         old,
         {"D:\\old.gho", "D:\\a.WIM"},
         1,
         "类型： WIM 映像文件",
         {}},
        {"D:\\a.wim",
         Browse,
         1023,
         "",
         old,
         old,
         0,
         "",
         {"提示|无效的WIM映像文件，请选择正确的WIM映像文件！|48"}},
        {"D:\\b.GHO",
         Browse,
         150 * kMiB,
         "",
         old,
         {"D:\\old.gho", "D:\\b.GHO"},
         1,
         "类型： Ghost 映像文件",
         {}},
        // A dropped Ghost image replaces the list, unless it is refused.
        {"D:\\b.GHO", Drop, 150 * kMiB, "", old, {"D:\\b.GHO"}, 0, "类型： Ghost 映像文件", {}},
        {"D:\\b.GHO",
         Drop,
         0,
         "",
         old,
         old,
         0,
         "",
         {"提示|无效的Ghost映像文件，请选择正确的Ghost映像文件！|48"}},
        {"D:\\c.Swm",
         Drop,
         2048,
         "",
         old,
         {"D:\\old.gho", "D:\\c.Swm"},
         1,
         "类型： SWM 分卷映像文件",
         {}},
        {"D:\\c.SWM",
         Browse,
         100,
         "",
         old,
         old,
         0,
         "",
         {"提示|无效的SWM分卷映像文件，请选择正确的SWM分卷映像文件！|48"}},
        // A setup program is neither size-tested nor described, and is appended unchosen.
        {"E:\\I386\\winnt32.exe",
         Browse,
         0,
         kSetupDescription,
         old,
         {"D:\\old.gho", "E:\\I386\\winnt32.exe"},
         0,
         "",
         {}},
        {"E:\\I386\\WINNT32.EXE",
         Drop,
         0,
         "STUB LOADER FOR WINNT32 SETUP PROGRAM",
         {"D:\\old.gho", "E:\\I386\\WINNT32.EXE"},
         {"D:\\old.gho", "E:\\I386\\WINNT32.EXE"},
         1,
         "",
         {}},
        {"E:\\I386\\WINNT32.EXE",
         Browse,
         50000,
         "Setup program",
         old,
         old,
         0,
         "",
         {"提示|您选择的不是 WinNT5.X 安装程序，请重新选择！ |48"}},
        {"D:\\notes.txt", Drop, 5000, "", old, old, 0, "", {"提示|不支持的文件格式！|16"}},
        {"D:\\notes.txt", Browse, 5000, "", old, old, 0, "", {}},
        // The same image again: the item it begins is chosen, nothing is appended.
        {"d:\\a.wim",
         Browse,
         150 * kMiB,
         "",
         {"D:\\A.WIM", "D:\\old.gho"},
         {"D:\\A.WIM", "D:\\old.gho"},
         0,
         "类型： WIM 映像文件",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::string(c.way == Drop ? " dropped" : " browsed"));
        rig.os.notices.boxes.clear();
        main->set_text("image_type_label", "");
        file(c.name, c.size, c.description);
        combo(c.before, 0);
        if (c.way == Drop) {
            ASSERT_TRUE(fakes::drop_files(*main, {c.name}));
        } else {
            rig.ui.answer_file_dialog(c.name);
            ASSERT_TRUE(fakes::click(*main, "browse_button"));
        }
        EXPECT_EQ(items(), c.after);
        EXPECT_EQ(main->selected("image_combo"), c.selected);
        EXPECT_EQ(main->text("image_type_label"), c.type);
        EXPECT_EQ(boxes(), c.boxes);
    }
    EXPECT_FALSE(g_iso_mounted);
    EXPECT_TRUE(rig.os.processes.launches.empty());
    EXPECT_EQ(g_ghost_version_info.file_description, "Setup program");
}

TEST_F(Inspection, DetailsOfAChosenImage) {
    const std::string path = "D:\\Images\\Windows7\\x64\\win7_ultimate.wim";  // 41 bytes
    file(path, 5000LL * kMiB);
    rig.ui.answer_file_dialog(path);
    ASSERT_TRUE(fakes::click(*main, "browse_button"));
    EXPECT_EQ(details(), (Lines{"位置： D:\\Images\\...\\win7_ultimate.wim", "类型： WIM 映像文件",
                                "大小：  > 4096 MB", "时间： 2025-01-02 03:04:05"}));
    EXPECT_TRUE(main->control_visible("image_size_label"));
    EXPECT_TRUE(main->control_visible("image_time_label"));
}

TEST_F(Inspection, DropsCountOnlyInRestoreMode) {
    file("D:\\b.GHO", 150 * kMiB);
    main->set_checked("restore_radio", false);
    main->set_checked("backup_radio", true);
    ASSERT_TRUE(fakes::drop_files(*main, {"D:\\b.GHO"}));
    EXPECT_EQ(main->item_count("image_combo"), 0);
    main->set_checked("backup_radio", false);
    main->set_checked("restore_radio", true);
    // Several files at once: the first is taken.
    ASSERT_TRUE(fakes::drop_files(*main, {"D:\\b.GHO", "D:\\c.wim"}));
    EXPECT_EQ(items(), Lines{"D:\\b.GHO"});
}

TEST(DiscInspection, EveryBranchRunsTheToolLockedAndReports) {
    const std::string iso = "D:\\iso\\disc.iso";
    const std::string loading = "正在加载：" + iso;
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::int64_t>> disc;
        const char* setup_description;  // of Z:\I386\WINNT32.EXE when given
        bool mounts;
        Lines after;
        int selected;
        const char* type;
        Lines balloons;
        Lines boxes;
    };
    const Case cases[] = {
        {"install.wim and Ghost images",
         {{"Z:\\GHO\\win7.gho", 200 * kMiB}, {"Z:\\sources\\install.wim", 3000 * kMiB}},
         nullptr,
         true,
         {"D:\\old.gho", "Z:\\GHO\\win7.gho", "Z:\\sources\\install.wim"},
         2,
         "类型： WIM 映像文件",
         {loading, "加载：" + iso + "成功！"},
         {}},
        {"Ghost images only, a small one left out",
         {{"Z:\\small.gho", 10 * kMiB}, {"Z:\\GHO\\win7.gho", 200 * kMiB}},
         nullptr,
         true,
         {"D:\\old.gho", "Z:\\GHO\\win7.gho"},
         0,
         "类型： WIM 映像文件",
         {loading, "加载：" + iso + "成功！"},
         {}},
        {"an XP disc",
         {},
         kSetupDescription,
         true,
         {"D:\\old.gho", "Z:\\I386"},
         0,
         "",
         {loading, "加载：" + iso + "成功！"},
         {}},
        {"a setup program of another kind",
         {},
         "Other program",
         true,
         {"D:\\old.gho"},
         0,
         "",
         {loading, "错误或不支持的Windows安装镜像，请选择正确的Windows安装镜像！"},
         {"提示|错误或不支持的Windows安装镜像，请选择正确的Windows安装镜像！|16"}},
        {"a disc with neither",
         {{"Z:\\readme.txt", 10}},
         nullptr,
         true,
         {"D:\\old.gho"},
         0,
         "",
         {loading, "加载：" + iso + "失败！"},
         {"提示|无效或不支持的ISO映像文件，请选择正确的Windows安装镜像！|48"}},
        {"a mount that made no drive",
         {},
         nullptr,
         false,
         {"D:\\old.gho"},
         0,
         "",
         {loading, "加载组件出现错误，请重试！"},
         {"提示|加载组件出现错误，请重试！|16"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::MainWindowRig r;  // a fresh drive Z: for every disc
        ui::Window& m = r.open_main_window();
        g_virtual_drive_letter = "Z";
        r.os.directories.add_file("D:\\old.gho", 150 * kMiB);
        r.os.directories.add_file(iso, 600 * kMiB);
        bool locked = false;
        r.os.processes.on_launch = [&](const std::string& line) {
            locked = !m.enabled("start_button") && !m.enabled("browse_button");
            if (!c.mounts || line.rfind("ISO.exe /D:Z ", 0) != 0) return;
            r.os.files.add_folder("Z:\\");
            for (const auto& [path, size] : c.disc) r.os.directories.add_file(path, size);
            if (c.setup_description != nullptr) {
                r.os.directories.add_file("Z:\\I386\\WINNT32.EXE", 300 * 1024);
                ASSERT_NE(r.os.files.entry("Z:\\I386\\WINNT32.EXE"), nullptr);
                r.os.files.entry("Z:\\I386\\WINNT32.EXE")->description = c.setup_description;
            }
        };
        m.add_item("image_combo", "D:\\old.gho");
        m.select("image_combo", 0);
        r.ui.answer_file_dialog(iso);
        ASSERT_TRUE(fakes::click(m, "browse_button"));

        ASSERT_EQ(r.os.processes.launches.size(), 1u);
        EXPECT_EQ(r.os.processes.launches[0].command_line, "ISO.exe /D:Z /I:" + iso);
        EXPECT_TRUE(r.os.processes.launches[0].wait);
        EXPECT_EQ(r.os.processes.launches[0].show, os::kShowHidden);
        EXPECT_TRUE(locked);
        EXPECT_TRUE(m.enabled("start_button"));  // unlocked again, whatever the outcome
        Lines got;
        for (int i = 0; i < m.item_count("image_combo"); ++i)
            got.push_back(m.item_text("image_combo", i));
        EXPECT_EQ(got, c.after);
        EXPECT_EQ(m.selected("image_combo"), c.selected);
        if (*c.type) {
            EXPECT_EQ(m.text("image_type_label"), c.type);
        }
        EXPECT_EQ(fakes::balloon_texts(m), c.balloons);
        EXPECT_EQ(r.os.notices.captions_texts_and_styles(), c.boxes);
        EXPECT_TRUE(g_iso_mounted);
        EXPECT_EQ(mounted_iso_behind("Z:\\I386"), iso);
    }
}

TEST_F(Inspection, DiscImageWithGhostImagesOnlyChoosesTheFirstGhostImage) {
    disc = {{"Z:\\GHO\\a.gho", 200 * kMiB}, {"Z:\\GHO\\b.GHO", 200 * kMiB}};
    file("D:\\disc.iso", 700 * kMiB);
    combo({"D:\\sys.wim"}, 0);
    ASSERT_TRUE(fakes::drop_files(*main, {"D:\\disc.iso"}));
    EXPECT_EQ(items(), (Lines{"D:\\sys.wim", "Z:\\GHO\\a.gho", "Z:\\GHO\\b.GHO"}));
    EXPECT_EQ(main->selected("image_combo"), 1);
    EXPECT_EQ(g_preferred_image, "Z:\\GHO\\a.gho");
    // The line names a WIM image whatever was chosen.
    EXPECT_EQ(details()[0], "位置： Z:\\GHO\\a.gho");
    EXPECT_EQ(details()[1], "类型： WIM 映像文件");
    EXPECT_TRUE(locked_at_launch);
}

// A second disc image goes onto the same letter: the first disc's entries go with it, so its
// install.wim, current until then, is no longer offered once it is gone.
TEST_F(Inspection, ASecondDiscImageTakesTheFirstOnesEntriesAway) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::int64_t>> second;
        Lines after;
        int selected;
    };
    const Case cases[] = {
        {"an XP disc", {{"Z:\\I386\\WINNT32.EXE", 300 * 1024}}, {"D:\\sys.wim", "Z:\\I386"}, 0},
        {"a Ghost disc", {{"Z:\\GHO\\xp.gho", 200 * kMiB}}, {"D:\\sys.wim", "Z:\\GHO\\xp.gho"}, 1},
    };
    file("D:\\win7.iso", 700 * kMiB);
    file("D:\\second.iso", 700 * kMiB);
    disc_descriptions["Z:\\I386\\WINNT32.EXE"] = kSetupDescription;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The tool puts each disc in the place of the one before.
        for (const auto& [path, size] : disc) rig.os.files.delete_file(path);
        disc = {{"Z:\\GHO\\win7.gho", 200 * kMiB}, {"Z:\\sources\\install.wim", 3000 * kMiB}};
        combo({"D:\\sys.wim"}, 0);
        ASSERT_TRUE(fakes::drop_files(*main, {"D:\\win7.iso"}));
        ASSERT_EQ(main->text("image_combo"), "Z:\\sources\\install.wim");

        for (const auto& [path, size] : disc) rig.os.files.delete_file(path);
        disc = c.second;
        ASSERT_TRUE(fakes::drop_files(*main, {"D:\\second.iso"}));
        EXPECT_EQ(items(), c.after);
        EXPECT_EQ(main->selected("image_combo"), c.selected);
        EXPECT_EQ(main->text("image_location_label"), "位置： " + main->text("image_combo"));
        EXPECT_EQ(mounted_iso_behind("Z:\\"), "D:\\second.iso");
    }
}

TEST_F(Inspection, RefusedDiscImagesStillMarkTheRunForTheUnmount) {
    file("D:\\empty.iso", 1023);
    rig.ui.answer_file_dialog("D:\\empty.iso");
    ASSERT_TRUE(fakes::click(*main, "browse_button"));
    EXPECT_EQ(boxes(), Lines{"提示|无效的ISO镜像文件，请选择正确的ISO镜像文件！|48"});
    EXPECT_TRUE(rig.os.processes.launches.empty());
    EXPECT_TRUE(g_iso_mounted);

    // With no letter chosen at start-up there is nowhere to mount: the tool is not run.
    rig.os.notices.boxes.clear();
    g_virtual_drive_letter.clear();
    file("D:\\disc.iso", 700 * kMiB);
    rig.ui.answer_file_dialog("D:\\disc.iso");
    ASSERT_TRUE(fakes::click(*main, "browse_button"));
    EXPECT_TRUE(rig.os.processes.launches.empty());
    EXPECT_EQ(boxes(), Lines{"提示|加载组件出现错误，请重试！|16"});
    EXPECT_TRUE(main->enabled("start_button"));
}

TEST_F(Inspection, BrowseStartsAtTheProgramsDriveAndFocusesThePartitionList) {
    ASSERT_TRUE(fakes::click(*main, "browse_button"));  // cancelled
    ASSERT_EQ(rig.ui.dialog_runs().size(), 1u);
    EXPECT_EQ(rig.ui.dialog_runs()[0].role, "image_open_dialog");
    EXPECT_EQ(rig.ui.dialog_runs()[0].folder, "X:\\");
    EXPECT_EQ(fakes::headless(*main).focused(), "partition_list");
    EXPECT_EQ(main->item_count("image_combo"), 0);
    EXPECT_EQ(details()[0], kNote);
}

TEST_F(Inspection, BackupBrowseProposesANameAndKeepsTheChosenPath) {
    EXPECT_EQ(backup_name_number(), 2731);
    EXPECT_EQ(backup_name_number(), 2731);
    main->set_checked("restore_radio", false);
    main->set_checked("backup_radio", true);
    main->add_row("partition_list",
                  {"C:\\", "1:1", "A,Win7", "硬盘驱动器", "40.00 GB", "20.00 GB"});

    ASSERT_TRUE(fakes::click(*main, "browse_button"));  // no row, no path: no name
    main->select_row("partition_list", 0);
    rig.ui.answer_file_dialog("D:\\bak\\sys.GHO");
    ASSERT_TRUE(fakes::click(*main, "browse_button"));
    ASSERT_TRUE(fakes::click(*main, "browse_button"));  // the path chosen before names it now
    const auto& runs = rig.ui.dialog_runs();
    ASSERT_EQ(runs.size(), 3u);
    for (const auto& run : runs) {
        EXPECT_EQ(run.role, "backup_save_dialog");
        EXPECT_EQ(run.folder, "X:\\");
    }
    EXPECT_EQ(runs[0].file_name, "");
    EXPECT_EQ(runs[1].file_name, "C_BAK2731.GHO");
    EXPECT_EQ(runs[2].file_name, "sys.GHO");
    EXPECT_EQ(main->item_count("backup_path_combo"), 1);
    EXPECT_EQ(main->text("backup_path_combo"), "D:\\bak\\sys.GHO");
    EXPECT_EQ(main->item_count("image_combo"), 0);
}

TEST_F(Inspection, DiscPanelSwapsTheImageRowAndSwitchesTheGhostOptionsOff) {
    rig.os.drives.add("F:\\", os::kDriveCdrom, 0, 0xFFFFFFFFu);
    main->set_checked("password_check", true);
    main->set_enabled("password_edit", true);
    main->set_text("password_edit", "secret");
    ASSERT_TRUE(fakes::click(*main, "disc_install_radio"));
    EXPECT_FALSE(main->control_visible("browse_button"));
    for (const char* role :
         {"noide_check", "integrity_check", "password_check", "custom_ghost_check",
          "crcignore_check", "split_combo", "compression_combo", "password_edit"})
        EXPECT_FALSE(main->enabled(role)) << role;
    EXPECT_EQ(main->text("password_edit"), "");
    EXPECT_FALSE(main->checked("password_check"));
    EXPECT_FALSE(main->control_visible("image_combo"));
    EXPECT_FALSE(main->control_visible("backup_path_combo"));
    EXPECT_TRUE(main->control_visible("optical_drive_combo"));
    EXPECT_EQ(main->item_count("optical_drive_combo"), 1);
    EXPECT_EQ(main->text("optical_drive_combo").substr(0, 3), "F:\\");
    EXPECT_EQ(main->text("image_caption_label"), "请选择系统光盘盘符：");
    EXPECT_EQ(main->column_caption("partition_list", 0), "安装");
    EXPECT_FALSE(fakes::headless(*main).drop_enabled());
}

}  // namespace
}  // namespace qv
