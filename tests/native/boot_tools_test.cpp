#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "main_window/main_window.h"
#include "shell/boot_tools.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;

struct BootRig {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;

    BootRig() {
        rig.os.carried.add("Boot.exe", "boot repair package");
        main = &rig.open_main_window();
    }
    // Each start as "command|show|wait".
    Strings starts() const {
        Strings out;
        for (const auto& l : rig.os.processes.launches)
            out.push_back(l.command_line + "|" + std::to_string(l.show) + "|" +
                          (l.wait ? "wait" : "-"));
        return out;
    }
};

TEST(BootTools, CommandLines) {
    fakes::FakeOs os;
    EXPECT_EQ(bootice_command(), "X:\\WINDOWS\\BOOTICE.EXE");
    EXPECT_EQ(boot_tool_command(), "X:\\WINDOWS\\Boot.exe");
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Boot\\BCD", "X:\\WINDOWS\\BOOTICE.EXE /edit_bcd  /file=C:\\Boot\\BCD"},
        {"D:\\启动\\BCD", "X:\\WINDOWS\\BOOTICE.EXE /edit_bcd  /file=D:\\启动\\BCD"},
        // A blank would cut the file in two for the editor.
        {"D:\\My Boot\\BCD", "X:\\WINDOWS\\BOOTICE.EXE /edit_bcd  /file=\"D:\\My Boot\\BCD\""},
    };
    for (const auto& [file, command] : cases) EXPECT_EQ(bootice_edit_bcd_command(file), command);
}

// The three items run their tool in a normal window without waiting, busy or not.
TEST(BootTools, MenuItemsStartTheirTools) {
    BootRig r;
    g_busy = true;
    fakes::choose_menu_item(*r.main, "main_menu_rebuild_mbr");
    r.rig.ui.answer_file_dialog("E:\\Boot\\BCD");
    fakes::choose_menu_item(*r.main, "main_menu_edit_bcd");
    fakes::choose_menu_item(*r.main, "main_menu_boot_repair");
    EXPECT_EQ(r.starts(), (Strings{"X:\\WINDOWS\\BOOTICE.EXE|2|-",
                                   "X:\\WINDOWS\\BOOTICE.EXE /edit_bcd  /file=E:\\Boot\\BCD|2|-",
                                   "X:\\WINDOWS\\Boot.exe|2|-"}));
    ASSERT_EQ(r.rig.ui.dialog_runs().size(), 1u);
    EXPECT_EQ(r.rig.ui.dialog_runs()[0].role, "bcd_open_dialog");
    EXPECT_TRUE(r.rig.os.notices.boxes.empty());
}

TEST(BootTools, CancelledBcdDialogStartsNothing) {
    BootRig r;
    r.rig.ui.answer_file_dialog("");
    fakes::choose_menu_item(*r.main, "main_menu_edit_bcd");
    EXPECT_TRUE(r.starts().empty());
}

TEST(BootTools, RepairPackageIsWrittenOnceAndStartedEachTime) {
    BootRig r;
    fakes::choose_menu_item(*r.main, "main_menu_boot_repair");
    fakes::choose_menu_item(*r.main, "main_menu_boot_repair");
    EXPECT_EQ(r.rig.os.files.contents("X:\\WINDOWS\\Boot.exe"), "boot repair package");
    EXPECT_EQ(r.rig.os.files.writes, Strings{"X:\\WINDOWS\\Boot.exe.part"});
    EXPECT_EQ(r.starts().size(), 2u);

    // An existing package is never replaced; a failed write is not reported and the start is
    // still tried.
    BootRig kept;
    kept.rig.os.files.add_file("X:\\WINDOWS\\Boot.exe", "own package");
    fakes::choose_menu_item(*kept.main, "main_menu_boot_repair");
    EXPECT_EQ(kept.rig.os.files.contents("X:\\WINDOWS\\Boot.exe"), "own package");

    BootRig failing;
    failing.rig.os.files.fail_writes(true);
    fakes::choose_menu_item(*failing.main, "main_menu_boot_repair");
    EXPECT_FALSE(failing.rig.os.files.has("X:\\WINDOWS\\Boot.exe"));
    EXPECT_FALSE(failing.rig.os.files.has("X:\\WINDOWS\\Boot.exe.part"));
    EXPECT_EQ(failing.starts(), Strings{"X:\\WINDOWS\\Boot.exe|2|-"});
    EXPECT_TRUE(failing.rig.os.notices.boxes.empty());
}

}  // namespace
}  // namespace qv
