#include <gtest/gtest.h>

#include "base/power.h"
#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "jobs/ghost_restore.h"
#include "main_window/info_windows.h"
#include "main_window/main_window.h"
#include "shell/exit_and_power.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;

// Records whether the automatic-mode restore window was on top at each box.
struct TopmostProbe : fakes::RecordedNotices {
    ui::Window* restore = nullptr;
    std::vector<bool> on_top;
    int message_box(const std::string& text, const std::string& caption, int style) override {
        if (restore != nullptr) on_top.push_back(fakes::headless(*restore).topmost());
        return RecordedNotices::message_box(text, caption, style);
    }
};

struct PowerRig {
    fakes::MainWindowRig rig;
    TopmostProbe notices;
    ui::Window* main = nullptr;
    ui::Window* restore = nullptr;

    PowerRig() {
        main = &rig.open_main_window();
        os::os().notices = &notices;
    }
    ~PowerRig() { os::os().notices = &rig.os.notices; }
    void automatic() {
        g_automatic_mode = true;
        restore = rig.ui.open(ghost_restore_window_def(), nullptr);
        notices.restore = restore;
    }
    Strings boxes() const {
        Strings out;
        for (const auto& b : notices.boxes) {
            EXPECT_EQ(b.caption, "提示");
            out.push_back(b.text + "|" + std::to_string(b.style));
        }
        return out;
    }
    Strings launches() const {
        Strings out;
        for (const auto& l : rig.os.processes.launches) {
            EXPECT_EQ(l.show, os::kShowHidden) << l.command_line;
            out.push_back(l.command_line + (l.wait ? " (waited)" : ""));
        }
        return out;
    }
};

TEST(PowerItems, MainMenuRefusesWhileBusyAndTheDiskMenuAsksRegardless) {
    struct Case {
        const char* item;
        bool busy;
        int answer;
        Strings boxes;
        Strings launches;
        Strings power;
    };
    const Strings shut = {"PECMD.EXE SHUT"}, restart = {"PECMD.EXE SHUT R"};
    const Strings shut_power = {"privilege", "exit 1 65535"},
                  restart_power = {"privilege", "exit 2 0"};
    const Case cases[] = {
        {"main_menu_shutdown_now", true, os::kIdYes, {"程序正在操作，请等待！|48"}, {}, {}},
        {"main_menu_restart_now", true, os::kIdYes, {"程序正在操作，请等待！|48"}, {}, {}},
        {"main_menu_shutdown_now", false, os::kIdYes, {"是否立即关机？|68"}, shut, shut_power},
        {"main_menu_restart_now", false, os::kIdYes, {"是否立即重启？|68"}, restart, restart_power},
        {"main_menu_restart_now", false, os::kIdNo, {"是否立即重启？|68"}, {}, {}},
        {"disk_menu_shutdown_system", true, os::kIdYes, {"是否关闭系统？|68"}, shut, shut_power},
        {"disk_menu_restart_system",
         true,
         os::kIdYes,
         {"是否重启系统？|68"},
         restart,
         restart_power},
        {"disk_menu_restart_system", false, os::kIdNo, {"是否重启系统？|68"}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + (c.busy ? " busy" : ""));
        PowerRig r;
        g_busy = c.busy;
        r.notices.answers.push_back(c.answer);
        EXPECT_TRUE(fakes::choose_menu_item(*r.main, c.item));
        EXPECT_EQ(r.boxes(), c.boxes);
        EXPECT_EQ(r.launches(), c.launches);
        EXPECT_EQ(r.rig.os.power.calls, c.power);
        EXPECT_FALSE(r.rig.ui.quitting());  // the system ends the program as it goes down
    }
}

TEST(PowerItems, AutomaticModeAsksWithTheRestoreWindowOffTop) {
    for (bool busy : {false, true}) {
        PowerRig r;
        r.automatic();
        g_busy = busy;
        r.notices.answers.push_back(os::kIdNo);
        fakes::choose_menu_item(*r.main, "main_menu_restart_now");
        EXPECT_EQ(r.notices.on_top, busy ? std::vector<bool>{true} : std::vector<bool>{false});
        EXPECT_TRUE(fakes::headless(*r.restore).topmost());
        EXPECT_TRUE(r.rig.os.power.calls.empty());
    }
}

// Every way out ends with code 0; the virtual drive is unmounted once, and only when this run
// mounted an image.
TEST(ExitPaths, BusyGuardAndEndOfRunUnmount) {
    struct Case {
        const char* how;  // a menu item, a button, or "destroy"
        bool busy, mounted, automatic;
        Strings boxes;
        bool ends;
        Strings launches;
    };
    const Strings unmount = {"iso.exe /q (waited)"};
    const Case cases[] = {
        {"main_menu_exit", true, true, false, {"正在执行任务，无法退出！|48"}, false, {}},
        {"main_menu_exit", false, true, false, {}, true, unmount},
        {"main_menu_exit", false, true, true, {}, true, {}},  // an automatic run leaves it mounted
        {"main_menu_exit", false, false, false, {}, true, {}},
        {"exit_button", true, true, false, {}, true, unmount},
        {"close_button", true, true, true, {}, true, unmount},
        {"close_button", false, false, false, {}, true, {}},
        {"destroy", false, true, false, {}, true, unmount},
        {"destroy", false, false, false, {}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.how) + (c.busy ? " busy" : "") + (c.mounted ? " mounted" : "") +
                     (c.automatic ? " automatic" : ""));
        PowerRig r;
        g_busy = c.busy;
        g_iso_mounted = c.mounted;
        g_automatic_mode = c.automatic;
        std::string how = c.how;
        if (how == "destroy")
            r.main->close();
        else if (how.rfind("main_menu", 0) == 0)
            fakes::choose_menu_item(*r.main, how);
        else
            fakes::click(*r.main, how);
        EXPECT_EQ(r.boxes(), c.boxes);
        EXPECT_EQ(r.rig.ui.quitting(), c.ends);
        EXPECT_EQ(r.rig.ui.exit_code(), 0);
        // The run-time end then destroys the main window; that adds no second unmount.
        if (c.ends) r.main->close();
        EXPECT_EQ(r.launches(), c.launches);
        EXPECT_TRUE(r.rig.os.power.calls.empty());
    }
}

}  // namespace
}  // namespace qv
