// The Win32 runtime builds every kind of control from a definition and reads its states back.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "encoding.h"
#include "support/runtime_fixture.h"

namespace {

using qv::testing::RuntimeTest;
using qv::win32::Win32Window;

std::string unit_property(HWND hwnd) {
    auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"QvUnit")));
    wchar_t name[256] = {};
    if (atom == 0 || GlobalGetAtomNameW(atom, name, 256) == 0) return {};
    return qv::win32::narrow(name);
}

TEST_F(RuntimeTest, ControlsStartAsDefined) {
    Win32Window* w = open_sample();
    ASSERT_TRUE(w->alive());
    EXPECT_TRUE(w->visible());
    EXPECT_EQ("示例窗口 V1.0", w->caption());
    EXPECT_EQ("请选择Gho、ISO、SWM、WIM映像文件：", w->text("image_caption"));
    EXPECT_EQ("确定(&C)", w->text("start_button"));
    EXPECT_TRUE(w->checked("restore_radio"));
    EXPECT_FALSE(w->checked("backup_radio"));
    EXPECT_TRUE(w->checked("noide_check"));
    EXPECT_FALSE(w->enabled("password_edit"));
    EXPECT_TRUE(w->enabled("start_button"));
    EXPECT_FALSE(w->control_visible("compress_combo"));
    EXPECT_TRUE(w->control_visible("pattern_combo"));
    EXPECT_EQ(4, w->item_count("compress_combo"));
    EXPECT_EQ(3, w->selected("compress_combo"));
    EXPECT_EQ("最高压缩", w->item_text("compress_combo", 3));
    EXPECT_EQ("*.Gho", w->text("pattern_combo"));
    EXPECT_EQ("E:\\备份\\win7.wim", w->item_text("found_list", 1));
    EXPECT_EQ(-1, w->selected("found_list"));
    EXPECT_EQ("还原", w->column_caption("partition_list", 0));
    EXPECT_EQ("系统", w->column_caption("partition_list", 2));
    EXPECT_EQ("", w->column_caption("partition_list", 3));
    EXPECT_EQ("VelquistPE版", w->text("tray"));
    EXPECT_FALSE(w->timer_running("watch_timer"));
    EXPECT_TRUE(w->enabled("drop"));
    EXPECT_EQ("test_panel.jpg", w->picture("panel"));

    // Automation finds every control by its unit name and reads its caption as window text.
    for (const auto& unit : {"按钮2", "透明标签6", "超级列表框1", "图片框1"}) {
        int index = w->control_index_by_unit(unit);
        ASSERT_GE(index, 0) << unit;
        EXPECT_EQ(unit, unit_property(w->control_at(index).hwnd));
    }
    wchar_t text[64] = {};
    GetWindowTextW(w->control_at(w->control_index_by_unit("按钮1")).hwnd, text, 64);
    EXPECT_EQ(std::wstring(L"退出(&X)"), text);

    // Places are inside the container; a label defined without a size fits its text.
    qv::ui::Rect panel = w->control_rect("panel");
    EXPECT_EQ(8, panel.x);
    EXPECT_EQ(44, panel.y);
    EXPECT_EQ(404, panel.w);
    qv::ui::Rect refresh = w->control_rect("refresh_label");
    EXPECT_EQ(8, refresh.x);
    EXPECT_EQ(76, refresh.y);
    EXPECT_GT(refresh.w, 30);
    EXPECT_GT(refresh.h, 8);
    qv::ui::Rect combo = w->control_rect("pattern_combo");
    EXPECT_EQ(22, combo.h);  // the closed height; the drop-down list is not counted
}

TEST_F(RuntimeTest, ControlStatesChangeFromCode) {
    Win32Window* w = open_sample();
    w->set_text("image_caption", "请保存Gho、WIM映像文件：");
    EXPECT_EQ("请保存Gho、WIM映像文件：", w->text("image_caption"));
    w->set_checked("noide_check", false);
    EXPECT_FALSE(w->checked("noide_check"));
    // Radios of one container are one group, also when set from code; another container's radio
    // is not touched.
    w->set_checked("alone_radio", true);
    w->set_checked("backup_radio", true);
    EXPECT_TRUE(w->checked("backup_radio"));
    EXPECT_FALSE(w->checked("restore_radio"));
    EXPECT_TRUE(w->checked("alone_radio"));
    w->set_enabled("password_edit", true);
    EXPECT_TRUE(w->enabled("password_edit"));
    w->set_visible("compress_combo", true);
    w->set_visible("pattern_combo", false);
    EXPECT_TRUE(w->control_visible("compress_combo"));
    EXPECT_FALSE(w->control_visible("pattern_combo"));
    // A control's own flag counts: one inside a hidden container is still "visible".
    w->set_visible("panel", false);
    EXPECT_TRUE(w->control_visible("compress_combo"));
    EXPECT_FALSE(w->control_visible("panel"));
    w->move_control("start_button", 241, 280);
    w->resize_control("panel", 406, 202);
    qv::ui::Rect button = w->control_rect("start_button");
    EXPECT_EQ(241, button.x);
    EXPECT_EQ(280, button.y);
    EXPECT_EQ(82, button.w);
    EXPECT_EQ(406, w->control_rect("panel").w);
    w->set_size(422, 312);
    qv::ui::Rect whole = w->rect();
    EXPECT_EQ(422, whole.w);
    EXPECT_EQ(312, whole.h);
    w->set_caption("QuennixVelquistPE版 V1.9");
    EXPECT_EQ("QuennixVelquistPE版 V1.9", w->caption());
    w->set_picture("start_button", "test_skin");
    EXPECT_EQ("test_skin", w->picture("start_button"));
    w->set_progress("job_progress", 42);
    EXPECT_EQ(42, w->progress("job_progress"));
    w->set_progress("job_progress", 150);
    EXPECT_EQ(100, w->progress("job_progress"));
    // Unknown roles are ignored and read as empty.
    w->set_text("no_such_role", "x");
    EXPECT_EQ("", w->text("no_such_role"));
    EXPECT_FALSE(w->checked("no_such_role"));
    EXPECT_EQ(-1, w->selected("no_such_role"));
}

TEST_F(RuntimeTest, ItemsAndRows) {
    Win32Window* w = open_sample();
    EXPECT_EQ(2, w->add_item("found_list", "F:\\系统\\新建.ISO"));
    EXPECT_EQ(3, w->item_count("found_list"));
    w->select("found_list", 2);
    EXPECT_EQ(2, w->selected("found_list"));
    w->remove_item("found_list", 0);
    EXPECT_EQ("E:\\备份\\win7.wim", w->item_text("found_list", 0));
    w->clear_items("pattern_combo");
    EXPECT_EQ(0, w->item_count("pattern_combo"));
    EXPECT_EQ(-1, w->selected("pattern_combo"));
    EXPECT_EQ(0, w->add_item("pattern_combo", "*.WIM"));
    w->select("pattern_combo", 0);
    EXPECT_EQ("*.WIM", w->text("pattern_combo"));
    // A drop-down list's text chooses an item; a text it does not hold changes nothing.
    w->set_text("compress_combo", "快速压缩");
    EXPECT_EQ(1, w->selected("compress_combo"));
    w->set_text("compress_combo", "未检测到光盘驱动器");
    EXPECT_EQ("快速压缩", w->text("compress_combo"));

    EXPECT_EQ(0, w->add_row("partition_list", {"C:\\", "1:1", "A,Win7"}));
    EXPECT_EQ(1, w->add_row("partition_list", {"D:\\", "1:2"}));
    EXPECT_EQ(2, w->row_count("partition_list"));
    EXPECT_EQ("A,Win7", w->cell("partition_list", 0, 2));
    EXPECT_EQ("1:2", w->cell("partition_list", 1, 1));
    EXPECT_EQ("", w->cell("partition_list", 1, 2));
    EXPECT_EQ("", w->cell("partition_list", 5, 0));
    std::string long_cell(600, 'x');
    w->add_row("partition_list", {long_cell});
    EXPECT_EQ(long_cell, w->cell("partition_list", 2, 0));
    w->set_column_caption("partition_list", 0, "备份");
    EXPECT_EQ("备份", w->column_caption("partition_list", 0));
    EXPECT_EQ(-1, w->selected_row("partition_list"));
    w->select_row("partition_list", 1);
    EXPECT_EQ(1, w->selected_row("partition_list"));
    w->clear_rows("partition_list");
    EXPECT_EQ(0, w->row_count("partition_list"));
    EXPECT_EQ(-1, w->selected_row("partition_list"));
}

TEST_F(RuntimeTest, EditHoldsLongTextAndAppendsAtTheEnd) {
    Win32Window* w = open_sample();
    std::string chunk;
    for (int i = 0; i < 2000; ++i) chunk += "进度 12% ";  // 9 bytes a time: 18000 bytes
    w->set_text("console_edit", chunk);
    w->append_text("console_edit", chunk);
    w->append_text("console_edit", "完成\r\n");
    std::string all = w->text("console_edit");
    EXPECT_EQ(chunk.size() * 2 + 6, all.size());
    EXPECT_EQ("完成\r\n", all.substr(all.size() - 6));
    HWND edit = w->control_at(w->control_index_by_unit("编辑框5")).hwnd;
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(static_cast<DWORD>(GetWindowTextLengthW(edit)), start);
    EXPECT_EQ(start, end);
}

TEST_F(RuntimeTest, MenusKeepChecksAndHiddenItems) {
    Win32Window* w = open_sample();
    HMENU menu = w->menu_handle("main_menu");
    ASSERT_NE(nullptr, menu);
    // Hidden at first: the item and the separator with a role are not in the menu.
    EXPECT_FALSE(w->menu_visible("mount_iso"));
    EXPECT_FALSE(w->menu_visible("mount_separator"));
    EXPECT_TRUE(w->menu_visible("about"));
    EXPECT_EQ(6, GetMenuItemCount(menu));
    HMENU tools = GetSubMenu(menu, 2);
    ASSERT_NE(nullptr, tools);
    EXPECT_EQ(3, GetMenuItemCount(tools));
    EXPECT_EQ(0, w->menu_command_by_caption("加载到虚拟光驱(&G)"));

    w->set_menu_checked("auto_shutdown", true);
    EXPECT_TRUE(w->menu_checked("auto_shutdown"));
    w->set_menu_visible("mount_iso", true);
    w->set_menu_visible("mount_separator", true);
    menu = w->menu_handle("main_menu");
    EXPECT_EQ(8, GetMenuItemCount(menu));
    wchar_t caption[64] = {};
    GetMenuStringW(menu, 4, caption, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(L"加载到虚拟光驱(&G)"), caption);
    // The rebuilt menu keeps the check mark.
    int shutdown = w->menu_command_by_caption("自动关机(&C)");
    ASSERT_NE(0, shutdown);
    EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(shutdown), MF_BYCOMMAND) & MF_CHECKED);
    w->set_menu_checked("auto_shutdown", false);
    EXPECT_FALSE(GetMenuState(menu, static_cast<UINT>(shutdown), MF_BYCOMMAND) & MF_CHECKED);
    w->set_menu_visible("mount_iso", false);
    EXPECT_FALSE(w->menu_visible("mount_iso"));
    EXPECT_EQ(7, GetMenuItemCount(w->menu_handle("main_menu")));

    // Captions may be qualified by the menu and the submenu heads above the item.
    int in_tools = w->menu_command_by_caption("虚拟光驱(&G)");
    EXPECT_NE(0, in_tools);
    EXPECT_EQ(in_tools, w->menu_command_by_caption("菜单 > 扩展工具(&K) > 虚拟光驱(&G)"));
    int in_disk = w->menu_command_by_caption("磁盘 > 虚拟光驱(&G)");
    EXPECT_NE(0, in_disk);
    EXPECT_NE(in_tools, in_disk);
    EXPECT_EQ(0, w->menu_command_by_caption("磁盘 > 扩展工具(&K) > 虚拟光驱(&G)"));
}

}  // namespace
