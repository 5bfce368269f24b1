// Balloons, file dialogs and the UI script, through the test hooks' notice log.
#include <windows.h>

#include <commdlg.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding.h"
#include "file_dialogs.h"
#include "support/runtime_fixture.h"
#include "tray_icon.h"
#include "ui_script.h"

namespace {

using qv::testing::RuntimeTest;
using qv::ui::EventKind;

TEST(TrayText, CutsAtCharacterBoundaries) {
    const struct {
        std::string text;
        size_t max;
        std::string expected;
    } cases[] = {
        {"提示", 63, "提示"}, {"abc", 2, "ab"},
        {"a提示", 2, "a"},  // the second character would be split: it goes whole
        {"a提示", 3, "a提"},  {"提\\", 3, "提\\"},
        {"", 5, ""},          {std::string(300, 'x'), 255, std::string(255, 'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, qv::win32::cut_at_character(c.text, c.max)) << c.text;
    const struct {
        int icon, kind;
    } kinds[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 1}, {7, 1}, {-1, 1}};
    for (const auto& k : kinds) EXPECT_EQ(k.kind, qv::win32::balloon_icon_kind(k.icon)) << k.icon;
}

TEST_F(RuntimeTest, BalloonRequestsAreLoggedWhateverTheShellDoes) {
    qv::win32::Win32Window* w = open_sample();
    // Before the icon is in the notification area the shell refuses the version: no balloon.
    EXPECT_FALSE(w->tray_balloon("提示", "正在启动，请稍后.......", 7, 0));
    bool added = w->tray_add();
    bool shown = w->tray_balloon("欢迎使用", "检测到有驱动器插入，请刷新分区列表！", 2, 90000);
    std::string long_title;
    for (int i = 0; i < 40; ++i) long_title += "长";
    w->tray_balloon(long_title, "x", 1, 0);
    w->set_tray_tip("QuennixVelquistPE版");
    EXPECT_EQ("QuennixVelquistPE版", w->text("tray"));
    w->tray_remove();
    // A bare X server has no notification area, just like a PE without a shell.
    if (!added) EXPECT_FALSE(shown);

    std::vector<std::string> log = qv::testing::notice_log_lines();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("balloon\t提示\t正在启动，请稍后.......\t1/0/0", log[0]);
    EXPECT_EQ(std::string("balloon\t欢迎使用\t检测到有驱动器插入，请刷新分区列表！\t2/90000/") +
                  (shown ? "1" : "0"),
              log[1]);
    EXPECT_EQ("balloon\t" + long_title.substr(0, 62) + "\tx\t1/0/" + (added ? "1" : "0"), log[2]);
}

TEST_F(RuntimeTest, FileDialogsAnswerFromTheScript) {
    SetEnvironmentVariableW(L"QV_DIALOG_ANSWERS", L"C:\\映像\\系统.GHO|cancel");
    qv::win32::Win32Window* w = open_sample();
    EXPECT_EQ("C:\\映像\\系统.GHO", w->run_file_dialog("image_dialog"));
    EXPECT_EQ("", w->run_file_dialog("save_dialog"));
    EXPECT_EQ("", w->run_file_dialog("image_dialog"));  // the answers are used up: cancelled
    EXPECT_EQ("", w->run_file_dialog("start_button"));  // not a dialog
    SetEnvironmentVariableW(L"QV_DIALOG_ANSWERS", nullptr);
    std::vector<std::string> log = qv::testing::notice_log_lines();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ("dialog\t请选择Gho、ISO、SWM、WIM映像文件\tC:\\映像\\系统.GHO\topen", log[0]);
    EXPECT_EQ("dialog\t保存Gho、WIM映像文件\t\tsave", log[1]);

    std::wstring filter = qv::win32::dialog_filter("Ghost32主程序(*.exe)|*.exe");
    const wchar_t kExpected[] = L"Ghost32主程序(*.exe)\0*.exe\0";  // and the literal's own end
    EXPECT_EQ(std::wstring(kExpected, sizeof kExpected / sizeof kExpected[0]), filter);
    EXPECT_EQ(L"Gho", qv::win32::dialog_default_ext(".Gho"));
    EXPECT_EQ(L"", qv::win32::dialog_default_ext(""));
}

// A save dialog never asks about an existing file (the start button asks before a backup writes
// over it, the shell before a move or an export, so the user would be asked twice); an open
// dialog still takes only a file that exists.
TEST(FileDialogFlags, SaveDialogsLeaveTheOverwriteQuestionToTheirCaller) {
    EXPECT_EQ(qv::win32::file_dialog_flags(true) & (OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST), 0u);
    EXPECT_NE(qv::win32::file_dialog_flags(false) & OFN_FILEMUSTEXIST, 0u);
}

class ScriptTest : public RuntimeTest {
protected:
    int run_script(const std::string& utf8) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        script_path_ =
            std::wstring(temp) + L"qv_script_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        HANDLE file =
            CreateFileW(script_path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
        CloseHandle(file);
        SetEnvironmentVariableW(L"QV_UI_SCRIPT", script_path_.c_str());
        qv::win32::start_ui_script(*runtime_);
        return runtime_->run();
    }
    void TearDown() override {
        qv::win32::stop_ui_script();
        SetEnvironmentVariableW(L"QV_UI_SCRIPT", nullptr);
        DeleteFileW(script_path_.c_str());
        RuntimeTest::TearDown();
    }
    std::wstring script_path_;
};

TEST_F(ScriptTest, ScriptActsLikeTheUser) {
    qv::testing::record("SampleWindow", {{"start_button", EventKind::Click},
                                         {"noide_check", EventKind::Click},
                                         {"pattern_combo", EventKind::SelChange},
                                         {"partition_list", EventKind::SelChange},
                                         {"partition_list", EventKind::Click},
                                         {"virtual_drive", EventKind::Menu},
                                         {"", EventKind::HotKey}});
    qv::win32::Win32Window* w = open_sample();
    w->add_row("partition_list", {"C:\\", "1:1"});
    w->add_row("partition_list", {"D:\\", "1:2"});
    // The script file is UTF-8, as a test writes it from a shell.
    const char* script =
        "# a comment\r\n"
        "waitwindow SampleWindow\r\n"
        "click SampleWindow \xE6\x8C\x89\xE9\x92\xAE"
        "2\r\n"  // 按钮2
        "check SampleWindow \xE9\x80\x89\xE6\x8B\xA9\xE6\xA1\x86"
        "6 0\n"  // 选择框6
        "select SampleWindow \xE7\xBB\x84\xE5\x90\x88\xE6\xA1\x86"
        "4 2\n"  // 组合框4
        "wait 30\n"
        "select SampleWindow \xE8\xB6\x85\xE7\xBA\xA7\xE5\x88\x97\xE8\xA1\xA8\xE6\xA1\x86"
        "1 1\n"  // 超级列表框1
        "settext SampleWindow \xE7\xBC\x96\xE8\xBE\x91\xE6\xA1\x86"
        "2 5 levels\n"  // 编辑框2
        "menu SampleWindow \xE8\x8F\x9C\xE5\x8D\x95 > "
        "\xE6\x89\xA9\xE5\xB1\x95\xE5\xB7\xA5\xE5\x85\xB7(&K) > "
        "\xE8\x99\x9A\xE6\x8B\x9F\xE5\x85\x89\xE9\xA9\xB1(&G)\n"  // 菜单 > 扩展工具(&K) >
                                                                  // 虚拟光驱(&G)
        "hotkey SampleWindow 0x6f\n"
        "wait 50\n"
        "state SampleWindow \xE9\x80\x89\xE6\x8B\xA9\xE6\xA1\x86"
        "6\n"
        "quit 5\n";
    EXPECT_EQ(5, run_script(script));

    auto& seen = qv::testing::seen_events();
    ASSERT_EQ(7u, seen.size());
    EXPECT_EQ("start_button", seen[0].role);
    EXPECT_EQ("noide_check", seen[1].role);
    EXPECT_FALSE(seen[1].checked_then);
    EXPECT_EQ("pattern_combo", seen[2].role);
    EXPECT_EQ(2, seen[2].index);
    EXPECT_EQ(EventKind::SelChange, seen[3].kind);
    EXPECT_EQ(1, seen[3].index);
    EXPECT_EQ(EventKind::Click, seen[4].kind);
    EXPECT_EQ(1, seen[4].index);
    EXPECT_EQ("virtual_drive", seen[5].role);
    EXPECT_EQ(0x6f, seen[6].code);
    EXPECT_EQ("5 levels", w->text("depth_edit"));
    EXPECT_EQ("*.WIM", w->text("pattern_combo"));

    std::vector<std::string> log = qv::testing::notice_log_lines();
    ASSERT_EQ(13u, log.size());
    EXPECT_EQ("script\twaitwindow SampleWindow\t\t", log[0]);
    EXPECT_EQ("script\tclick SampleWindow 按钮2\t\t", log[1]);
    EXPECT_EQ(
        "state\tSampleWindow 选择框6\t禁止访问IDE设备(&D)\tchecked=0 enabled=1 visible=1 "
        "selected=-1 count=0",
        log[11]);
    EXPECT_EQ("script\tquit 5\t\t", log[12]);
}

std::vector<std::string> g_script_steps;
qv::ui::Runtime* g_script_runtime = nullptr;

const qv::ui::WindowDef& note_window() {
    static const qv::ui::WindowDef def = [] {
        qv::ui::WindowDef d;
        d.name = "NoteWindow";
        d.caption = "说明";
        d.w = 200;
        d.h = 100;
        d.frameless = false;
        return d;
    }();
    return def;
}

TEST_F(ScriptTest, ScriptGoesOnInsideModalWindowsAndMenus) {
    g_script_steps.clear();
    g_script_runtime = runtime_.get();
    qv::ui::bind_handler("SampleWindow", "start_button", EventKind::Click, [](qv::ui::Event& e) {
        g_script_runtime->open_modal(note_window(), e.window);
        g_script_steps.push_back("modal returned");
    });
    qv::ui::bind_handler("SampleWindow", "tray", EventKind::RButtonUp, [](qv::ui::Event& e) {
        e.window->popup_menu("main_menu", e.x, e.y);
        g_script_steps.push_back("menu closed");
    });
    qv::ui::bind_handler("SampleWindow", "about", EventKind::Menu,
                         [](qv::ui::Event&) { g_script_steps.push_back("about"); });
    open_sample();
    EXPECT_EQ(6, run_script("click SampleWindow \xE6\x8C\x89\xE9\x92\xAE"
                            "2\n"  // 按钮2
                            "waitwindow NoteWindow\n"
                            "close NoteWindow\n"
                            "waitgone NoteWindow\n"
                            "rclick SampleWindow \xE6\x89\x98\xE7\x9B\x98\xE5\x9B\xBE\xE6\xA0\x87"
                            "1\n"  // 托盘图标1
                            "wait 200\n"
                            "menu SampleWindow \xE5\x85\xB3    \xE4\xBA\x8E(&G)\n"  // 关    于(&G)
                            "wait 100\n"
                            "quit 6\n"));
    const std::vector<std::string> expected = {"modal returned", "menu closed", "about"};
    EXPECT_EQ(expected, g_script_steps);
}

TEST_F(ScriptTest, ScriptStopsAtAStepTheUserCouldNotDo) {
    qv::testing::record("SampleWindow", {{"start_button", EventKind::Click}});
    open_sample();
    // The password box is disabled: nobody can type into it, and the rest of the script is skipped.
    EXPECT_EQ(99, run_script("settext SampleWindow \xE7\xBC\x96\xE8\xBE\x91\xE6\xA1\x86"
                             "1 secret\n"
                             "click SampleWindow \xE6\x8C\x89\xE9\x92\xAE"
                             "2\n"));
    EXPECT_TRUE(qv::testing::seen_events().empty());
    std::vector<std::string> log = qv::testing::notice_log_lines();
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("script\tsettext SampleWindow 编辑框1 secret\tfailed\tnot visible or not enabled",
              log[1]);
}

}  // namespace
