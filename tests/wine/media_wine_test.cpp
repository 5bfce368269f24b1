// Disc images and the XP setup under Wine: the stand-in virtual-drive tool mounts an image's
// contents as a drive of the prefix, which the program's inspection then searches and its window
// mounts and sees; the stand-in setup loader runs from Winnt32SetupWindow with the answer file,
// and the watch sees it end. The windows run on the headless runtime, everything else is real.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/helpers.h"
#include "base/power.h"
#include "base/state.h"
#include "disks/drive_facts.h"
#include "fakes/headless_runtime.h"
#include "jobs/image_inspection.h"
#include "jobs/virtual_drive.h"
#include "jobs/winnt32_setup.h"
#include "main_window/main_window.h"
#include "shell/main_window_handlers.h"
#include "shell/shell_bindings.h"
#include "support/files.h"
#include "support/standins.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;
using namespace wine_support;

// A file of that size; large ones stay sparse on the host. Folders on the way are made.
void make_file(const std::wstring& path, LONGLONG size) {
    make_folders_to(path);
    ASSERT_TRUE(write_all(path, "", size));
}

// The prefix's dosdevices folder as a Unix path, from where Wine keeps C:.
std::wstring dosdevices_folder() {
    using Lookup = char*(CDECL*)(LPCWSTR);
    auto lookup = reinterpret_cast<Lookup>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (lookup == nullptr) return {};
    char* name = lookup(L"C:\\");
    if (name == nullptr) return {};
    std::string unix_name = name;
    HeapFree(GetProcessHeap(), 0, name);
    std::size_t at = unix_name.rfind("/c:");
    if (at == std::string::npos) return {};
    return win32::widen(unix_name.substr(0, at));  // ASCII build paths
}

class MediaUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        standins = standin(L"");
        if (!exists(standins + L"Iso.exe") || !exists(standins + L"WINNT32.exe"))
            GTEST_SKIP() << "no stand-in tools";
        old_path = get_env(L"PATH");
        set_env(L"PATH", standins + L";" + old_path);
        win32::install_win32_os();
        reset_program_state();
        reset_shell_state();
        ui::clear_bindings();
        ui::bind_main_window_handlers();
        bind_shell_handlers();
    }
    void TearDown() override {
        if (old_path.empty()) return;
        ui::clear_bindings();
        set_env(L"PATH", old_path);
        for (const wchar_t* name :
             {L"QV_STANDIN_LOG", L"QV_NOTICE_LOG", L"QV_ISO_DOSDEVICES", L"QV_WINNT32_DELAY_MS"})
            set_env(name, L"");
    }
    void log_to(const std::wstring& work) {
        set_env(L"QV_STANDIN_LOG", work + L"\\tools.log");
        set_env(L"QV_NOTICE_LOG", work + L"\\notices.log");
    }
    static Lines items(const ui::Window& w, const std::string& role) {
        Lines out;
        for (int i = 0; i < w.item_count(role); ++i) out.push_back(w.item_text(role, i));
        return out;
    }

    fakes::HeadlessRuntime runtime;
    std::wstring standins, old_path;
};

// Mounting adds a drive to the prefix, which the other Wine tests would see: this one runs alone.
TEST_F(MediaUnderWine, SerialMountedDiscsAreSeenByTheProgram) {
    const std::wstring work = scratch_folder(L"virtual_drive");
    log_to(work);
    const std::wstring dosdevices = dosdevices_folder();
    ASSERT_FALSE(dosdevices.empty());
    set_env(L"QV_ISO_DOSDEVICES", dosdevices);
    // A name with a blank and Chinese characters: the tool takes the rest of its line.
    const std::wstring iso = work + L"\\系统 光盘.iso";
    make_file(iso, 4096);
    make_file(iso + L".d\\sources\\install.wim", 150LL << 20);
    make_file(iso + L".d\\GHO\\win7.gho", 120LL << 20);
    make_file(iso + L".d\\GHO\\small.gho", 1 << 20);

    g_virtual_drive_letter = free_mount_letter();
    ASSERT_EQ(g_virtual_drive_letter, "Z");  // the prefix has no Z:
    ui::Window& main = *runtime.open(ui::main_window_def(), nullptr);
    struct Unmount {
        ~Unmount() { unmount_virtual_drive(); }
    } unmount_at_end;

    inspect_chosen_image(main, win32::narrow(iso), InspectionSource::Browse);
    EXPECT_TRUE(drive_exists("Z"));
    EXPECT_EQ(items(main, "image_combo"), (Lines{"Z:\\GHO\\win7.gho", "Z:\\sources\\install.wim"}));
    EXPECT_EQ(main.text("image_combo"), "Z:\\sources\\install.wim");
    EXPECT_EQ(main.text("image_type_label"), "类型： WIM 映像文件");
    EXPECT_EQ(main.text("image_size_label"), "大小： 150 MB");
    EXPECT_EQ(read_all(work + L"\\notices.log"), "");
    EXPECT_TRUE(g_iso_mounted);

    // The window's form, on the letter nearest to Z that is still free.
    runtime.answer_file_dialog(win32::narrow(iso));
    runtime.on_modal(kVirtualDriveWindowName, [&](ui::Window& w) {
        EXPECT_EQ(w.text("letter_combo"), "Y:\\");
        ASSERT_TRUE(fakes::click(w, "browse_button"));
        ASSERT_TRUE(fakes::click(w, "mount_button"));
        ASSERT_TRUE(fakes::click(w, "exit_button"));
    });
    open_virtual_drive_window();
    EXPECT_TRUE(drive_exists("Y"));
    EXPECT_TRUE(exists(L"Y:\\sources\\install.wim"));

    const std::string image = utf8(iso);
    EXPECT_EQ(standin_details(work + L"\\tools.log", "iso", "start"),
              (Lines{"ISO.exe /D:Z /I:" + image, "ISO.exe /D:Y:\\  /I:" + image}));
    EXPECT_EQ(standin_details(work + L"\\tools.log", "iso", "end"), (Lines{"0", "0"}));

    // The end of the run takes both drives away again.
    unmount_virtual_drive();
    EXPECT_FALSE(drive_exists("Z"));
    EXPECT_FALSE(drive_exists("Y"));
    EXPECT_EQ(standin_details(work + L"\\tools.log", "iso", "start").back(), "iso.exe /q");
}

TEST_F(MediaUnderWine, SetupRunsWithItsAnswerFileAndTheWatchSeesItEnd) {
    const std::wstring work = scratch_folder(L"winnt32");
    log_to(work);
    set_env(L"QV_WINNT32_DELAY_MS", L"600");
    const std::wstring source = work + L"\\I386";
    CreateDirectoryW(source.c_str(), nullptr);
    ASSERT_TRUE(
        CopyFileW((standins + L"WINNT32.exe").c_str(), (source + L"\\WINNT32.EXE").c_str(), FALSE));
    CreateDirectoryW((work + L"\\target").c_str(), nullptr);
    const std::string target = win32::narrow(work + L"\\target\\");

    ui::Window& main = *runtime.open(ui::main_window_def(), nullptr);
    fakes::set_selected_partition(main, target, "1:1");  // C: as the list shows it
    main.add_item("image_combo", win32::narrow(source));
    main.select("image_combo", 0);
    g_install_mode = kSetupFromFolder;
    g_setup_system_name = " XP";
    g_busy = true;

    int ticks_while_running = 0;
    runtime.on_modal(kWinnt32SetupWindowName, [&](ui::Window& w) {
        fakes::select(w, "format_combo", 3);
        ASSERT_TRUE(fakes::click(w, "ok_button"));
        for (int waited = 0; waited < 20000 && w.timer_running("finish_timer"); waited += 50) {
            runtime.advance(50);
            Sleep(50);
            if (w.timer_running("finish_timer")) ++ticks_while_running;
        }
        EXPECT_FALSE(w.timer_running("finish_timer"));
        EXPECT_TRUE(fakes::shown(w, "ok_button"));
    });
    open_winnt32_setup_window();

    const std::string line =
        winnt32_setup_command(kSetupFromFolder, true, target, "", win32::narrow(source));
    const std::wstring tools = work + L"\\tools.log";
    EXPECT_EQ(standin_details(tools, "winnt32", "start"), Lines{line});
    const std::string sif_size = std::to_string(std::string(kWinntSifTemplate).size());
    EXPECT_EQ(standin_details(tools, "winnt32", "unattend"),
              Lines{target + "\\winnt.sif\t" + sif_size});
    EXPECT_EQ(standin_details(tools, "winnt32", "end"), Lines{"0"});
    EXPECT_GE(ticks_while_running, 5);  // it ran for a while and the watch waited for it
    EXPECT_EQ(read_all(work + L"\\target\\winnt.sif"), kWinntSifTemplate);
    EXPECT_FALSE(g_busy);
    EXPECT_EQ(read_all(work + L"\\notices.log"),
              u8"box\t提示\t64\tWindows XP安装完成，请重启计算机并移除移动设备！\n");
}

// A chosen setup program in a folder with a blank: the loader, splitting its line as programs
// do, must get the program's folder whole after "/s:", with the answer file and without it (where
// the folder ends in a backslash just before its closing quote).
TEST_F(MediaUnderWine, ChosenSetupProgramGetsAFolderWithABlankWhole) {
    const std::wstring work = scratch_folder(L"winnt32_blank");
    log_to(work);
    const std::wstring source = work + L"\\XP CD\\I386";
    make_folders_to(source + L"\\WINNT32.EXE");
    ASSERT_TRUE(
        CopyFileW((standins + L"WINNT32.exe").c_str(), (source + L"\\WINNT32.EXE").c_str(), FALSE));
    CreateDirectoryW((work + L"\\target").c_str(), nullptr);
    const std::string target = win32::narrow(work + L"\\target\\");
    const std::string program = win32::narrow(source + L"\\WINNT32.EXE");

    ui::Window& main = *runtime.open(ui::main_window_def(), nullptr);
    fakes::set_selected_partition(main, target, "1:1");  // C: as the list shows it
    main.add_item("image_combo", program);
    main.select("image_combo", 0);
    g_install_mode = kSetupFromChosenProgram;
    g_setup_system_name = " XP";
    Lines expected;
    for (bool answer_file : {false, true}) {
        g_busy = true;
        runtime.on_modal(kWinnt32SetupWindowName, [&](ui::Window& w) {
            fakes::select(w, "format_combo", 3);
            fakes::select(w, "mode_combo", answer_file ? 0 : 1);
            ASSERT_TRUE(fakes::click(w, "ok_button"));
            for (int waited = 0; waited < 20000 && w.timer_running("finish_timer"); waited += 50) {
                runtime.advance(50);
                Sleep(50);
            }
            EXPECT_FALSE(w.timer_running("finish_timer"));
        });
        open_winnt32_setup_window();
        expected.push_back(
            winnt32_setup_command(kSetupFromChosenProgram, answer_file, target, "", program));
    }
    const std::wstring tools = work + L"\\tools.log";
    EXPECT_EQ(standin_details(tools, "winnt32", "start"), expected);
    // 0: every folder and the answer file were found; 1 would name a missing one.
    EXPECT_EQ(standin_details(tools, "winnt32", "end"), (Lines{"0", "0"}));
}

}  // namespace
}  // namespace qv
