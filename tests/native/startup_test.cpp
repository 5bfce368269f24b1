#include <gtest/gtest.h>

#include "base/state.h"
#include "disks/disk_manager.h"
#include "disks/drive_facts.h"
#include "fakes/main_window_rig.h"
#include "main_window/main_window.h"
#include "shell/program.h"
#include "shell/startup.h"

namespace qv {
namespace {

void give_program_version(fakes::MainWindowRig& rig, const std::string& version) {
    rig.os.files.add_file("X:\\Program\\QuennixVelquist.exe");
    rig.os.files.entry("X:\\Program\\QuennixVelquist.exe")->version = version;
}

TEST(StartUp, SetsTitleVersionDefaultsAndLayout) {
    fakes::MainWindowRig rig;
    give_program_version(rig, "1.9.0.0");
    g_console_running = true;
    rig.ui.on_run([&] { rig.ui.quit(7); });

    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    const auto& w = fakes::headless(*main);
    EXPECT_EQ(rig.exit_code, 7);
    EXPECT_TRUE(main->visible());
    EXPECT_FALSE(g_console_running);

    EXPECT_EQ(main->caption(), "QuennixVelquistPE版");
    // The title drawn on the skin reads as the caption.
    EXPECT_EQ(main->text("caption_label"), main->caption());
    EXPECT_EQ(w.tray_tip(), "QuennixVelquistPE版");
    EXPECT_TRUE(w.tray_added());
    EXPECT_EQ(main->text("version_label"), "Ver：1.9.0");
    EXPECT_TRUE(w.drop_enabled());
    EXPECT_TRUE(w.listening_for_device_changes());
    EXPECT_EQ(main->rect().w, 422);
    EXPECT_EQ(main->rect().h, 312);

    EXPECT_EQ(g_instance_name, "Norvex");
    EXPECT_EQ(g_maker_name, "Quennix");
    EXPECT_EQ(g_edition_word, "PE版");
    EXPECT_TRUE(g_scan_images_at_start);
    EXPECT_EQ(g_ghost_exe_path, "X:\\WINDOWS\\Norvex32.exe");
    EXPECT_EQ(g_imagex_exe_name, "Imagex.exe");
    EXPECT_EQ(g_ghost_crcignore_switch, " -crcignore ");
    EXPECT_EQ(g_ghost_noide_switch, " -noide");
    EXPECT_EQ(g_ghost_compression_switch, " -z9");
    EXPECT_TRUE(g_imagex_ref_option.empty());

    // The starting balloon comes before the icon is in the tray, so the shell drops it.
    ASSERT_EQ(w.balloons().size(), 2u);
    EXPECT_EQ(w.balloons()[0].title, "提示");
    EXPECT_EQ(w.balloons()[0].text, "正在启动，请稍后.......");
    EXPECT_EQ(w.balloons()[0].icon, 1);
    EXPECT_EQ(w.balloons()[0].timeout_ms, 0);
    EXPECT_FALSE(w.balloons()[0].accepted);
    EXPECT_EQ(w.balloons()[1].title, "欢迎使用，如需帮助请按Alt+E！");
    EXPECT_EQ(w.balloons()[1].text, welcome_balloon_text());
    EXPECT_EQ(w.balloons()[1].icon, 1);
    EXPECT_EQ(w.balloons()[1].timeout_ms, 90000);
    EXPECT_TRUE(w.balloons()[1].accepted);
}

TEST(StartUp, StepsRunInTheirOrder) {
    fakes::MainWindowRig rig;
    rig.start_program();
    std::vector<int> at;
    for (const char* line :
         {"tray_balloon 提示", "listen_for_device_changes", "set_drop_enabled on", "set_tray_tip",
          "set_caption", "tray_add ok", "set_size 422x312", "tray_balloon 欢迎使用"}) {
        at.push_back(rig.ui.journal_index(line));
        EXPECT_GE(at.back(), 0) << line;
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
}

TEST(StartUp, VersionCaptionTakesFiveCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.9.0.0", "Ver：1.9.0"},
        {"10.2.3.4", "Ver：10.2."},
        {"2.0", "Ver：2.0"},
        {"", "Ver："},  // the program file carries no version
    };
    for (auto [version, caption] : cases) EXPECT_EQ(version_caption(version), caption) << version;
}

TEST(StartUp, FinishMarkFollowsATickedBox) {
    struct Case {
        bool restart, shutdown, restart_mark, shutdown_mark;
    };
    const Case cases[] = {{false, false, false, false},
                          {true, false, true, false},
                          {false, true, false, true},
                          {true, true, true, false}};
    for (const Case& c : cases) {
        fakes::MainWindowRig rig;
        // Ticked the way the command line will tick them, before the marks step.
        rig.ui.balloon_hook = [&](fakes::HeadlessWindow& w, const fakes::Balloon&) {
            if (w.balloons().size() != 1) return;
            w.set_checked("restart_after_job_check", c.restart);
            w.set_checked("shutdown_after_job_check", c.shutdown);
        };
        ui::Window* main = rig.start_program();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(main->menu_checked("main_menu_auto_restart"), c.restart_mark);
        EXPECT_EQ(main->menu_checked("main_menu_auto_shutdown"), c.shutdown_mark);
    }
}

TEST(StartUp, EndsEarlyWhenAStepEndsTheProgram) {
    fakes::MainWindowRig rig;
    rig.ui.balloon_hook = [&](fakes::HeadlessWindow&, const fakes::Balloon&) { rig.ui.quit(3); };
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    const auto& w = fakes::headless(*main);
    EXPECT_EQ(rig.exit_code, 3);
    EXPECT_EQ(w.balloons().size(), 1u);
    EXPECT_EQ(main->caption(), "QuennixVelquistPE版 V1.7.3");
    EXPECT_EQ(main->text("caption_label"), main->caption());
    EXPECT_FALSE(w.tray_added());
    EXPECT_FALSE(main->visible());
}

TEST(StartUp, WelcomeBodyFitsTheBalloonField) {
    g_maker_name = "Quennix";
    g_edition_word = "PE版";
    std::string body = welcome_balloon_text();
    EXPECT_LE(body.size(), 255u);
    EXPECT_EQ(body.rfind("欢迎使用QuennixVelquistPE版\r\n", 0), 0u);
    reset_program_state();
}

// Boxes with what the window held when each came up, so that the steps' order shows.
struct BoxLog : os::Notices {
    struct Seen {
        std::string text;
        int style;
        int rows;
        int images;
    };
    std::vector<Seen> seen;
    int message_box(const std::string& text, const std::string&, int style) override {
        ui::Window* main = ui::main_window();
        seen.push_back(
            {text, style, main->row_count("partition_list"), main->item_count("image_combo")});
        return os::kIdOk;
    }
};

TEST(StartUp, DriveStepsRunInTheirOrderWithTheirBoxes) {
    fakes::MainWindowRig rig;
    BoxLog boxes;
    os::Os set = os::os();
    set.notices = &boxes;
    os::install(set);
    rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    rig.os.directories.add_file("C:\\sys.WIM", 200 << 20);
    for (const char* root : {"Z:\\", "Y:\\", "W:\\", "A:\\", "B:\\"}) rig.os.files.add_folder(root);
    rig.os.drives.firmware_askable = true;
    rig.os.drives.firmware_value = 2;
    auto hiding_value = [&] {
        std::uint32_t value = 0;
        return rig.os.registry.read_dword(os::RegistryRoot::CurrentUser, kExplorerPolicyKey,
                                          "NoDrives", value);
    };
    rig.os.registry.set_dword(os::RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", 4);
    // The partition report runs at step 9, between the two deletions of the hiding value, and
    // processes window messages while it runs.
    rig.os.processes.scripts.push_back(fakes::partition_report_tool("C:\\] Active"));
    bool hidden_at_fill = true;
    int pumps = 0;
    rig.ui.pump_hook = [&] {
        if (pumps++ > 0) return;
        hidden_at_fill = hiding_value();
        rig.os.registry.set_dword(os::RegistryRoot::CurrentUser, kExplorerPolicyKey, "NoDrives", 8);
    };

    ASSERT_NE(rig.start_program(), nullptr);
    EXPECT_FALSE(hidden_at_fill);
    EXPECT_FALSE(hiding_value());
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[0].text, "检测到系统盘符异常，部分功能将无法正常使用！");
    EXPECT_EQ(boxes.seen[0].style, 0x10);
    EXPECT_EQ(boxes.seen[0].rows, 1);    // after the list
    EXPECT_EQ(boxes.seen[0].images, 0);  // before the scan
    EXPECT_EQ(boxes.seen[1].text,
              "当前计算机主板固件为UEFI固件，非传统BIOS，请注意Ghost还原的使用！");
    EXPECT_EQ(boxes.seen[1].style, 0x30);
    EXPECT_EQ(boxes.seen[1].images, 1);           // after the scan
    EXPECT_TRUE(g_virtual_drive_letter.empty());  // no free letter: it keeps its value
    os::install(set);
}

TEST(StartUp, MountLetterIsTheFirstFreeOfZYWAB) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{}, "Z"},
        {{"Z:\\"}, "Y"},
        {{"Z:\\", "Y:\\", "X:\\"}, "W"},
        {{"Z:\\", "Y:\\", "W:\\"}, "A"},
        {{"Z:\\", "Y:\\", "W:\\", "A:\\", "C:\\"}, "B"},
        {{"Z:\\", "Y:\\", "W:\\", "A:\\", "B:\\"}, ""},
    };
    for (const auto& [taken, letter] : cases) {
        fakes::FakeOs fake;
        for (const char* root : taken) fake.files.add_folder(root);
        EXPECT_EQ(free_mount_letter(), letter) << ::testing::PrintToString(taken);
    }
}

TEST(StartUp, UefiWarningOnlyOnUefiFirmware) {
    struct Case {
        bool askable;
        std::uint32_t value;
        bool warned;
    } cases[] = {
        {false, 2, false}, {true, 0, false}, {true, 1, false}, {true, 2, true}, {true, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        fakes::MainWindowRig rig;
        rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
        rig.os.drives.firmware_askable = c.askable;
        rig.os.drives.firmware_value = c.value;
        ASSERT_NE(rig.start_program(), nullptr);
        EXPECT_EQ(rig.os.notices.boxes.size(), c.warned ? 1u : 0u);
        EXPECT_EQ(g_virtual_drive_letter, "Z");
    }
}

// Started from another folder, a bare "/backup=" name still lands in the program's folder.
TEST(ProgramEntry, MakesTheProgramsFolderTheCurrentOne) {
    fakes::MainWindowRig rig;
    rig.os.files.current_folder = "D:\\Elsewhere";
    rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    rig.os.program.line = "X:\\Program\\QuennixVelquist.exe /backup=win7.gho";
    ui::Window* main = rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(rig.os.files.current_folder, "X:\\Program");
    ASSERT_EQ(main->item_count("backup_path_combo"), 1);
    EXPECT_EQ(main->item_text("backup_path_combo", 0), "X:\\Program\\win7.gho");
}

TEST(ProgramEntry, NeedsAWindowRuntime) {
    fakes::FakeOs os;
    EXPECT_EQ(run_program(), 1);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// Start-up on a machine whose Windows folder is on C:, as outside Windows PE (and under Wine).
struct OutsidePe {
    fakes::MainWindowRig rig;
    explicit OutsidePe(const std::string& args) {
        rig.os.files.windows = "C:\\windows";
        rig.os.program.line = "X:\\Program\\QuennixVelquist.exe" + args;
        // Options apply only with a partition in the list.
        rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
    }
};

TEST(StartUpPeCheck, OutsidePeOnlyTheNoticeIsShown) {
    OutsidePe start("");
    start.rig.ui.on_modal("PeOnlyNoticeWindow", [](ui::Window& w) {
        EXPECT_EQ(fakes::headless(w).parent(), nullptr);
        EXPECT_EQ(w.picture("panel"), "dialog_panel");
        fakes::click(w, "ok_button");
    });
    ui::Window* main = start.rig.start_program();
    EXPECT_EQ(main, nullptr);  // destroyed
    EXPECT_EQ(start.rig.exit_code, 0);
    EXPECT_EQ(start.rig.ui.modal_log(), std::vector<std::string>{"PeOnlyNoticeWindow"});
    ui::Window* gone = start.rig.ui.windows().front();
    const auto& w = fakes::headless(*gone);
    EXPECT_TRUE(w.hotkeys().empty());
    ASSERT_EQ(w.balloons().size(), 1u);  // the starting balloon only: no welcome
    EXPECT_NE(start.rig.ui.journal_index("tray_add ok"), -1);  // step 14 ran before the check
}

TEST(StartUpPeCheck, TheNoticeEndsTheProgramHoweverItCloses) {
    for (const char* how : {"close_button", ""}) {
        OutsidePe start("");
        start.rig.ui.on_modal("PeOnlyNoticeWindow", [how](ui::Window& w) {
            if (*how)
                fakes::click(w, how);
            else
                w.close();
        });
        start.rig.start_program();
        EXPECT_TRUE(start.rig.ui.quitting()) << how;
    }
}

TEST(StartUpPeCheck, OptionsThatTakeTheRealLetterPass) {
    OutsidePe start(" /debug");
    ui::Window* main = start.rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(fakes::headless(*main).hotkeys().size(), 2u);
    EXPECT_TRUE(start.rig.ui.modal_log().empty());
    // "/gq" runs the virtual-drive window as the only window, and no notice comes before it.
    OutsidePe virtual_drive(" /gq");
    virtual_drive.rig.start_program();
    EXPECT_EQ(virtual_drive.rig.ui.modal_log(), std::vector<std::string>{"VirtualDriveWindow"});
}

// A wrong option ends from the parameter help: nothing after the command line runs, the PE
// notice included.
TEST(StartUpPeCheck, AWrongOptionEndsBeforeTheCheck) {
    OutsidePe start(" /bogus");
    start.rig.ui.on_modal("ParameterHelpWindow",
                          [](ui::Window& w) { fakes::click(w, "ok_button"); });
    ui::Window* main = start.rig.start_program();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(start.rig.ui.modal_log(), std::vector<std::string>{"ParameterHelpWindow"});
    EXPECT_TRUE(start.rig.ui.quitting());
    EXPECT_TRUE(g_expected_system_letter.empty());
    EXPECT_TRUE(fakes::headless(*main).hotkeys().empty());
    EXPECT_FALSE(main->visible());
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(StartUpGuard, ASecondCopyOnlySaysSoAndEnds) {
    fakes::MainWindowRig rig;
    give_program_version(rig, "1.9.0.0");
    rig.os.instance.held.insert("Norvex");
    ui::Window* main = rig.start_program();
    ASSERT_EQ(rig.os.notices.boxes.size(), 1u);
    EXPECT_EQ(rig.os.notices.boxes[0].text, "请勿重复运行QuennixVelquistPE版！");
    EXPECT_EQ(rig.os.notices.boxes[0].caption, "提示");
    EXPECT_EQ(rig.os.notices.boxes[0].style, 0x30);
    EXPECT_EQ(rig.exit_code, 0);
    // Nothing after the guard ran: no version caption, no carried tool, no shortcut.
    EXPECT_TRUE(main == nullptr || main->text("version_label") != "Ver：1.9.0");
    EXPECT_TRUE(rig.os.files.writes.empty());
    EXPECT_TRUE(rig.os.shell.saved.empty());
    EXPECT_TRUE(rig.os.windows.activated.empty());
}

TEST(StartUpTools, CarriedToolsAreWrittenWhereMissing) {
    fakes::MainWindowRig rig;
    rig.os.carried.add("bcdboot.exe", "boot files tool");
    rig.os.files.add_file("X:\\WINDOWS\\system32\\Imagex.exe", "already there");
    rig.os.carried.add("Imagex.exe", "newer bytes");
    rig.ui.on_run([&] { rig.ui.quit(0); });
    rig.start_program();
    EXPECT_EQ(rig.os.files.contents("X:\\WINDOWS\\system32\\bcdboot.exe"), "boot files tool");
    EXPECT_EQ(rig.os.files.contents("X:\\WINDOWS\\system32\\Imagex.exe"), "already there");
}

TEST(StartUpShortcut, MadeOnlyWhenMissingAndNoOptionRanAMode) {
    struct Row {
        const char* args;
        bool link_exists;
        bool made;
    } rows[] = {
        {"", false, true},
        {"", true, false},
        {"/q", false, false},
        {"/debug", false, false},
    };
    for (const Row& r : rows) {
        fakes::MainWindowRig rig;
        rig.os.files.special[16] = "X:\\Desktop";
        rig.os.files.add_folder("D:\\");
        rig.os.drives.add("D:\\", os::kDriveFixed, 0, 1);
        if (r.link_exists) rig.os.files.add_file("X:\\Desktop\\QuennixVelquist.lnk");
        rig.os.program.line = std::string("\"X:\\Program\\QuennixVelquist.exe\" ") + r.args;
        rig.ui.on_run([&] { rig.ui.quit(0); });
        rig.start_program();
        EXPECT_EQ(!rig.os.shell.saved.empty(), r.made) << "'" << r.args << "' " << r.link_exists;
        if (r.made) {
            EXPECT_EQ(rig.os.shell.saved[0].link_path, "X:\\Desktop\\QuennixVelquist.lnk");
            EXPECT_EQ(rig.os.shell.saved[0].link.target_path, "X:\\Program\\QuennixVelquist.exe");
        }
    }
}

}  // namespace
}  // namespace qv
