#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <sstream>

#include "base/state.h"
#include "disks/drive_facts.h"
#include "fakes/main_window_rig.h"
#include "jobs/finish_countdown.h"
#include "jobs/virtual_drive.h"
#include "jobs/winnt32_setup.h"
#include "main_window/main_window.h"
#include "platform/os_format.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

TEST(Winnt32Commands, SixVariantsWithTheirBlanks) {
    const std::string t = "C:\\";
    const std::string disc = "E:\\ 总大小：600 MB，文件系统：CDFS";
    struct Case {
        int mode;
        bool answer;
        const char* source;
        const char* line;
    } cases[] = {
        {1, true, "",
         "E:\\i386\\winnt32.exe  /syspart:C:\\ /dudisable /s:E:\\i386  /unattend:C:\\\\winnt.sif "
         "/makelocalsource /tempdrive:C:\\ /noreboot"},
        {1, false, "",
         "E:\\i386\\winnt32.exe  /syspart:C:\\ /dudisable /s:E:\\i386 "
         "/makelocalsource /tempdrive:C:\\ /noreboot"},
        {2, true, "Z:\\I386",
         "Z:\\I386\\winnt32.exe  /syspart:C:\\ /dudisable /s:Z:\\I386  /unattend:C:\\\\winnt.sif "
         "/makelocalsource /tempdrive:C:\\ /noreboot"},
        {2, false, "Z:\\I386",
         "Z:\\I386\\winnt32.exe  /syspart:C:\\ /dudisable /s:Z:\\I386  "
         "/makelocalsource /tempdrive:C:\\ /noreboot"},
        {0, true, "E:\\I386\\WINNT32.EXE",
         "E:\\I386\\WINNT32.EXE  /syspart:C:\\ /dudisable /s:E:\\I386  /unattend:C:\\\\winnt.sif "
         "/makelocalsource /tempdrive:C:\\ /noreboot"},
        {0, false, "E:\\I386\\WINNT32.EXE",
         "E:\\I386\\WINNT32.EXE  /syspart:C:\\ /dudisable /s:E:\\I386\\ "
         "/makelocalsource /tempdrive:C:\\ /noreboot"},
        // A blank in the chosen program's path would let the system start "D:\XP.exe" first, and
        // split the source folder into two arguments. Inside the quotes the folder's trailing
        // backslash is doubled, or it would escape the closing quote.
        {0, false, "D:\\XP CD\\I386\\WINNT32.EXE",
         "\"D:\\XP CD\\I386\\WINNT32.EXE\"  /syspart:C:\\ /dudisable /s:\"D:\\XP CD\\I386\\\\\" "
         "/makelocalsource /tempdrive:C:\\ /noreboot"},
        {0, true, "D:\\XP CD\\I386\\WINNT32.EXE",
         "\"D:\\XP CD\\I386\\WINNT32.EXE\"  /syspart:C:\\ /dudisable /s:\"D:\\XP CD\\I386\"  "
         "/unattend:C:\\\\winnt.sif /makelocalsource /tempdrive:C:\\ /noreboot"},
        // A folder that ends in a double-byte character whose trail byte is 0x5C ("\").
        {0, true, "D:\\XP \xB1\x5C\\WINNT32.EXE",
         "\"D:\\XP \xB1\x5C\\WINNT32.EXE\"  /syspart:C:\\ /dudisable /s:\"D:\\XP \xB1\x5C\"  "
         "/unattend:C:\\\\winnt.sif /makelocalsource /tempdrive:C:\\ /noreboot"},
        {3, true, "Z:\\I386", ""},
        {-1, false, "Z:\\I386", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(winnt32_setup_command(c.mode, c.answer, t, disc, c.source), c.line)
            << c.mode << (c.answer ? " A" : " M");
    EXPECT_EQ(winnt_sif_path("C:\\"), "C:\\\\winnt.sif");
}

// The answer file's lines by section, keys without their indent; checks the layout on the way.
std::map<std::string, Lines> sif_sections(const std::string& text, Lines& order) {
    std::map<std::string, Lines> sections;
    EXPECT_EQ(text.rfind(";SetupMgrTag\r\n", 0), 0u);
    EXPECT_EQ(text.size() - text.rfind("\"\r\n"), 3u) << "ends with the last key's line end";
    std::string section;
    std::size_t at = text.find("\r\n") + 2;
    bool blank_before = true;
    while (at < text.size()) {
        std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos);
        std::string line = text.substr(at, end - at);
        EXPECT_EQ(line.find('\n'), std::string::npos) << "a bare line feed";
        at = end + 2;
        if (line.empty()) {
            blank_before = true;
            continue;
        }
        if (line[0] == '[') {
            EXPECT_TRUE(blank_before || order.empty()) << line;
            section = line;
            order.push_back(line);
        } else {
            EXPECT_EQ(line.rfind("    ", 0), 0u) << line;
            EXPECT_NE(line[4], ' ') << line;
            sections[section].push_back(line.substr(4));
        }
        blank_before = false;
    }
    return sections;
}

TEST(Winnt32Setup, AnswerFileTemplate) {
    Lines order;
    std::map<std::string, Lines> s = sif_sections(kWinntSifTemplate, order);
    EXPECT_EQ(order, (Lines{"[Data]", "[Unattended]", "[GuiUnattended]", "[UserData]",
                            "[TapiLocation]", "[Branding]", "[URL]", "[Proxy]", "[Identification]",
                            "[Networking]", "[RegionalSettings]", "[FavoritesEx]"}));
    EXPECT_EQ(s["[Data]"],
              (Lines{"AutoPartition=1", "MsDosInitiated=\"0\"", "UnattendedInstall=\"Yes\""}));
    EXPECT_EQ(s["[Unattended]"], (Lines{"UnattendMode=FullUnattended", "OemSkipEula=Yes",
                                        "OemPreinstall=No", "TargetPath=\\WINDOWS"}));
    EXPECT_EQ(s["[GuiUnattended]"],
              (Lines{"AdminPassword=*", "EncryptedAdminPassword=NO", "AutoLogon=Yes",
                     "AutoLogonCount=1", "OEMSkipRegional=1", "TimeZone=85", "OemSkipWelcome=1"}));
    EXPECT_EQ(s["[UserData]"],
              (Lines{"FullName=\"Quennix\"", "OrgName=\"Marlune\"", "ComputerName=*"}));
    EXPECT_EQ(s["[TapiLocation]"], Lines{"CountryCode=86"});
    EXPECT_EQ(s["[Branding]"], Lines{"BrandIEUsingUnattended=Yes"});
    ASSERT_EQ(s["[URL]"].size(), 1u);
    EXPECT_EQ(s["[URL]"][0].rfind("Home_Page=http", 0), 0u);
    EXPECT_EQ(s["[Proxy]"], (Lines{"Proxy_Enable=0", "Use_Same_Proxy=1"}));
    EXPECT_EQ(s["[Identification]"], Lines{"JoinWorkgroup=WORKGROUP"});
    EXPECT_EQ(s["[Networking]"], Lines{"InstallDefaultComponents=Yes"});
    EXPECT_EQ(s["[RegionalSettings]"], (Lines{"LanguageGroup=10", "Language=00000804"}));
    ASSERT_EQ(s["[FavoritesEx]"].size(), 2u);
    const std::string title = s["[FavoritesEx]"][0];
    EXPECT_EQ(title.rfind("Title1=\"", 0), 0u);
    EXPECT_EQ(title.substr(title.size() - 5), ".url\"");
    EXPECT_EQ(s["[FavoritesEx]"][1].rfind("URL1=\"http", 0), 0u);
}

// The main window with a target and a source, and the setup window run by a script.
class SetupWindow : public ::testing::Test {
protected:
    void SetUp() override {
        main = &rig.open_main_window();
        rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
        fakes::set_selected_partition(*main, "C:\\", "1:1");
        main->add_item("optical_drive_combo", "E:\\ 总大小：600 MB，文件系统：CDFS");
        main->select("optical_drive_combo", 0);
        main->add_item("image_combo", "Z:\\I386");
        main->select("image_combo", 0);
        g_install_mode = kSetupFromDisc;
        g_setup_system_name = " XP";
        g_busy = true;
        rig.os.processes.on_launch = [this](const std::string&) {
            sif_at_launch = rig.os.files.contents("C:\\winnt.sif");
        };
    }
    // Runs the window with the script; the window afterwards (alive or not).
    ui::Window* run(const std::function<void(ui::Window&)>& script) {
        ui::Window* seen = nullptr;
        rig.ui.on_modal(kWinnt32SetupWindowName, [&](ui::Window& w) {
            seen = &w;
            script(w);
        });
        open_winnt32_setup_window();
        return seen;
    }
    void setup_runs_for(int polls) {
        fakes::FakeProcesses::Script s;
        s.match = "winnt32";
        s.name = "winnt32.exe";
        s.polls = polls;
        rig.os.processes.scripts.push_back(s);
    }
    Lines commands() const { return rig.os.processes.commands(); }
    Lines boxes() const { return rig.os.notices.captions_texts_and_styles(); }
    Lines balloons() const { return fakes::balloon_texts(*main); }

    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    std::string sif_at_launch;
};

const char kDiscAnswerLine[] =
    "E:\\i386\\winnt32.exe  /syspart:C:\\ /dudisable /s:E:\\i386  /unattend:C:\\\\winnt.sif "
    "/makelocalsource /tempdrive:C:\\ /noreboot";

TEST_F(SetupWindow, RunsTheSetupAndWatchesItToTheEnd) {
    setup_runs_for(2);
    ui::Window* window = run([&](ui::Window& w) {
        EXPECT_EQ(w.text("caption_label"), "安装 Windows XP");
        EXPECT_EQ(w.text("question_label"), "将 Windows XP 安装到 C:\\(1:1) ？");
        EXPECT_EQ(w.picture("panel"), "dialog_panel");
        EXPECT_EQ(w.control_rect("status_label").y, 200);
        fakes::select(w, "format_combo", 3);
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_EQ(commands(), Lines{kDiscAnswerLine});
        EXPECT_FALSE(rig.os.processes.launches[0].wait);
        EXPECT_EQ(rig.os.processes.launches[0].show, os::kShowNormal);
        EXPECT_EQ(sif_at_launch, kWinntSifTemplate);
        EXPECT_FALSE(w.control_visible("ok_button"));
        EXPECT_FALSE(w.control_visible("cancel_button"));
        EXPECT_EQ(fakes::headless(w).timer_interval("finish_timer"), 50);
        ui::Rect status = w.control_rect("status_label");
        EXPECT_EQ(status.x, 96);
        EXPECT_EQ(status.y, 100);
        EXPECT_EQ(w.text("status_label"), "正在安装 Windows XP 到 C:\\(1:1) ，请稍后....");
        // While winnt32 runs the window cannot be closed and the busy state holds.
        EXPECT_FALSE(fakes::request_close(w));
        rig.ui.advance(100);
        EXPECT_TRUE(w.timer_running("finish_timer"));
        EXPECT_TRUE(g_busy);
        rig.ui.advance(50);
        EXPECT_FALSE(w.timer_running("finish_timer"));
        EXPECT_FALSE(g_busy);
        EXPECT_TRUE(fakes::shown(w, "ok_button") && w.enabled("ok_button"));
        EXPECT_TRUE(fakes::shown(w, "cancel_button") && w.enabled("cancel_button"));
        EXPECT_EQ(w.control_rect("status_label").y, 200);
        EXPECT_TRUE(w.enabled("format_combo") && w.enabled("mode_combo"));
        EXPECT_EQ(boxes(), Lines{"提示|Windows XP安装完成，请重启计算机并移除移动设备！|64"});
        EXPECT_TRUE(w.alive());
        // Pressing OK again starts another setup, without the answer file this time.
        fakes::select(w, "mode_combo", 1);
        rig.os.files.delete_file("C:\\winnt.sif");
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_EQ(commands().back(),
                  "E:\\i386\\winnt32.exe  /syspart:C:\\ /dudisable /s:E:\\i386 "
                  "/makelocalsource /tempdrive:C:\\ /noreboot");
        EXPECT_EQ(sif_at_launch, "");
    });
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(rig.os.formatter.calls.empty());
    EXPECT_TRUE(rig.os.formatter.dialogs.empty());
}

// The setup and the format take the letter: when C: carries another number by the time OK is
// pressed than the list showed, nothing is formatted, written or started; the list is refreshed
// with the new numbers, the user is told to choose again, and the window closes.
TEST_F(SetupWindow, TargetRenumberedSinceTheListWasFilledIsNotWritten) {
    fakes::FakeDrive* c = rig.os.drives.find("C:\\");
    ASSERT_NE(c, nullptr);
    ui::Window* window = run([&](ui::Window& w) {
        fakes::select(w, "format_combo", 1);
        c->number.partition = 3;
        ASSERT_TRUE(fakes::click(w, "ok_button"));
    });
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->alive());
    EXPECT_TRUE(rig.os.formatter.calls.empty());
    for (const std::string& command : commands())
        EXPECT_EQ(command.find("winnt32"), std::string::npos) << command;
    EXPECT_FALSE(rig.os.files.has("C:\\winnt.sif"));
    EXPECT_EQ(boxes(), Lines{"提示|分区已发生变化，分区列表已刷新，请重新选择要安装的分区！|48"});
    ASSERT_GE(main->row_count("partition_list"), 1);
    EXPECT_EQ(main->cell("partition_list", 0, 1), "1:3");
    EXPECT_FALSE(g_busy);
}

// The main window of a fresh rig with the target selected as the list shows it ("D:\\", 1, 2 for
// "D:\\(1:2)"), numbered so by the system too, and the image combo's entry.
ui::Window& prepare_main(fakes::MainWindowRig& r, const char* root, int disk, int partition,
                         const char* image) {
    ui::Window& m = r.open_main_window();
    r.os.drives.add(root, os::kDriveFixed, static_cast<std::uint32_t>(disk - 1),
                    static_cast<std::uint32_t>(partition));
    fakes::set_selected_partition(m, root, disk_partition_text(disk, partition));
    m.add_item("image_combo", image);
    m.select("image_combo", 0);
    return m;
}

TEST(Winnt32SetupFormat, FormatsAsChosenBeforeTheSetup) {
    struct Case {
        int choice;
        const char* file_system;  // of the library's format, empty for none
        bool dialog;
    } cases[] = {{0, "", true}, {1, "NTFS", false}, {2, "FAT", false}, {3, "", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        fakes::MainWindowRig r;
        ui::Window& m = prepare_main(r, "C:\\", 1, 1, "Z:\\I386");
        g_install_mode = kSetupFromFolder;
        g_setup_system_name = " Server 2003";
        r.ui.on_modal(kWinnt32SetupWindowName, [&](ui::Window& w) {
            fakes::select(w, "format_combo", c.choice);
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            EXPECT_TRUE(w.timer_running("finish_timer"));
        });
        open_winnt32_setup_window();
        Lines balloons = fakes::balloon_texts(m);
        bool formats = *c.file_system || c.dialog;
        EXPECT_EQ(balloons, formats ? Lines{"正在格式化 C:\\(1:1)"} : Lines{});
        ASSERT_EQ(r.os.formatter.calls.size(), *c.file_system ? 1u : 0u);
        if (*c.file_system) {
            const auto& call = r.os.formatter.calls[0];
            EXPECT_EQ(call.root, "C:\\");
            EXPECT_EQ(call.file_system, c.file_system);
            EXPECT_EQ(call.label, "本地磁盘");
            EXPECT_TRUE(call.quick);
            EXPECT_EQ(call.cluster_size, 0u);
            EXPECT_EQ(call.media_type, 12);
        }
        ASSERT_EQ(r.os.formatter.dialogs.size(), c.dialog ? 1u : 0u);
        if (c.dialog) {
            EXPECT_EQ(r.os.formatter.dialogs[0].drive_index, 2);
            EXPECT_EQ(r.os.formatter.dialogs[0].options, 1u);
        }
        EXPECT_EQ(r.os.processes.commands(),
                  Lines{"Z:\\I386\\winnt32.exe  /syspart:C:\\ /dudisable /s:Z:\\I386  "
                        "/unattend:C:\\\\winnt.sif "
                        "/makelocalsource /tempdrive:C:\\ /noreboot"});
    }
}

// Every way a format ends without formatting: the library reports a failure, or the format
// dialog answers one of its three "nothing formatted" codes (a build with test hooks answers the
// error code for the dialog it never opens).
struct FailedFormat {
    const char* name;
    int choice;
    std::uint32_t dialog_result;
};

// The way's name stands for it in the test's name.
void PrintTo(const FailedFormat& way, std::ostream* out) {
    *out << way.name;
}

class SetupWindowFailedFormat : public SetupWindow,
                                public ::testing::WithParamInterface<FailedFormat> {};

INSTANTIATE_TEST_SUITE_P(
    EveryWay, SetupWindowFailedFormat,
    ::testing::Values(FailedFormat{"LibraryReportsFailure", 1, 0},
                      FailedFormat{"DialogFailed", 0, os::kFormatDialogError},
                      FailedFormat{"DialogCancelled", 0, os::kFormatDialogCancelled},
                      FailedFormat{"DialogCannotFormat", 0, os::kFormatDialogNoFormat}),
    [](const ::testing::TestParamInfo<FailedFormat>& way) { return way.param.name; });

TEST_P(SetupWindowFailedFormat, StartsNothing) {
    rig.os.formatter.reports = {{0, 10}, {11, 0}};
    rig.os.formatter.dialog_result = GetParam().dialog_result;
    run([&](ui::Window& w) {
        fakes::select(w, "format_combo", GetParam().choice);
        bool locked = false;
        rig.os.formatter.on_format = [&] {
            locked = !w.enabled("ok_button") && !w.enabled("cancel_button") &&
                     !w.enabled("format_combo") && !w.enabled("mode_combo");
        };
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_TRUE(locked);
        EXPECT_TRUE(w.enabled("ok_button") && w.enabled("cancel_button"));
        EXPECT_TRUE(w.enabled("format_combo") && w.enabled("mode_combo"));
        EXPECT_FALSE(w.timer_running("finish_timer"));
        EXPECT_TRUE(w.alive());
        EXPECT_TRUE(g_busy);
    });
    for (const std::string& command : commands())
        EXPECT_EQ(command.find("winnt32"), std::string::npos) << command;
    EXPECT_FALSE(rig.os.files.has("C:\\winnt.sif"));
    EXPECT_EQ(balloons(), (Lines{"正在格式化 C:\\(1:1)", "格式化 C:\\(1:1) 失败！"}));
    EXPECT_EQ(boxes(), Lines{"提示|格式化 C:\\(1:1) 失败！|16"});
    EXPECT_EQ(rig.os.formatter.calls.size() + rig.os.formatter.dialogs.size(), 1u);
    // Closed before any setup started: nothing is left to clear the busy state later.
    EXPECT_FALSE(g_busy);
}

TEST(Winnt32SetupEnd, FinishBoxesHandOverToTheCountdown) {
    struct Case {
        bool restart, shutdown;
        int action;
    } cases[] = {{true, false, 0}, {false, true, 1}, {true, true, 1}};
    for (const Case& c : cases) {
        fakes::MainWindowRig r;
        ui::Window& m = prepare_main(r, "D:\\", 1, 2, "F:\\XP\\I386\\WINNT32.EXE");
        m.set_checked("restart_after_job_check", c.restart);
        m.set_checked("shutdown_after_job_check", c.shutdown);
        g_install_mode = kSetupFromChosenProgram;
        g_setup_system_name = " XP";
        g_busy = true;
        ui::Window* setup = nullptr;
        r.ui.on_modal(kWinnt32SetupWindowName, [&](ui::Window& w) {
            setup = &w;
            fakes::select(w, "format_combo", 3);
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            r.ui.advance(50);
        });
        open_winnt32_setup_window();
        EXPECT_EQ(r.os.processes.commands(),
                  Lines{"F:\\XP\\I386\\WINNT32.EXE  /syspart:D:\\ /dudisable /s:F:\\XP\\I386  "
                        "/unattend:D:\\\\winnt.sif "
                        "/makelocalsource /tempdrive:D:\\ /noreboot"});
        EXPECT_EQ(r.os.files.contents("D:\\winnt.sif"), kWinntSifTemplate);
        ASSERT_NE(setup, nullptr);
        EXPECT_FALSE(setup->alive());
        ui::Window* countdown = r.ui.find(kFinishCountdownWindowName);
        ASSERT_NE(countdown, nullptr);
        EXPECT_EQ(fakes::headless(*countdown).parent(), nullptr);
        EXPECT_EQ(g_finish_action, c.action);
        EXPECT_EQ(g_finished_job_kind, kJobInstall);
        EXPECT_FALSE(g_busy);
        EXPECT_TRUE(r.os.notices.boxes.empty());
    }
}

TEST_F(SetupWindow, CancelClearsTheBusyStateAndCloses) {
    ui::Window* window = run([&](ui::Window& w) { ASSERT_TRUE(fakes::click(w, "cancel_button")); });
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->alive());
    EXPECT_FALSE(g_busy);
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(rig.os.formatter.calls.empty());
}

// Closed before its own setup started, the window leaves nothing busy, even while a setup
// program that something else started runs.
TEST_F(SetupWindow, ClosedBeforeItsSetupLeavesNothingBusy) {
    rig.os.processes.add_process("winnt32.exe");
    ui::Window* window = run([&](ui::Window& w) { EXPECT_TRUE(fakes::request_close(w)); });
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->alive());
    EXPECT_FALSE(g_busy);
    EXPECT_TRUE(commands().empty());
}

TEST_F(SetupWindow, ASetupThatCannotStartIsReportedAndNotWatched) {
    fakes::FakeProcesses::Script s;
    s.match = "winnt32";
    s.fails = true;
    rig.os.processes.scripts.push_back(s);
    main->set_checked("restart_after_job_check", true);
    run([&](ui::Window& w) {
        fakes::select(w, "format_combo", 3);
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_FALSE(w.timer_running("finish_timer"));
        EXPECT_TRUE(fakes::shown(w, "ok_button") && w.enabled("ok_button"));
        EXPECT_TRUE(fakes::shown(w, "cancel_button") && w.enabled("cancel_button"));
        rig.ui.advance(500);
        EXPECT_TRUE(w.alive());
    });
    EXPECT_EQ(boxes(), Lines{"提示|启动 Windows XP 安装程序失败！|16"});
    EXPECT_EQ(rig.ui.find(kFinishCountdownWindowName), nullptr);
}

TEST_F(SetupWindow, ModeOutsideTheThreeStartsNothing) {
    g_install_mode = 5;
    run([&](ui::Window& w) {
        fakes::select(w, "format_combo", 3);
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_FALSE(w.timer_running("finish_timer"));
    });
    for (const std::string& command : commands())
        EXPECT_EQ(command.find("winnt32"), std::string::npos) << command;
    EXPECT_FALSE(rig.os.files.has("C:\\winnt.sif"));
}

TEST_F(SetupWindow, AnswerFileOverwritesAnOldOne) {
    rig.os.files.add_file("C:\\winnt.sif", "old");
    run([&](ui::Window& w) {
        fakes::select(w, "format_combo", 3);
        ASSERT_TRUE(fakes::click(w, "ok_button"));
    });
    EXPECT_EQ(sif_at_launch, kWinntSifTemplate);
}

// The disc image that holds the I386 folder was mounted from the target partition: formatting
// it would wipe the source, so the format is refused before anything is touched.
TEST_F(SetupWindow, RefusesToFormatThePartitionHoldingTheMountedImage) {
    g_install_mode = kSetupFromFolder;
    remember_mounted_iso("Z", "C:\\iso\\xp.iso");
    run([&](ui::Window& w) {
        fakes::select(w, "format_combo", 1);
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        EXPECT_TRUE(w.enabled("ok_button"));
        EXPECT_FALSE(w.timer_running("finish_timer"));
        // Without a format the setup may go on: it only copies from the image.
        fakes::select(w, "format_combo", 3);
        ASSERT_TRUE(fakes::click(w, "ok_button"));
    });
    EXPECT_EQ(boxes(), Lines{"提示|需安装的分区不可与还原映像文件所在的路径相同！|48"});
    EXPECT_TRUE(rig.os.formatter.calls.empty());
    EXPECT_EQ(commands().size(), 1u);
}

}  // namespace
}  // namespace qv
