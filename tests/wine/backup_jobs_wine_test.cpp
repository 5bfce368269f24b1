// The two backups under Wine, windows on the headless runtime and everything else real: the Ghost
// backup starts the stand-in Ghost hidden and watches it through the process list, the imagex
// capture types its lines into the real console, where cmd.exe runs the stand-in imaging tool.
// Both save into a folder of the build tree; the stand-ins log the exact command lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "base/state.h"
#include "base/tool_runner.h"
#include "encoding.h"
#include "fakes/headless_runtime.h"
#include "jobs/command_console.h"
#include "jobs/ghost_backup.h"
#include "jobs/ghost_restore.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_capture.h"
#include "main_window/main_window.h"
#include "shell/main_window_handlers.h"
#include "support/files.h"
#include "support/recorded_notices.h"
#include "support/standins.h"
#include "win32_os.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

using namespace wine_support;

// "yyyy-MM-dd HH:mm:ss" at the end of a report.
bool ends_with_date(const std::string& text) {
    if (text.size() < 19) return false;
    const std::string date = text.substr(text.size() - 19);
    for (std::size_t i = 0; i < date.size(); ++i) {
        char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
        if (expected == '0' ? (date[i] < '0' || date[i] > '9') : date[i] != expected) return false;
    }
    return true;
}

class BackupUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        standins = standin(L"");
        if (!exists(standins + L"Norvex32.exe") || !exists(standins + L"Imagex.exe"))
            GTEST_SKIP() << "no stand-in tools";
        work = test_scratch_folder(L"backup") + L"\\";
        for (const wchar_t* folder : {L"source", L"source\\Windows", L"out", L"restored", L"tools"})
            CreateDirectoryW((work + folder).c_str(), nullptr);
        write_all(work + L"source\\备份说明.txt", u8"这个分区由测试备份。\r\n");
        write_all(work + L"source\\Windows\\system.dat", "system\r\n");
        // Large enough for the backup to count: the report's size is in whole MB.
        write_all(work + L"source\\pagefile.bin", "", 1536 * 1024);
        SetCurrentDirectoryW(work.c_str());
        set_env(L"QV_STANDIN_LOG", work + L"tools.log");
        old_path = get_env(L"PATH");

        win32::install_win32_os();
        os::os().notices = &answers;
        reset_program_state();
        reset_imagex_apply_state();
        reset_ghost_backup_state();
        reset_imagex_capture_state();
        ui::clear_bindings();
        ui::bind_main_window_handlers();
        bind_ghost_backup_handlers();
        bind_imagex_capture_handlers();
        main = runtime.open(ui::main_window_def(), nullptr);
        main->set_checked("backup_radio", true);
        ui::show_backup_panel(*main);
    }
    void TearDown() override {
        if (work.empty()) return;
        stop_console_and_readers();
        ui::clear_bindings();
        SetCurrentDirectoryW(build_folder().c_str());
        set_env(L"PATH", old_path);
        for (const wchar_t* name :
             {L"QV_STANDIN_LOG", L"QV_GHOST_MAP", L"QV_NORVEX32_DELAY_MS", L"QV_IMAGEX_STEP_MS"})
            set_env(name, L"");
        remove_folder(work);
    }

    std::string path(const std::wstring& name) const { return win32::narrow(work + name); }
    void choose(const std::string& save, const std::string& root,
                const std::string& disk_partition) {
        main->add_item("backup_path_combo", save);
        main->select("backup_path_combo", 0);
        fakes::set_selected_partition(*main, root, disk_partition);
    }
    // Lets timers fire in real time until the condition holds (at most a minute).
    bool run_until(const std::function<bool()>& done) { return run_timers_until(runtime, done); }

    std::wstring standins, work, old_path;
    RecordedNotices answers;
    fakes::HeadlessRuntime runtime;
    ui::Window* main = nullptr;
};

// Ghost backs the folder of 1:3 up with the chosen switches and a password with a blank; the
// image it wrote restores with the same password, so the blank went through as one argument.
TEST_F(BackupUnderWine, GhostBackupDumpsThePartitionAndReports) {
    use_ghost_map(work, "1:3=" + path(L"source") + "\r\n1:4=" + path(L"restored") + "\r\n");
    set_env(L"QV_NORVEX32_DELAY_MS", L"300");
    // Under a name of this test's own, so that the watch never sees another test's Ghost.
    CopyFileW((standins + L"Norvex32.exe").c_str(), (work + L"tools\\GhostB.exe").c_str(), FALSE);
    g_ghost_exe_path = path(L"tools\\GhostB.exe");
    g_ghost_noide_switch = " -noide";
    g_ghost_compression_switch = " -z9";
    const std::string save = path(L"out\\my backup.GHO");
    choose(save, "G:\\", "1:3");
    ASSERT_TRUE(fakes::select(*main, "compression_combo", 1));
    ASSERT_TRUE(fakes::select(*main, "split_combo", 1));
    ASSERT_TRUE(fakes::click(*main, "password_check"));
    ASSERT_TRUE(fakes::type_text(*main, "password_edit", "a b"));

    ui::Window& w = *runtime.open(ghost_backup_window_def(), main);
    ASSERT_TRUE(fakes::click(w, "ok_button"));
    EXPECT_TRUE(g_busy);
    ASSERT_TRUE(run_until([&] { return !answers.boxes.empty(); }));
    EXPECT_FALSE(g_busy);

    EXPECT_EQ(standin_details(work + L"tools.log", "norvex32", "start"),
              Lines{g_ghost_exe_path + " -clone,mode=pdump,src=1:3,dst=\"" + save +
                    "\" -z2 -span  -split=650 -auto -noide -pwd=\"a b\" -sure -fx"});
    ASSERT_EQ(answers.boxes.size(), 1u);
    const std::string report = answers.texts_and_styles()[0];
    const std::string head = "   Ghost备份完成！\r\n\r\n备份分区：G:\\(1:3)\r\n\r\n保存位置：" +
                             save + "\r\n\r\n大      小：1 MB\r\n\r\n备份日期：";
    EXPECT_EQ(report.substr(0, head.size()), head);
    EXPECT_EQ(report.size(), head.size() + 19 + 3) << report;  // the date, then "|64"
    EXPECT_TRUE(ends_with_date(report.substr(0, report.size() - 3))) << report;
    EXPECT_EQ(report.substr(report.size() - 3), "|64");
    const std::string header = "QVGHO 1\ncompression 2\nspan 650\npassword a b\n\n";
    EXPECT_EQ(read_all(win32::widen(save)).substr(0, header.size()), header);

    std::string restore =
        ghost_restore_command(g_ghost_exe_path, save, "1:4", "", "", " -pwd=\"a b\"");
    ASSERT_TRUE(run_program(restore, true, os::kShowHidden));
    EXPECT_EQ(read_all(work + L"restored\\备份说明.txt"), u8"这个分区由测试备份。\r\n");
    EXPECT_EQ(read_all(work + L"restored\\Windows\\system.dat"), "system\r\n");
}

// The capture: the notice, the folder line for imagex's temporary folder, the capture line, the
// progress from the tool's lines, and the summary with the written file's size.
TEST_F(BackupUnderWine, ImagexCaptureThroughTheConsoleAndReports) {
    // Under a name of this test's own, so that neither this job nor another test's takes the
    // other's imaging tool for its own.
    CopyFileW((standins + L"Imagex.exe").c_str(), (work + L"tools\\ImagexB.exe").c_str(), FALSE);
    set_env(L"PATH", work + L"tools;" + old_path);
    set_env(L"QV_IMAGEX_STEP_MS", L"50");
    g_imagex_exe_name = "ImagexB.exe";
    // The tool's temporary folder lies at the root of the save drive (here the prefix's C:).
    const std::wstring temp = L"C:\\ImagexTemp";
    remove_folder(temp);
    const std::string root = path(L"source\\");
    const std::string save = path(L"out\\sys.wim");
    choose(save, root, "1:1");

    ui::Window& w = *runtime.open(imagex_capture_window_def(), main);
    EXPECT_EQ(w.text("name_edit"), "C_BAK");
    fakes::select(w, "compression_combo", 0);
    ASSERT_TRUE(fakes::click(w, "ok_button"));
    const std::string done = "Imagex备份 " + root + "(1:1) 完成！";
    bool saw_progress = false;
    ASSERT_TRUE(run_until([&] {
        int at = w.progress("progress_bar");
        if (at > 0 && at < 100) saw_progress = true;
        return w.text("status_label") == done || w.text("status_label") == "Imagex备份失败。";
    }));
    EXPECT_EQ(w.text("status_label"), done) << w.text("console_box");
    EXPECT_TRUE(saw_progress);
    EXPECT_FALSE(g_busy);
    EXPECT_TRUE(exists(temp));

    // The interpreter hands the typed line over as it was typed.
    EXPECT_EQ(standin_details(work + L"tools.log", "imagex", "start"),
              Lines{"ImagexB.exe /capture " + root + " \"" + save +
                    "\" \"C_BAK\" /compress Fast /temp C:\\ImagexTemp"});
    const Lines boxes = answers.texts_and_styles();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], capture_exclusion_notice(root, root + "(1:1)") + "|68");
    const std::string head = "   Imagex备份完成！\r\n\r\n备份分区：" + root +
                             "(1:1)\r\n\r\n保存位置：" + save +
                             "\r\n\r\n大      小：2 MB\r\n\r\n备份日期：";
    EXPECT_EQ(boxes[1].substr(0, head.size()), head);
    EXPECT_TRUE(ends_with_date(boxes[1].substr(0, boxes[1].size() - 3)));
    std::string image = read_all(win32::widen(save));
    EXPECT_EQ(image.size(), 2048u * 1024u);
    const std::string header = "QVWIM 1\r\nname C_BAK\r\ncompression Fast\r\n";
    EXPECT_EQ(image.substr(0, header.size()), header);
    EXPECT_NE(image.find("file Windows\\system.dat\r\n"), std::string::npos);
    remove_folder(temp);
}

// A save path and a name with a defined variable's name, "%", "&", blanks and double-byte
// characters reach imagex exactly through the console: the file lies where the user chose and
// carries the name typed. (Serial: the capture above empties C:\ImagexTemp, which this one needs.)
TEST_F(BackupUnderWine, SerialImagexCaptureTakesThePathAndNameExactly) {
    CopyFileW((standins + L"Imagex.exe").c_str(), (work + L"tools\\ImagexC.exe").c_str(), FALSE);
    set_env(L"PATH", work + L"tools;" + old_path);
    set_env(L"QV_IMAGEX_STEP_MS", L"20");
    g_imagex_exe_name = "ImagexC.exe";
    const std::wstring temp = L"C:\\ImagexTemp";
    remove_folder(temp);
    CreateDirectoryW((work + L"out\\%PATH% & 50%").c_str(), nullptr);
    const std::string root = path(L"source\\");
    const std::string save = path(L"out\\%PATH% & 50%\\系统 备份.wim");
    choose(save, root, "1:1");

    ui::Window& w = *runtime.open(imagex_capture_window_def(), main);
    w.set_text("name_edit", "%PATH% 备份&50%\\");
    ASSERT_TRUE(fakes::click(w, "ok_button"));
    ASSERT_TRUE(run_until([&] { return !g_busy; }));
    EXPECT_EQ(w.text("status_label"), "Imagex备份 " + root + "(1:1) 完成！")
        << w.text("console_box");
    EXPECT_EQ(started_arguments(work + L"tools.log", "imagex"),
              (std::vector<Lines>{{"/capture", root, save, "%PATH% 备份&50%\\", "/compress",
                                   "Maximum", "/temp", "C:\\ImagexTemp"}}));
    const std::string header = "QVWIM 1\r\nname " + utf8(win32::widen("%PATH% 备份&50%\\")) +
                               "\r\ncompression Maximum\r\n";
    EXPECT_EQ(read_all(win32::widen(save)).substr(0, header.size()), header);
    remove_folder(temp);
}

}  // namespace
}  // namespace qv
