// The boot tools, a whole-disk layout and the custom and hand-run Ghost under Wine: the main
// window on the headless runtime, everything else the program's own Win32 set, with a Windows
// folder of the test's own that holds the stand-in tools. The stand-ins log the raw command lines
// they were started with.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/state.h"
#include "encoding.h"
#include "fakes/headless_runtime.h"
#include "jobs/whole_disk_layouts.h"
#include "main_window/main_window.h"
#include "shell/main_window_handlers.h"
#include "shell/shell_bindings.h"
#include "support/files.h"
#include "support/recorded_notices.h"
#include "support/standins.h"
#include "win32_os.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;
using namespace wine_support;

class ToolsUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!exists(standin(L"Boot.exe"))) GTEST_SKIP() << "no stand-in tools";
        folder = test_scratch_folder(L"tools");
        windows = folder + L"\\WINDOWS";
        CreateDirectoryW(windows.c_str(), nullptr);
        CreateDirectoryW((windows + L"\\system32").c_str(), nullptr);
        CopyFileW(standin(L"BOOTICE.exe").c_str(), (windows + L"\\BOOTICE.EXE").c_str(), FALSE);
        CopyFileW(standin(L"Norvex32.exe").c_str(), (windows + L"\\Norvex32.exe").c_str(), FALSE);
        log = folder + L"\\tools.log";
        set_env(L"QV_STANDIN_LOG", log);
        // The tools start in the scratch folder rather than in the test's Unix one.
        SetCurrentDirectoryW(folder.c_str());

        win32::install_win32_os();
        system_notices = os::os().notices;
        files = std::make_unique<MovedWindowsFolder>(win32::narrow(windows),
                                                     win32::narrow(windows + L"\\system32"));
        os::Os set = os::os();
        set.files = files.get();
        set.notices = &notices;
        os::install(set);
        reset_program_state();
        reset_shell_state();
        ui::clear_bindings();
        ui::bind_main_window_handlers();
        bind_shell_handlers();
        g_instance_name = "Norvex";
        g_ghost_exe_path = win(L"\\Norvex32.exe");
        main = runtime.open(ui::main_window_def(), nullptr);
    }
    void TearDown() override {
        ui::clear_bindings();
        for (const wchar_t* name : {L"QV_STANDIN_LOG", L"QV_CUSTOMGHOST32_DELAY_MS",
                                    L"QV_GHOST_MAP", L"QV_NOTICE_LOG", L"QV_NOTICE_ANSWERS"})
            set_env(name, L"");
        SetCurrentDirectoryW(build_folder().c_str());
    }

    std::string win(const std::wstring& tail) const { return win32::narrow(windows + tail); }

    // The raw command lines of the stand-ins' starts, sorted, once `ends` runs have ended.
    Strings started_commands(int ends) const {
        wait_for_ends(log, ends);
        Strings commands = wine_support::started_commands(log);
        std::sort(commands.begin(), commands.end());
        return commands;
    }

    // Lets the timers run until `done` holds or ten seconds passed.
    void run_until(const std::function<bool()>& done) {
        run_timers_until(runtime, done, 10000, 10);
    }

    std::wstring folder, windows, log;
    std::unique_ptr<MovedWindowsFolder> files;
    RecordedNotices notices;
    os::Notices* system_notices = nullptr;  // the program's own, scripted by the test hooks
    fakes::HeadlessRuntime runtime;
    ui::Window* main = nullptr;
};

TEST_F(ToolsUnderWine, BootToolsStartWithTheirCommandLines) {
    const std::string bcd = win32::narrow(folder) + "\\My Boot\\BCD";
    ASSERT_TRUE(fakes::choose_menu_item(*main, "main_menu_rebuild_mbr"));
    runtime.answer_file_dialog(bcd);
    ASSERT_TRUE(fakes::choose_menu_item(*main, "main_menu_edit_bcd"));
    ASSERT_TRUE(fakes::choose_menu_item(*main, "main_menu_boot_repair"));
    ASSERT_TRUE(fakes::choose_menu_item(*main, "main_menu_boot_repair"));

    Strings expected = {win(L"\\BOOTICE.EXE"),
                        win(L"\\BOOTICE.EXE") + " /edit_bcd  /file=\"" + bcd + "\"",
                        win(L"\\Boot.exe"), win(L"\\Boot.exe")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(started_commands(4), expected);
    // The package was written from the program's own copy, whole, under its own name only.
    EXPECT_EQ(read_all(windows + L"\\Boot.exe"), read_all(standin(L"Boot.exe")));
    EXPECT_FALSE(exists(windows + L"\\Boot.exe.part"));
    EXPECT_TRUE(notices.boxes.empty());
}

// Wine's Windows folder is never on X:, so the expected letter is the folder's own here, as
// "/debug" makes it. Without a map the stand-in Ghost refuses the disk (exit code 4), and the
// report says that the layout failed.
TEST_F(ToolsUnderWine, WholeDiskLayoutRunsGhostWithTheDoubledBackslash) {
    HANDLE layout = CreateFileW((windows + L"\\system32\\HD4.GHO").c_str(), GENERIC_WRITE, 0,
                                nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(layout);
    g_automatic_mode = true;
    g_expected_system_letter = win32::narrow(windows.substr(0, 1));
    main->hide();
    quick_restore_hd4();
    run_until([&] { return runtime.quitting(); });

    EXPECT_EQ(started_commands(1), Strings{win(L"\\Norvex32.exe") +
                                           " -nousb -clone,mode=load,src=" + win(L"\\system32") +
                                           "\\\\HD4.GHO,dst=1 -fx -sure"});
    EXPECT_EQ(standin_details(log, "norvex32", "end"), Strings{"4"});
    EXPECT_EQ(notices.lines(),
              (Strings{"该操作将删除硬盘所有数据，是否继续？|警告|68", "一键分四失败！|提示|16"}));
    EXPECT_TRUE(runtime.quitting());
}

// "/hdd3" with the program's own message boxes answered by the test hooks: the stand-in Ghost
// loads the layout onto the folder that the map gives disk 1, and the end is reported once it is
// gone.
TEST_F(ToolsUnderWine, WholeDiskLayoutLoadsOntoTheMappedDisk) {
#ifndef QV_TEST_HOOKS
    GTEST_SKIP() << "needs the scripted notices of a build with test hooks";
#endif
    ASSERT_TRUE(write_all(windows + L"\\system32\\HD3.GHO", "layout"));
    const std::wstring disk = folder + L"\\disk1";
    CreateDirectoryW(disk.c_str(), nullptr);
    use_ghost_map(folder, "1=" + utf8(disk) + "\r\n");
    set_env(L"QV_NOTICE_LOG", folder + L"\\notices.log");
    set_env(L"QV_NOTICE_ANSWERS", L"yes");
    os::os().notices = system_notices;
    g_automatic_mode = true;
    g_expected_system_letter = win32::narrow(windows.substr(0, 1));
    main->hide();
    quick_restore_hd3();
    run_until([&] { return runtime.quitting(); });

    const std::string image = win(L"\\system32") + "\\\\HD3.GHO";
    EXPECT_EQ(started_commands(1),
              Strings{win(L"\\Norvex32.exe") + " -nousb -clone,mode=load,src=" + image +
                      ",dst=1 -fx -sure"});
    EXPECT_EQ(standin_details(log, "norvex32", "end"), Strings{"0"});
    EXPECT_EQ(read_all(disk + L"\\whole-disk-layout.txt"), image + "\r\n");
    EXPECT_EQ(read_all(folder + L"\\notices.log"),
              u8"box\t警告\t68\t该操作将删除硬盘所有数据，是否继续？\n"
              u8"box\t提示\t48\t一键分三完成！\n");
    EXPECT_TRUE(runtime.quitting());
}

TEST_F(ToolsUnderWine, CustomGhostIsCheckedCopiedAndRunByHand) {
    // A file without Ghost's version resource is refused.
    runtime.answer_file_dialog(win32::narrow(standin(L"Boot.exe")));
    fakes::click(*main, "custom_ghost_check");
    EXPECT_FALSE(main->checked("custom_ghost_check"));
    EXPECT_EQ(notices.lines(), Strings{"您选择的不是 Ghost32 程序文件，请重新选择！ |提示|48"});

    runtime.answer_file_dialog(win32::narrow(standin(L"CustomGhost32.exe")));
    fakes::click(*main, "custom_ghost_check");
    const std::wstring copy = windows + L"\\system32\\TesvaneGhostZDY.exe";
    EXPECT_TRUE(main->checked("custom_ghost_check"));
    EXPECT_EQ(g_ghost_exe_path, win32::narrow(copy));
    EXPECT_EQ(read_all(copy), read_all(standin(L"CustomGhost32.exe")));
    const auto& balloons = fakes::headless(*main).balloons();
    ASSERT_EQ(balloons.size(), 1u);
    // The stand-ins are built for the tests' own word size (x86_64 where 32-bit Wine cannot run).
    EXPECT_EQ(balloons[0].text, sizeof(void*) == 8 ? "您选择的Ghost版本：Ghost  64位 11.5.0.2113"
                                                   : "您选择的Ghost版本：Ghost  32位 11.5.0.2113");

    // The copy runs by hand; the box stays ticked until that Ghost has ended.
    set_env(L"QV_CUSTOMGHOST32_DELAY_MS", L"500");
    fakes::click(*main, "manual_ghost_check");
    EXPECT_TRUE(main->checked("manual_ghost_check"));
    bool ticked_while_running = false;
    run_until([&] {
        if (count_of(read_all(log), "\tstart\t") == 1 && count_of(read_all(log), "\tend\t") == 0)
            ticked_while_running = main->checked("manual_ghost_check");
        return !main->checked("manual_ghost_check");
    });
    EXPECT_TRUE(ticked_while_running);
    EXPECT_FALSE(main->checked("manual_ghost_check"));
    EXPECT_EQ(started_commands(1), Strings{win32::narrow(copy)});
}

}  // namespace
}  // namespace qv
