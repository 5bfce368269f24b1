#include <gtest/gtest.h>

#include "base/power.h"
#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "jobs/virtual_drive.h"
#include "main_window/main_window.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

TEST(VirtualDriveCommands, BuildTheToolAndExplorerLines) {
    const std::string iso = "E:\\iso\\win7.iso";
    EXPECT_EQ(virtual_drive_mount_command("Z", iso), "ISO.exe /D:Z /I:E:\\iso\\win7.iso");
    EXPECT_EQ(virtual_drive_mount_command("", iso), "ISO.exe /D: /I:E:\\iso\\win7.iso");
    EXPECT_EQ(virtual_drive_window_mount_command("Y", iso),
              "ISO.exe /D:Y:\\  /I:E:\\iso\\win7.iso");
    EXPECT_EQ(list_mount_explorer_command("Z"), "explorer.exe Z:\\ ");
    EXPECT_EQ(drive_explorer_command("Y"), "EXPLORER.EXE Y:\\ ");
}

class VirtualDrive : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* root : {"C:\\", "D:\\"}) rig.os.files.add_folder(root);
        rig.os.files.add_file_of_size("D:\\iso\\win7.iso", 600 << 20);
        rig.os.files.add_file_of_size("D:\\iso\\xp.iso", 500 << 20);
        // The tool's mount makes the letter appear; what the lock looked like then is kept.
        rig.os.processes.on_launch = [this](const std::string& line) {
            if (line.rfind("ISO.exe /D:", 0) == 0 && line.size() > 11 && line[11] != ' ')
                rig.os.files.add_folder(line.substr(11, 1) + ":\\");
            locked_at_launch.push_back(main != nullptr && !main->enabled("start_button"));
        };
        main = &rig.open_main_window();
    }
    // Puts an ISO into the found-images list and chooses its mount item.
    void mount_from_list(const std::string& iso) {
        main->clear_items("found_images_list");
        main->add_item("found_images_list", iso);
        main->select("found_images_list", 0);
        // The list's menu shows the item for a disc image.
        main->set_menu_visible("list_menu_mount", true);
        ASSERT_TRUE(fakes::choose_menu_item(*main, "list_menu_mount"));
    }
    std::vector<fakes::FakeProcesses::Launch> launches() const { return rig.os.processes.launches; }
    Lines balloons() const { return fakes::balloon_texts(*main); }
    Lines boxes() const { return rig.os.notices.captions_texts_and_styles(); }

    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    std::vector<bool> locked_at_launch;
};

TEST_F(VirtualDrive, ListMountRunsTheToolLockedThenOpensExplorer) {
    mount_from_list("D:\\iso\\win7.iso");
    ASSERT_EQ(launches().size(), 2u);
    EXPECT_EQ(launches()[0].command_line, "ISO.exe /D:Z /I:D:\\iso\\win7.iso");
    EXPECT_TRUE(launches()[0].wait);
    EXPECT_EQ(launches()[0].show, os::kShowHidden);
    EXPECT_EQ(launches()[1].command_line, "explorer.exe Z:\\ ");
    EXPECT_FALSE(launches()[1].wait);
    EXPECT_EQ(launches()[1].show, os::kShowNormal);
    EXPECT_EQ(locked_at_launch, (std::vector<bool>{true, false}));
    EXPECT_EQ(balloons(), (Lines{"正在加载 D:\\iso\\win7.iso 到 Z:\\ ，请稍后.....",
                                 "加载 D:\\iso\\win7.iso 到 Z:\\ 完成！"}));
    EXPECT_TRUE(g_iso_mounted);
    EXPECT_EQ(g_iso_mount_letter, "Z");
    EXPECT_EQ(mounted_iso_behind("z:\\I386"), "D:\\iso\\win7.iso");

    // A second image goes to the next free letter, since the first one's letter is now taken.
    mount_from_list("D:\\iso\\xp.iso");
    EXPECT_EQ(launches()[2].command_line, "ISO.exe /D:Y /I:D:\\iso\\xp.iso");
    EXPECT_EQ(g_iso_mount_letter, "Y");

    // The end of the run unmounts what the list mounted.
    end_program(0);
    EXPECT_EQ(launches().back().command_line, "iso.exe /q");
    EXPECT_TRUE(launches().back().wait);
}

TEST_F(VirtualDrive, ListMountWithoutAFreeLetterWarnsAndKeepsThePreviousLetter) {
    for (const char* root : {"Z:\\", "Y:\\", "W:\\", "A:\\", "B:\\"}) rig.os.files.add_folder(root);
    const std::string warning = "提示|检测到系统盘符异常，部分功能将无法正常使用！|16";
    mount_from_list("D:\\iso\\win7.iso");
    EXPECT_EQ(boxes(), Lines{warning});
    EXPECT_EQ(launches()[0].command_line, "ISO.exe /D: /I:D:\\iso\\win7.iso");
    EXPECT_EQ(launches()[1].command_line, "explorer.exe :\\ ");
    EXPECT_TRUE(g_iso_mounted);

    g_iso_mount_letter = "Y";
    mount_from_list("D:\\iso\\xp.iso");
    EXPECT_EQ(launches()[2].command_line, "ISO.exe /D:Y /I:D:\\iso\\xp.iso");
}

TEST_F(VirtualDrive, MenuOpensTheWindowOverTheMainWindowWithTheFreeLetters) {
    rig.os.files.add_folder("Z:\\");
    std::vector<std::string> letters;
    int chosen = -1;
    ui::Window* parent = nullptr;
    rig.ui.on_modal(kVirtualDriveWindowName, [&](ui::Window& w) {
        for (int i = 0; i < w.item_count("letter_combo"); ++i)
            letters.push_back(w.item_text("letter_combo", i));
        chosen = w.selected("letter_combo");
        parent = fakes::headless(w).parent();
        EXPECT_EQ(w.text("caption_label"), "Quennix虚拟光驱内嵌版");
        EXPECT_EQ(w.picture("panel"), "dialog_panel");
        EXPECT_FALSE(fakes::headless(*main).window_enabled());
        ASSERT_TRUE(fakes::click(w, "exit_button"));
        EXPECT_FALSE(w.alive());
    });
    ASSERT_TRUE(fakes::choose_menu_item(*main, "main_menu_virtual_drive"));
    EXPECT_EQ(parent, main);
    ASSERT_EQ(letters.size(), 23u);  // C, D and Z are taken
    EXPECT_EQ(letters.front(), "A:\\");
    EXPECT_EQ(letters[2], "E:\\");
    EXPECT_EQ(letters.back(), "Y:\\");
    EXPECT_EQ(chosen, 22);
    // From the menu the buttons only close the window.
    EXPECT_FALSE(rig.ui.quitting());
    EXPECT_TRUE(main->alive());
}

TEST_F(VirtualDrive, WindowMountChecksItsChoicesThenMountsLocked) {
    rig.ui.answer_file_dialog("D:\\iso\\win7.iso");
    rig.ui.answer_file_dialog("D:\\iso\\xp.iso");
    rig.ui.answer_file_dialog("D:\\iso\\gone.iso");
    rig.ui.on_modal(kVirtualDriveWindowName, [&](ui::Window& w) {
        // Nothing chosen yet.
        ASSERT_TRUE(fakes::click(w, "mount_button"));
        // Two images chosen: both listed, the first stays current.
        ASSERT_TRUE(fakes::click(w, "browse_button"));
        ASSERT_TRUE(fakes::click(w, "browse_button"));
        EXPECT_EQ(w.item_count("iso_combo"), 2);
        EXPECT_EQ(w.text("iso_combo"), "D:\\iso\\win7.iso");
        // A missing image is refused.
        ASSERT_TRUE(fakes::click(w, "browse_button"));
        w.select("iso_combo", 2);
        ASSERT_TRUE(fakes::click(w, "mount_button"));
        w.select("iso_combo", 1);
        bool locked = false;
        rig.os.processes.on_launch = [&](const std::string&) {
            locked = !w.enabled("iso_combo") && !w.enabled("browse_button") &&
                     !w.enabled("exit_button") && !w.enabled("mount_button") &&
                     !w.enabled("open_button") && !w.enabled("letter_combo");
        };
        ASSERT_TRUE(fakes::click(w, "mount_button"));
        EXPECT_TRUE(locked);
        EXPECT_TRUE(w.enabled("mount_button"));
        // No letter left to choose.
        w.clear_items("letter_combo");
        ASSERT_TRUE(fakes::click(w, "mount_button"));
    });
    ASSERT_TRUE(fakes::choose_menu_item(*main, "main_menu_virtual_drive"));
    EXPECT_EQ(boxes(), (Lines{"提示|请选中要加载的光盘镜像文件！|48",
                              "提示|未找到 D:\\iso\\gone.iso|48", "提示|请输入虚拟光驱盘符！|48"}));
    ASSERT_EQ(launches().size(), 1u);
    EXPECT_EQ(launches()[0].command_line, "ISO.exe /D:Z:\\  /I:D:\\iso\\xp.iso");
    EXPECT_TRUE(launches()[0].wait);
    EXPECT_EQ(launches()[0].show, os::kShowHidden);
    EXPECT_EQ(balloons(), Lines{"正在加载：D:\\iso\\xp.iso"});
    // The window's mount stays mounted: the end of the run leaves it alone.
    EXPECT_FALSE(g_iso_mounted);
    // Its images can still be chosen as a source: the start checks must know where it lies.
    EXPECT_EQ(mounted_iso_behind("Z:\\"), "D:\\iso\\xp.iso");
    end_program(0);
    EXPECT_EQ(launches().size(), 1u);
}

// Another disc image mounted on a letter takes the image combo's entries of the replaced disc
// with it, whichever mount it was; the same image again, or a first mount, leaves them.
TEST_F(VirtualDrive, AnotherDiscOnTheLetterDropsTheReplacedDiscsEntries) {
    auto combo = [&](const Lines& items, int selected) {
        main->clear_items("image_combo");
        for (const std::string& item : items) main->add_item("image_combo", item);
        main->select("image_combo", selected);
    };
    auto items = [&] {
        Lines out;
        for (int i = 0; i < main->item_count("image_combo"); ++i)
            out.push_back(main->item_text("image_combo", i));
        return out;
    };
    rig.os.files.add_file_of_size("D:\\sys.wim", 200 << 20);
    const Lines with_disc = {"Z:\\GHO\\a.gho", "D:\\sys.wim", "z:\\sources\\install.wim"};

    remember_mounted_iso("Z", "D:\\iso\\win7.iso");  // the first mount on Z: replaces nothing
    combo(with_disc, 2);
    remember_mounted_iso("z", "d:\\ISO\\WIN7.ISO");  // the same image again
    EXPECT_EQ(items(), with_disc);
    EXPECT_EQ(main->selected("image_combo"), 2);

    // The current entry was another drive's: it stays current.
    combo(with_disc, 1);
    remember_mounted_iso("Z", "D:\\iso\\xp.iso");
    EXPECT_EQ(items(), Lines{"D:\\sys.wim"});
    EXPECT_EQ(main->selected("image_combo"), 0);

    // The current entry was the replaced disc's: the first one left is current and described.
    combo(with_disc, 2);
    main->set_text("image_location_label", "位置： z:\\sources\\install.wim");
    remember_mounted_iso("Z", "D:\\iso\\win7.iso");
    EXPECT_EQ(items(), Lines{"D:\\sys.wim"});
    EXPECT_EQ(main->selected("image_combo"), 0);
    EXPECT_EQ(main->text("image_location_label"), "位置： D:\\sys.wim");

    // Nothing left: nothing is current.
    combo({"Z:\\GHO\\a.gho"}, 0);
    remember_mounted_iso("Z", "D:\\iso\\xp.iso");
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(main->selected("image_combo"), -1);
    EXPECT_EQ(mounted_iso_behind("Z:\\"), "D:\\iso\\xp.iso");
}

TEST_F(VirtualDrive, OpenButtonOpensAnExistingDriveOnly) {
    rig.os.files.add_folder("Z:\\");
    rig.ui.on_modal(kVirtualDriveWindowName, [&](ui::Window& w) {
        w.select("letter_combo", 0);  // A: does not exist
        ASSERT_TRUE(fakes::click(w, "open_button"));
        rig.os.files.add_folder("A:\\");
        ASSERT_TRUE(fakes::click(w, "open_button"));
        w.clear_items("letter_combo");
        ASSERT_TRUE(fakes::click(w, "open_button"));
    });
    ASSERT_TRUE(fakes::choose_menu_item(*main, "main_menu_virtual_drive"));
    EXPECT_EQ(boxes(), (Lines{"提示|A:\\ 不存在！|48", "提示|:\\ 不存在！|48"}));
    ASSERT_EQ(launches().size(), 1u);
    EXPECT_EQ(launches()[0].command_line, "EXPLORER.EXE A:\\ ");
    EXPECT_FALSE(launches()[0].wait);
    EXPECT_EQ(launches()[0].show, os::kShowNormal);
}

TEST(VirtualDriveWindow, AutomaticModeEndsTheProgramHoweverTheWindowCloses) {
    for (const char* button : {"exit_button", "close_button", ""}) {
        SCOPED_TRACE(button);
        fakes::MainWindowRig run;
        g_automatic_mode = true;
        std::string caption;
        run.ui.on_modal(kVirtualDriveWindowName, [&](ui::Window& w) {
            caption = w.text("caption_label");
            if (*button) {
                EXPECT_TRUE(fakes::click(w, button));
            }
        });
        run.open_main_window().hide();
        open_virtual_drive_window();
        EXPECT_EQ(caption, "Quennix虚拟光驱");
        EXPECT_TRUE(run.ui.quitting());
        EXPECT_EQ(fakes::headless(*run.ui.windows().back()).parent(), nullptr);
        EXPECT_TRUE(run.os.processes.launches.empty());  // nothing of this run to unmount
    }
}

TEST(VirtualDriveSources, SourceOnTheTargetOrOnADiscMountedFromIt) {
    fakes::MainWindowRig rig;
    remember_mounted_iso("Z", "D:\\iso\\win7.iso");
    remember_mounted_iso("y", "E:\\xp.iso");
    remember_mounted_iso("", "E:\\none.iso");
    struct Case {
        const char* source;
        const char* target;
        bool on_drive;
    } cases[] = {
        {"Z:\\I386", "D:\\", true},  {"z:\\sources\\install.wim", "d:\\", true},
        {"Z:\\I386", "E:\\", false}, {"Y:\\I386", "E:\\", true},
        {"D:\\a.gho", "D:\\", true}, {"C:\\XP\\WINNT32.EXE", "D:\\", false},
        {"Z:\\I386", "", false},     {"X:\\I386", "X:\\", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(source_lies_on_drive(c.source, c.target), c.on_drive)
            << c.source << " " << c.target;
    // A later mount on a letter replaces the earlier one.
    remember_mounted_iso("Z", "E:\\other.iso");
    EXPECT_FALSE(source_lies_on_drive("Z:\\I386", "D:\\"));
}

}  // namespace
}  // namespace qv
