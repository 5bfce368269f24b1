// The shell's file operations on small files of the build folder, and the found-images list's
// menu driving them through the real Win32 set (the main window on the headless runtime).
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/helpers.h"
#include "base/shell_file_operations.h"
#include "fakes/headless_runtime.h"
#include "images/image_file_operations.h"
#include "main_window/main_window_def.h"
#include "platform/os_shell_files.h"
#include "support/files.h"
#include "support/runtime_fixture.h"
#include "win32_os.h"

namespace qv {
namespace {

using namespace wine_support;
using Lines = std::vector<std::string>;

// FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI: nothing the test would have to answer.
constexpr unsigned kNoUi = 0x4 | 0x10 | 0x400;

class ShellFilesWine : public ::testing::Test {
protected:
    void SetUp() override {
        win32::install_win32_os();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        folder = test_scratch_folder(L"shell_files");
        log = folder + L"\\notices.log";
    }
    void TearDown() override {
        for (const wchar_t* name : {L"QV_NOTICE_LOG", L"QV_NOTICE_ANSWERS"})
            SetEnvironmentVariableW(name, nullptr);
        CoUninitialize();
    }
    std::string path(const std::wstring& name) const {
        return win32::narrow(folder + L"\\" + name);
    }

    std::wstring folder, log;
};

TEST_F(ShellFilesWine, MovesCopiesAndDeletesASmallFile) {
    os::ShellFiles& shell = *os::os().shell_files;
    write_all(folder + L"\\映像.GHO", "ghost image");
    const std::string source = path(L"映像.GHO");

    os::ShellTransferResult copied =
        shell.transfer(os::ShellTransfer::Copy, source, path(L"副本.GHO"), kNoUi);
    EXPECT_EQ(copied.code, 0);
    EXPECT_FALSE(copied.aborted);
    EXPECT_EQ(read_all(folder + L"\\副本.GHO"), "ghost image");
    EXPECT_TRUE(exists(folder + L"\\映像.GHO"));

    // The option the menu uses: no error box, but the shell would prompt only for a conflict.
    ASSERT_TRUE(shell_move_file(path(L"副本.GHO"), path(L"移走.GHO"), 2));
    EXPECT_FALSE(exists(folder + L"\\副本.GHO"));
    EXPECT_EQ(read_all(folder + L"\\移走.GHO"), "ghost image");

    // Onto an existing file with the confirmation switched off: replaced.
    write_all(folder + L"\\old.GHO", "old");
    EXPECT_EQ(shell.transfer(os::ShellTransfer::Copy, source, path(L"old.GHO"), kNoUi).code, 0);
    EXPECT_EQ(read_all(folder + L"\\old.GHO"), "ghost image");

    EXPECT_TRUE(os::os().files->delete_file(path(L"移走.GHO")));
    EXPECT_FALSE(exists(folder + L"\\移走.GHO"));
    EXPECT_FALSE(os::os().files->delete_file(path(L"移走.GHO")));
}

TEST_F(ShellFilesWine, ExplorerAndPropertiesAreLoggedUnderTheTestHooks) {
    write_all(folder + L"\\a.WIM", "wim");
    // Without the log the properties call reaches the shell and comes back at once; the
    // answer of show_properties follows the instance value.
    std::intptr_t value = shell_execute_properties(path(L"a.WIM"), nullptr);
    EXPECT_EQ(show_properties(path(L"a.WIM"), nullptr), value > 32);

    SetEnvironmentVariableW(L"QV_NOTICE_LOG", log.c_str());
    EXPECT_TRUE(open_folder_select_item(path(L"a.WIM"), false));
    EXPECT_TRUE(os::os().shell_files->open_folder_select_item(path(L"a.WIM"), true));
    // No item list for a path that is not there: the shell is not asked.
    EXPECT_FALSE(os::os().shell_files->open_folder_select_item(path(L"gone.WIM"), false));
    EXPECT_TRUE(show_properties(path(L"a.WIM"), nullptr));
    EXPECT_EQ(testing::notice_log_lines(), (Lines{"select\t" + path(L"a.WIM") + "\t\t",
                                                  "select\t" + path(L"a.WIM") + "\trename\t",
                                                  "properties\t" + path(L"a.WIM") + "\t\t"}));
}

TEST_F(ShellFilesWine, ListMenuMovesExportsAndDeletesRealFiles) {
    fakes::HeadlessRuntime runtime;  // after the Win32 set: it puts itself in as the window runtime
    ui::clear_bindings();
    ui::bind_image_file_operation_handlers();
    SetEnvironmentVariableW(L"QV_NOTICE_LOG", log.c_str());
    SetEnvironmentVariableW(L"QV_NOTICE_ANSWERS", L"ok,ok,ok,yes,ok");
    write_all(folder + L"\\系统 备份.GHO", "ghost image");
    const std::string image = path(L"系统 备份.GHO");
    const std::string moved = path(L"移走.GHO");
    const std::string exported = path(L"导出.GHO");

    ui::Window& main = *runtime.open(ui::main_window_def(), nullptr);
    main.add_item("found_images_list", image);
    main.add_item("found_images_list", "搜索3层目录完成，共搜索到1个Gho文件。");
    main.select("found_images_list", 0);
    runtime.answer_file_dialog(moved);
    runtime.answer_next_popup("list_menu_move");
    ASSERT_TRUE(fakes::right_click(main, "found_images_list"));
    EXPECT_EQ(read_all(folder + L"\\移走.GHO"), "ghost image");
    EXPECT_FALSE(exists(folder + L"\\系统 备份.GHO"));
    EXPECT_EQ(main.item_text("found_images_list", 0), image);  // the list keeps the old path

    // The old entry is gone from the disk now; the moved file exports.
    ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_export"));
    main.add_item("found_images_list", moved);
    main.select("found_images_list", 2);
    runtime.answer_file_dialog(exported);
    ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_export"));
    EXPECT_EQ(read_all(folder + L"\\导出.GHO"), "ghost image");
    ASSERT_EQ(runtime.dialog_runs().size(), 2u);
    EXPECT_EQ(runtime.dialog_runs()[1].title, "导出文件");
    EXPECT_EQ(runtime.dialog_runs()[1].file_name, "移走.GHO");

    ASSERT_TRUE(fakes::choose_menu_item(main, "list_menu_delete"));
    EXPECT_FALSE(exists(folder + L"\\移走.GHO"));
    ui::clear_bindings();

    EXPECT_EQ(
        testing::notice_log_lines(),
        (Lines{"box\t提示\t64\t" + image + " 移动成功！", "select\t" + moved + "\t\t",
               "box\t提示\t48\t" + image + " 不存在！", "box\t提示\t64\t" + moved + " 导出成功！",
               "select\t" + exported + "\t\t", "box\t提示\t68\t是否删除 " + moved + " ？",
               "box\t提示\t64\t" + moved + " 删除成功！"}));
    EXPECT_EQ(main.item_text("found_images_list", 1), "搜索3层目录完成，共搜索到1个Gho文件。");
}

class FileOperationDialog : public testing::RuntimeTest {};

TEST_F(FileOperationDialog, TitleCanChangeBetweenRuns) {
    SetEnvironmentVariableW(L"QV_DIALOG_ANSWERS", L"cancel|cancel");
    win32::Win32Window* w = open_sample();
    w->set_file_dialog("save_dialog", "移动文件", "WIM映像文件(*.WIM)|*.WIM", "a.WIM");
    EXPECT_EQ("", w->run_file_dialog("save_dialog"));
    w->set_file_dialog("save_dialog", "导出文件", "光盘镜像文件(*.ISO)|*.ISO", "b.iso");
    EXPECT_EQ("", w->run_file_dialog("save_dialog"));
    SetEnvironmentVariableW(L"QV_DIALOG_ANSWERS", nullptr);
    EXPECT_EQ(testing::notice_log_lines(),
              (Lines{"dialog\t移动文件\t\tsave", "dialog\t导出文件\t\tsave"}));
}

}  // namespace
}  // namespace qv
