#include <gtest/gtest.h>

#include "base/shell_file_operations.h"
#include "fakes/main_window_rig.h"
#include "images/image_file_operations.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;
using os::ShellTransfer;

constexpr const char* kFound = "found_images_list";

class ImageFileMenu : public ::testing::Test {
protected:
    ImageFileMenu() : main(rig.open_main_window()), w(fakes::headless(main)) {}

    // The list as a search leaves it: the hits, then the summary line.
    void list(const Lines& lines) {
        for (const std::string& line : lines) main.add_item(kFound, line);
    }
    void choose(int index) { main.select(kFound, index); }
    Lines items(const std::string& role) const {
        Lines out;
        for (int i = 0; i < main.item_count(role); ++i) out.push_back(main.item_text(role, i));
        return out;
    }
    // Every box as "text|style"; all of them carry the same title.
    Lines boxes() const { return rig.os.notices.hint_texts_and_styles(); }

    fakes::MainWindowRig rig;
    ui::Window& main;
    fakes::HeadlessWindow& w;
};

TEST_F(ImageFileMenu, PopupAppearsOnlyForImageEntriesAndShowsMountForDiscs) {
    rig.ui.cursor_position = {420, 310, 0, 0};
    // An empty list: no menu, and the mount item is hidden again all the same.
    main.set_menu_visible("list_menu_mount", true);
    ASSERT_TRUE(fakes::right_click(main, kFound));
    EXPECT_TRUE(w.popups().empty());
    EXPECT_FALSE(main.menu_visible("list_menu_mount"));
    EXPECT_EQ(w.focused(), "");

    list({"D:\\a.GHO", "D:\\b.iso", "D:\\c.Wim", "D:\\d.SWM", "D:\\readme.txt",
          "搜索3层目录完成，共搜索到4个Gho文件。"});
    struct Case {
        int chosen;
        bool popup;
        bool mount;
    } cases[] = {
        {-1, false, false}, {1, true, true},   {0, true, false},  {2, true, false},
        {3, true, false},   {4, false, false}, {5, false, false}, {1, true, true},
    };
    size_t popups = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        choose(c.chosen);
        // The press lands on another row; the menu still acts on the chosen one.
        ASSERT_TRUE(fakes::right_click(main, kFound, 5));
        EXPECT_EQ(main.selected(kFound), c.chosen);
        EXPECT_EQ(w.focused(), kFound);
        if (c.popup) ++popups;
        ASSERT_EQ(w.popups().size(), popups);
        if (c.popup) {
            EXPECT_EQ(w.popups().back().menu, "list_menu");
            EXPECT_EQ(w.popups().back().x, 420);
            EXPECT_EQ(w.popups().back().y, 310);
        }
        EXPECT_EQ(main.menu_visible("list_menu_mount"), c.mount);
        EXPECT_EQ(main.menu_visible("list_menu_mount_separator"), c.mount);
    }
}

TEST_F(ImageFileMenu, MoveAndExportAskForTheDestinationAndReport) {
    struct Case {
        const char* name;
        const char* item;
        const char* entry;
        std::string answer;  // the dialog's answer; empty = cancelled
        os::ShellTransferResult shell;
        const char* title;
        const char* filter;
        const char* file_name;
        ShellTransfer kind;
        Lines boxes;
        bool transferred;  // the file now is at the destination
    } cases[] = {
        {"move",
         "list_menu_move",
         "D:\\备份\\win7.GHO",
         "E:\\win7.GHO",
         {0, false},
         "移动文件",
         "Ghost映像文件(*.Gho)|*.Gho",
         "win7.GHO",
         ShellTransfer::Move,
         {"D:\\备份\\win7.GHO 移动成功！|64"},
         true},
        {"export",
         "list_menu_export",
         "D:\\cd.iso",
         "E:\\x\\cd.iso",
         {0, false},
         "导出文件",
         "光盘镜像文件(*.ISO)|*.ISO",
         "cd.iso",
         ShellTransfer::Copy,
         {"D:\\cd.iso 导出成功！|64"},
         true},
        {"export split",
         "list_menu_export",
         "D:\\s.swm",
         "E:\\s.swm",
         {0, false},
         "导出文件",
         "WIM分卷映像文件(*.SWM)|*.SWM",
         "s.swm",
         ShellTransfer::Copy,
         {"D:\\s.swm 导出成功！|64"},
         true},
        {"move fails",
         "list_menu_move",
         "D:\\a.wim",
         "E:\\a.wim",
         {0x75, false},
         "移动文件",
         "WIM映像文件(*.WIM)|*.WIM",
         "a.wim",
         ShellTransfer::Move,
         {"D:\\a.wim 移动失败！|16"},
         false},
        // The user said No to the shell's overwrite prompt: the shell still returns 0.
        {"overwrite declined",
         "list_menu_export",
         "D:\\a.wim",
         "E:\\a.wim",
         {0, true},
         "导出文件",
         "WIM映像文件(*.WIM)|*.WIM",
         "a.wim",
         ShellTransfer::Copy,
         {"D:\\a.wim 导出失败！|16"},
         false},
        {"cancelled",
         "list_menu_move",
         "D:\\a.wim",
         "",
         {0, false},
         "移动文件",
         "WIM映像文件(*.WIM)|*.WIM",
         "a.wim",
         ShellTransfer::Move,
         {},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::MainWindowRig r;
        ui::Window& m = r.open_main_window();
        r.os.files.add_file(c.entry, "image");
        m.add_item(kFound, c.entry);
        m.add_item(kFound, "搜索3层目录完成，共搜索到1个Gho文件。");
        m.select(kFound, 0);
        r.os.shell_files.result = c.shell;
        r.ui.answer_file_dialog(c.answer);
        r.ui.answer_next_popup(c.item);
        ASSERT_TRUE(fakes::right_click(m, kFound));

        ASSERT_EQ(r.ui.dialog_runs().size(), 1u);
        const fakes::DialogRun& run = r.ui.dialog_runs()[0];
        EXPECT_EQ(run.role, "file_operation_dialog");
        EXPECT_EQ(run.title, c.title);
        EXPECT_EQ(run.filter, c.filter);
        EXPECT_EQ(run.file_name, c.file_name);
        const auto& transfers = r.os.shell_files.transfers;
        if (c.answer.empty()) {
            EXPECT_TRUE(transfers.empty());
        } else {
            ASSERT_EQ(transfers.size(), 1u);
            EXPECT_EQ(transfers[0].kind, c.kind);
            EXPECT_EQ(transfers[0].from, c.entry);
            EXPECT_EQ(transfers[0].to, c.answer);
            EXPECT_EQ(transfers[0].flags, 0x400u);
        }
        Lines got;
        for (const auto& b : r.os.notices.boxes)
            got.push_back(b.text + "|" + std::to_string(b.style));
        EXPECT_EQ(got, c.boxes);
        // Explorer shows the new file only after a success.
        ASSERT_EQ(r.os.shell_files.opened.size(), c.transferred ? 1u : 0u);
        if (c.transferred) {
            EXPECT_EQ(r.os.shell_files.opened[0].path, c.answer);
            EXPECT_FALSE(r.os.shell_files.opened[0].rename);
        }
        EXPECT_EQ(r.os.files.has(c.answer), c.transferred);
        EXPECT_EQ(r.os.files.has(c.entry), !(c.transferred && c.kind == ShellTransfer::Move));
        // The list keeps the old path, even after a move.
        EXPECT_EQ(m.item_text(kFound, 0), c.entry);
    }
}

TEST_F(ImageFileMenu, MoveOrExportOntoTheFileItselfNeverReachesTheShell) {
    rig.os.files.add_file("D:\\img\\a.GHO", "image");
    list({"D:\\img\\a.GHO", "搜索3层目录完成，共搜索到1个Gho文件。"});
    choose(0);
    rig.ui.answer_file_dialog("d:\\IMG\\a.gho");
    rig.ui.answer_file_dialog("D:\\img\\a.GHO");
    ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_move"));
    ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_export"));
    EXPECT_TRUE(rig.os.shell_files.transfers.empty());
    EXPECT_TRUE(rig.os.shell_files.opened.empty());
    EXPECT_EQ(boxes(), (Lines{"D:\\img\\a.GHO 移动失败！|16", "D:\\img\\a.GHO 导出失败！|16"}));
    EXPECT_EQ(rig.os.files.contents("D:\\img\\a.GHO"), "image");
}

TEST_F(ImageFileMenu, MissingFileIsReportedByEveryItem) {
    list({"D:\\gone.GHO", "搜索3层目录完成，共搜索到1个Gho文件。"});
    choose(0);
    for (const char* item : {"list_menu_browse", "list_menu_export", "list_menu_move",
                             "list_menu_delete", "list_menu_properties"})
        ASSERT_TRUE(fakes::choose_menu_item(main, item));
    EXPECT_EQ(boxes(), Lines(5, "D:\\gone.GHO 不存在！|48"));
    EXPECT_TRUE(rig.ui.dialog_runs().empty());
    EXPECT_TRUE(rig.os.shell_files.opened.empty());
    EXPECT_TRUE(rig.os.shell_files.properties.empty());
    EXPECT_EQ(main.item_count(kFound), 2);
}

TEST_F(ImageFileMenu, ItemsIgnoreEntriesThatAreNoImages) {
    rig.os.files.add_file("D:\\readme.txt");
    list({"D:\\readme.txt", "搜索3层目录完成，共搜索到0个Gho文件。"});
    for (int chosen : {-1, 0, 1}) {
        choose(chosen);
        for (const char* item : {"list_menu_browse", "list_menu_export", "list_menu_move",
                                 "list_menu_delete", "list_menu_properties"})
            ASSERT_TRUE(fakes::choose_menu_item(main, item));
    }
    EXPECT_TRUE(rig.os.notices.boxes.empty());
    EXPECT_TRUE(rig.ui.dialog_runs().empty());
    EXPECT_TRUE(rig.os.files.has("D:\\readme.txt"));
}

TEST_F(ImageFileMenu, BrowseAndPropertiesHandTheFileToTheShellWithoutReporting) {
    rig.os.files.add_file("D:\\a.WIM", "image");
    list({"D:\\a.WIM", "搜索3层目录完成，共搜索到1个WIM文件。"});
    choose(0);
    rig.os.shell_files.open_succeeds = false;
    rig.os.shell_files.properties_result = 31;
    ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_browse"));
    ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_properties"));
    ASSERT_EQ(rig.os.shell_files.opened.size(), 1u);
    EXPECT_EQ(rig.os.shell_files.opened[0].path, "D:\\a.WIM");
    EXPECT_FALSE(rig.os.shell_files.opened[0].rename);
    ASSERT_EQ(rig.os.shell_files.properties.size(), 1u);
    EXPECT_EQ(rig.os.shell_files.properties[0].path, "D:\\a.WIM");
    EXPECT_EQ(rig.os.shell_files.properties[0].owner, &main);
    EXPECT_TRUE(rig.os.notices.boxes.empty());
}

TEST_F(ImageFileMenu, DeleteAfterYesUpdatesListComboAndSummary) {
    for (const char* path : {"D:\\1.ISO", "D:\\2.ISO", "E:\\3.iso", "E:\\4.ISO", "F:\\5.ISO"})
        rig.os.files.add_file(path, "disc");
    list({"D:\\1.ISO", "D:\\2.ISO", "E:\\3.iso", "E:\\4.ISO", "F:\\5.ISO",
          "搜索3层目录完成，共搜索到5个ISO文件。"});
    main.set_text("depth_edit", "3");
    main.select("search_pattern_combo", 1);
    ASSERT_EQ(main.text("search_pattern_combo"), "*.ISO");
    choose(2);
    rig.os.notices.answers = {os::kIdYes};
    rig.ui.answer_next_popup("list_menu_delete");
    ASSERT_TRUE(fakes::right_click(main, kFound));

    EXPECT_FALSE(rig.os.files.has("E:\\3.iso"));
    EXPECT_EQ(items(kFound), (Lines{"D:\\1.ISO", "D:\\2.ISO", "E:\\4.ISO", "F:\\5.ISO",
                                    "搜索3层目录完成，共搜索到4个ISO文件。"}));
    EXPECT_EQ(boxes(), (Lines{"是否删除 E:\\3.iso ？|68", "E:\\3.iso 删除成功！|64"}));
}

TEST_F(ImageFileMenu, DeleteRefusedOrFailedChangesNothing) {
    rig.os.files.add_file("D:\\a.GHO", "image");
    rig.os.files.add_folder("D:\\locked.GHO");  // exists, but cannot be deleted as a file
    const Lines found{"D:\\a.GHO", "D:\\locked.GHO", "搜索3层目录完成，共搜索到2个Gho文件。"};
    list(found);
    main.add_item("image_combo", "D:\\a.GHO");
    main.add_item("image_combo", "D:\\locked.GHO");
    main.select("image_combo", 1);

    struct Case {
        int chosen;
        int answer;
        Lines boxes;
    } cases[] = {
        {0, os::kIdNo, {"是否删除 D:\\a.GHO ？|68"}},
        {0, os::kIdCancel, {"是否删除 D:\\a.GHO ？|68"}},
        {1, os::kIdYes, {"是否删除 D:\\locked.GHO ？|68", "D:\\locked.GHO 删除失败！|16"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        rig.os.notices.boxes.clear();
        rig.os.notices.answers = {c.answer};
        choose(c.chosen);
        ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_delete"));
        EXPECT_EQ(boxes(), c.boxes);
        EXPECT_EQ(items(kFound), found);
        EXPECT_EQ(items("image_combo"), (Lines{"D:\\a.GHO", "D:\\locked.GHO"}));
        EXPECT_EQ(main.selected("image_combo"), 1);
    }
    EXPECT_TRUE(rig.os.files.has("D:\\a.GHO"));
}

TEST_F(ImageFileMenu, DeleteTakesOnlyTheDeletedFileOutOfTheCombo) {
    struct Case {
        const char* name;
        Lines combo;
        int current;
        Lines combo_after;
        int current_after;
    } cases[] = {
        // The user's choice is another image: it stays chosen.
        {"other image chosen",
         {"C:\\sys.WIM", "D:\\b.gho", "E:\\c.GHO"},
         2,
         {"C:\\sys.WIM", "E:\\c.GHO"},
         1},
        {"deleted image chosen", {"C:\\sys.WIM", "D:\\B.GHO"}, 1, {"C:\\sys.WIM"}, 0},
        {"not in the combo", {"C:\\sys.WIM"}, 0, {"C:\\sys.WIM"}, 0},
        {"the only image", {"D:\\b.gho"}, 0, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::MainWindowRig r;
        ui::Window& m = r.open_main_window();
        r.os.files.add_file("D:\\b.gho", "image");
        m.add_item(kFound, "D:\\b.gho");
        m.add_item(kFound, "搜索3层目录完成，共搜索到1个Gho文件。");
        m.select(kFound, 0);
        for (const std::string& item : c.combo) m.add_item("image_combo", item);
        m.select("image_combo", c.current);
        r.os.notices.answers = {os::kIdYes};
        ASSERT_TRUE(fakes::choose_menu_item(m, "list_menu_delete"));
        Lines combo;
        for (int i = 0; i < m.item_count("image_combo"); ++i)
            combo.push_back(m.item_text("image_combo", i));
        EXPECT_EQ(combo, c.combo_after);
        EXPECT_EQ(m.selected("image_combo"), c.current_after);
        EXPECT_EQ(m.item_text(kFound, 0), "搜索3层目录完成，共搜索到0个Gho文件。");
    }
}

TEST_F(ImageFileMenu, OpenPartitionStartsExplorerOnAnExistingDrive) {
    main.set_text("selected_drive_label", "C:\\");
    main.set_text("selected_caption_label", "C:\\(1:1)");
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_open"));
    EXPECT_EQ(boxes(), (Lines{"C:\\(1:1) 不存在！|48"}));
    EXPECT_TRUE(rig.os.processes.launches.empty());

    rig.os.files.add_folder("C:\\");
    ASSERT_TRUE(fakes::choose_menu_item(main, "disk_menu_open"));
    ASSERT_EQ(rig.os.processes.launches.size(), 1u);
    EXPECT_EQ(rig.os.processes.launches[0].command_line, "EXPLORER.EXE C:\\");
    EXPECT_FALSE(rig.os.processes.launches[0].wait);
    EXPECT_EQ(rig.os.processes.launches[0].show, os::kShowNormal);
    EXPECT_EQ(rig.os.notices.boxes.size(), 1u);
}

TEST(ShellFileOperations, OptionNumbersGiveTheShellFlags) {
    const std::pair<int, unsigned> cases[] = {{1, 0x3FD}, {2, 0x400}, {3, 0x4},
                                              {4, 0},     {0, 0x3FD}, {5, 0x3FD}};
    for (const auto& [option, flags] : cases)
        EXPECT_EQ(shell_operation_flags(option), flags) << option;
}

TEST(ShellFileOperations, OpeningAFolderNeedsAnExistingPath) {
    fakes::FakeOs os;
    EXPECT_FALSE(open_folder_select_item("D:\\none.GHO", false));
    EXPECT_TRUE(os.shell_files.opened.empty());
    os.files.add_file("D:\\a.GHO");
    EXPECT_TRUE(open_folder_select_item("D:\\a.GHO", true));
    ASSERT_EQ(os.shell_files.opened.size(), 1u);
    EXPECT_TRUE(os.shell_files.opened[0].rename);
    os.shell_files.open_succeeds = false;
    EXPECT_FALSE(open_folder_select_item("D:\\a.GHO", false));
}

}  // namespace
}  // namespace qv
