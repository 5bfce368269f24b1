// What the user and the system do to a window reaches the bound handlers as events.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "encoding.h"
#include "support/runtime_fixture.h"

namespace {

using qv::testing::RuntimeTest;
using qv::testing::seen_events;
using qv::ui::EventKind;
using qv::win32::Win32Window;

HWND hwnd_of(Win32Window* w, const char* unit) {
    return w->control_at(w->control_index_by_unit(unit)).hwnd;
}

TEST_F(RuntimeTest, ClicksReachTheirHandlersAfterTheStateChanged) {
    qv::testing::record("SampleWindow", {{"start_button", EventKind::Click},
                                         {"noide_check", EventKind::Click},
                                         {"backup_radio", EventKind::Click},
                                         {"refresh_label", EventKind::LButtonDown}});
    Win32Window* w = open_sample();
    SendMessageW(hwnd_of(w, "按钮2"), BM_CLICK, 0, 0);
    SendMessageW(hwnd_of(w, "选择框6"), BM_CLICK, 0, 0);
    SendMessageW(hwnd_of(w, "单选框2"), BM_CLICK, 0, 0);
    SendMessageW(hwnd_of(w, "单选框2"), BM_CLICK, 0, 0);  // again, while it is set
    SendMessageW(hwnd_of(w, "透明标签19"), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(hwnd_of(w, "透明标签19"), WM_LBUTTONUP, 0, 0);
    auto& seen = seen_events();
    ASSERT_EQ(5u, seen.size());
    EXPECT_EQ("start_button", seen[0].role);
    EXPECT_EQ("noide_check", seen[1].role);
    EXPECT_FALSE(seen[1].checked_then);  // was ticked: the handler sees it cleared
    EXPECT_EQ("backup_radio", seen[2].role);
    EXPECT_TRUE(seen[2].checked_then);
    EXPECT_FALSE(w->checked("restore_radio"));
    EXPECT_EQ("backup_radio", seen[3].role);
    EXPECT_EQ(EventKind::LButtonDown, seen[4].kind);
    EXPECT_EQ("refresh_label", seen[4].role);

    // A disabled button gives no click.
    seen.clear();
    w->set_enabled("start_button", false);
    SendMessageW(hwnd_of(w, "按钮2"), BM_CLICK, 0, 0);
    EXPECT_TRUE(seen.empty());
}

TEST_F(RuntimeTest, SelectionChangesReportTheNewItem) {
    qv::testing::record("SampleWindow", {{"partition_list", EventKind::SelChange},
                                         {"partition_list", EventKind::Click},
                                         {"partition_list", EventKind::RButtonDown},
                                         {"pattern_combo", EventKind::SelChange},
                                         {"found_list", EventKind::SelChange},
                                         {"found_list", EventKind::RButtonDown}});
    Win32Window* w = open_sample();
    w->add_row("partition_list", {"C:\\", "1:1"});
    w->add_row("partition_list", {"D:\\", "1:2"});
    auto& seen = seen_events();
    EXPECT_TRUE(seen.empty());
    w->select_row("partition_list", 1);
    w->select_row("partition_list", 1);  // no change: no event
    w->select_row("partition_list", 0);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(EventKind::SelChange, seen[0].kind);
    EXPECT_EQ(1, seen[0].index);
    EXPECT_EQ(0, seen[1].index);

    // Selecting a combo or list item from code raises nothing; the user's choice does.
    seen.clear();
    w->select("pattern_combo", 2);
    w->select("found_list", 1);
    EXPECT_TRUE(seen.empty());
    HWND combo = hwnd_of(w, "组合框4");
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("pattern_combo", seen[0].role);
    EXPECT_EQ(2, seen[0].index);

    // A right press on the found-images list tells which item lies under the mouse.
    seen.clear();
    HWND list = hwnd_of(w, "列表框1");
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(item.left + 5, item.top + 2));
    SendMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(item.left + 5, item.top + 2));
    SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 95));  // below the items
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(EventKind::RButtonDown, seen[0].kind);
    EXPECT_EQ(0, seen[0].index);
    EXPECT_EQ(-1, seen[1].index);
}

TEST_F(RuntimeTest, SystemNoticesTimersAndDrops) {
    qv::testing::record("SampleWindow", {{"", EventKind::HotKey},
                                         {"", EventKind::DeviceChange},
                                         {"watch_timer", EventKind::Timer},
                                         {"tray", EventKind::RButtonUp},
                                         {"drop", EventKind::Drop}});
    Win32Window* w = open_sample();
    auto& seen = seen_events();
    HWND hwnd = w->hwnd();
    SendMessageW(hwnd, WM_HOTKEY, 0x6f, MAKELPARAM(MOD_ALT, 0x45));
    SendMessageW(hwnd, WM_DEVICECHANGE, 0x8000, 0);  // not listening yet: nothing
    w->listen_for_device_changes();
    SendMessageW(hwnd, WM_DEVICECHANGE, 0x8004, 0);
    SendMessageW(hwnd, qv::win32::kTrayMessage, 1, WM_RBUTTONDOWN);
    SendMessageW(hwnd, qv::win32::kTrayMessage, 1, WM_RBUTTONUP);
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ(EventKind::HotKey, seen[0].kind);
    EXPECT_EQ(0x6f, seen[0].code);
    EXPECT_EQ(EventKind::DeviceChange, seen[1].kind);
    EXPECT_EQ(0x8004, seen[1].code);
    EXPECT_EQ(EventKind::RButtonUp, seen[2].kind);
    EXPECT_EQ("tray", seen[2].role);
    EXPECT_TRUE(w->register_hotkey(0x2fbd, MOD_ALT, 0x52));

    seen.clear();
    w->start_timer("watch_timer", 20);
    EXPECT_TRUE(w->timer_running("watch_timer"));
    ASSERT_TRUE(qv::testing::pump_until([&] { return seen.size() >= 2; }));
    w->stop_timer("watch_timer");
    EXPECT_FALSE(w->timer_running("watch_timer"));
    EXPECT_EQ("watch_timer", seen[0].role);

    // Files dropped on the window, in the shell's own list; none while the drop target is off.
    auto drop_list = [](const std::wstring& files) {
        HGLOBAL memory =
            GlobalAlloc(GHND, sizeof(DROPFILES) + (files.size() + 2) * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        std::memcpy(drop + 1, files.data(), files.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        return reinterpret_cast<WPARAM>(memory);
    };
    seen.clear();
    const wchar_t kTwo[] = L"D:\\映像\\系统.GHO\0E:\\a.iso";
    std::wstring two(kTwo, sizeof kTwo / sizeof kTwo[0] - 1);
    SendMessageW(hwnd, WM_DROPFILES, drop_list(two), 0);
    w->set_drop_enabled(false);
    EXPECT_FALSE(w->enabled("drop"));
    SendMessageW(hwnd, WM_DROPFILES, drop_list(L"F:\\b.wim"), 0);
    ASSERT_EQ(1u, seen.size());
    ASSERT_EQ(2u, seen[0].files.size());
    EXPECT_EQ("D:\\映像\\系统.GHO", seen[0].files[0]);
    EXPECT_EQ("E:\\a.iso", seen[0].files[1]);
}

void cancel_close(qv::ui::Event& event) {
    event.cancel = true;
}

TEST_F(RuntimeTest, ClosingCanBeRefusedAndDestroyedFollowsAClose) {
    qv::testing::record("SampleWindow", {{"", EventKind::Destroyed}});
    qv::ui::bind_handler("SampleWindow", "", EventKind::Closing, cancel_close);
    Win32Window* w = open_sample();
    SendMessageW(w->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(w->alive());
    EXPECT_TRUE(seen_events().empty());
    qv::ui::bind_handler("SampleWindow", "", EventKind::Closing, nullptr);
    SendMessageW(w->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(w->alive());
    ASSERT_EQ(1u, seen_events().size());
    EXPECT_EQ(EventKind::Destroyed, seen_events()[0].kind);
    // The dead window still answers, emptily.
    EXPECT_EQ("", w->text("image_caption"));
    EXPECT_FALSE(w->visible());
    EXPECT_EQ(nullptr, runtime_->find("SampleWindow"));
}

void hide_window(qv::ui::Event& event) {
    event.window->hide();
}
void close_window(qv::ui::Event& event) {
    event.window->close();
}

TEST_F(RuntimeTest, CreatedHandlerDecidesWhetherTheWindowIsShown) {
    Win32Window* shown = open_sample();
    EXPECT_TRUE(shown->visible());
    shown->close();
    qv::ui::bind_handler("SampleWindow", "", EventKind::Created, hide_window);
    auto* hidden = static_cast<Win32Window*>(runtime_->open(sample_, nullptr));
    EXPECT_TRUE(hidden->alive());
    EXPECT_FALSE(hidden->visible());
    EXPECT_EQ(hidden, runtime_->find("SampleWindow"));
    qv::ui::bind_handler("SampleWindow", "", EventKind::Created, close_window);
    qv::ui::Window* closed = runtime_->open(sample_, nullptr);
    ASSERT_NE(nullptr, closed);
    EXPECT_FALSE(closed->alive());
}

}  // namespace
