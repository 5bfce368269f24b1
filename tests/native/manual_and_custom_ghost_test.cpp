#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "jobs/custom_ghost.h"
#include "main_window/main_window.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kDefaultGhost = "X:\\WINDOWS\\Norvex32.exe";
constexpr const char* kCustomGhost = "X:\\WINDOWS\\system32\\TesvaneGhostZDY.exe";

struct GhostRig {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;

    GhostRig() {
        g_instance_name = "Norvex";
        g_ghost_exe_path = kDefaultGhost;
        rig.os.files.add_file(kDefaultGhost, "carried ghost");
        main = &rig.open_main_window();
    }
    // A file the user can choose, with its version resource and executable type.
    void add_exe(const std::string& path, const std::string& description, int type = 0,
                 const std::string& bytes = "exe") {
        rig.os.files.add_file(path, bytes);
        rig.os.files.entry(path)->description = description;
        rig.os.files.entry(path)->version = "11.5.1.2266";
        rig.os.binary_types.set(path, type);
    }
    // The user ticks or unticks the custom box; a dialog opened by ticking answers `chosen`
    // (empty: cancel).
    void toggle_custom(const std::string& chosen = {}) {
        if (!custom_ticked()) rig.ui.answer_file_dialog(chosen);
        fakes::click(*main, "custom_ghost_check");
    }
    bool custom_ticked() const { return main->checked("custom_ghost_check"); }
    Strings boxes() const { return rig.os.notices.texts_captions_and_styles(); }
    Strings balloons() const {
        Strings out;
        for (const auto& b : fakes::headless(*main).balloons())
            out.push_back(b.title + "|" + b.text + "|" + std::to_string(b.icon) + "|" +
                          std::to_string(b.timeout_ms));
        return out;
    }
    std::vector<fakes::FakeProcesses::Launch>& launches() { return rig.os.processes.launches; }
};

// ---- the hand-run Ghost -------------------------------------------------------------------------

TEST(ManualGhost, StaysTickedWhileGhostRunsAndUntickedWhenItEnds) {
    GhostRig r;
    r.rig.os.processes.scripts.push_back({"Norvex32.exe", "", "", "", 0, 4, false});
    EXPECT_TRUE(fakes::click(*r.main, "manual_ghost_check"));
    ASSERT_EQ(r.launches().size(), 1u);
    EXPECT_EQ(r.launches()[0].command_line, kDefaultGhost);
    EXPECT_FALSE(r.launches()[0].wait);
    EXPECT_EQ(r.launches()[0].show, os::kShowNormal);
    EXPECT_EQ(fakes::headless(*r.main).timer_interval("manual_ghost_timer"), 10);
    EXPECT_FALSE(g_busy);

    r.rig.ui.advance(40);  // four looks find it
    EXPECT_TRUE(r.main->checked("manual_ghost_check"));
    // A click meanwhile keeps the box ticked and starts nothing.
    EXPECT_TRUE(fakes::click(*r.main, "manual_ghost_check"));
    EXPECT_TRUE(r.main->checked("manual_ghost_check"));
    EXPECT_EQ(r.boxes(), Strings{"请先退出 Ghost32 主程序！|提示|48"});
    EXPECT_EQ(r.launches().size(), 1u);

    r.rig.ui.advance(10);
    EXPECT_FALSE(r.main->checked("manual_ghost_check"));
    EXPECT_FALSE(r.main->timer_running("manual_ghost_timer"));
}

// The box follows the Ghost it started: a restore's Ghost of the same name that runs on does not
// keep it ticked.
TEST(ManualGhost, BoxFollowsTheGhostItStarted) {
    GhostRig r;
    r.rig.os.processes.add_process("Norvex32.exe");
    r.rig.os.processes.scripts.push_back({"Norvex32.exe", "", "", "", 0, 2, false});
    EXPECT_TRUE(fakes::click(*r.main, "manual_ghost_check"));
    r.rig.ui.advance(30);
    EXPECT_FALSE(r.main->checked("manual_ghost_check"));
    EXPECT_FALSE(r.main->timer_running("manual_ghost_timer"));
    EXPECT_TRUE(r.rig.os.processes.running("Norvex32.exe"));
}

TEST(ManualGhost, MissingGhostIsReportedAndUnticks) {
    GhostRig r;
    g_ghost_exe_path = "X:\\WINDOWS\\Gone32.exe";
    fakes::click(*r.main, "manual_ghost_check");
    EXPECT_EQ(r.boxes(),
              Strings{"出现错误，支持库写入失败，可能被安全软件拦截，请重启本程序！|提示|16"});
    EXPECT_FALSE(r.main->checked("manual_ghost_check"));
    EXPECT_TRUE(r.launches().empty());
    EXPECT_FALSE(r.main->timer_running("manual_ghost_timer"));
}

// A custom Ghost chosen while the hand-run one is open does not make the watch lose it.
TEST(ManualGhost, WatchFollowsTheGhostItStarted) {
    GhostRig r;
    r.rig.os.processes.scripts.push_back({"Norvex32.exe", "", "", "", 0, -1, false});
    fakes::click(*r.main, "manual_ghost_check");
    g_ghost_exe_path = kCustomGhost;
    r.rig.ui.advance(100);
    EXPECT_TRUE(r.main->checked("manual_ghost_check"));
}

// ---- the custom Ghost ---------------------------------------------------------------------------

TEST(CustomGhost, ChosenGhostIsCopiedAndUsedAndAnnounced) {
    GhostRig r;
    r.add_exe("D:\\Tools\\ghost32.exe", "Symantec Ghost", 0, "chosen ghost");
    r.toggle_custom("D:\\Tools\\ghost32.exe");
    ASSERT_EQ(r.rig.ui.dialog_runs().size(), 1u);
    EXPECT_EQ(r.rig.ui.dialog_runs()[0].role, "custom_ghost_dialog");
    EXPECT_TRUE(r.custom_ticked());
    EXPECT_EQ(g_ghost_exe_path, kCustomGhost);
    EXPECT_EQ(r.rig.os.files.contents(kCustomGhost), "chosen ghost");
    EXPECT_EQ(g_ghost_version_info.file_description, "Symantec Ghost");
    EXPECT_EQ(g_ghost_version_info.file_version, "11.5.1.2266");
    EXPECT_EQ(r.balloons(), Strings{"提示|您选择的Ghost版本：Ghost  32位 11.5.1.2266|1|0"});
    EXPECT_TRUE(r.boxes().empty());
}

// A type that cannot be read counts as 32-bit; any type but a 32-bit Windows program as 64-bit.
TEST(CustomGhost, BitnessWordFollowsTheExecutableType) {
    const std::pair<int, const char*> cases[] = {
        {0, " 32位 "}, {-1, " 32位 "}, {6, " 64位 "}, {1, " 64位 "}};
    for (const auto& [type, word] : cases) {
        GhostRig r;
        r.add_exe("D:\\g.exe", "SYMANTEC GHOST", type);
        r.toggle_custom("D:\\g.exe");
        ASSERT_EQ(r.balloons().size(), 1u) << type;
        EXPECT_EQ(r.balloons()[0],
                  std::string("提示|您选择的Ghost版本：Ghost ") + word + "11.5.1.2266|1|0")
            << type;
    }
}

TEST(CustomGhost, FileThatIsNotGhostIsRefused) {
    for (const char* description : {"Ghost Explorer", "", "symantec ghost "}) {
        GhostRig r;
        r.add_exe("D:\\other.exe", description);
        r.toggle_custom("D:\\other.exe");
        EXPECT_FALSE(r.custom_ticked()) << description;
        EXPECT_EQ(r.boxes(), Strings{"您选择的不是 Ghost32 程序文件，请重新选择！ |提示|48"});
        EXPECT_EQ(g_ghost_exe_path, kDefaultGhost);
        EXPECT_FALSE(r.rig.os.files.has(kCustomGhost));
        EXPECT_TRUE(r.balloons().empty());
    }
    GhostRig mixed;
    mixed.add_exe("D:\\g.exe", "sYmAnTeC gHoSt");
    mixed.toggle_custom("D:\\g.exe");
    EXPECT_TRUE(mixed.custom_ticked());
}

TEST(CustomGhost, CancelledDialogKeepsWhateverGhostIsInUse) {
    GhostRig r;
    r.toggle_custom("");
    EXPECT_FALSE(r.custom_ticked());
    EXPECT_EQ(g_ghost_exe_path, kDefaultGhost);

    GhostRig in_use;
    g_ghost_exe_path = kCustomGhost;
    in_use.toggle_custom("");
    EXPECT_TRUE(in_use.custom_ticked());
    EXPECT_EQ(g_ghost_exe_path, kCustomGhost);
}

// Unticking asks; Yes goes back to the carried Ghost, No keeps the custom one. A second choice
// overwrites the earlier copy.
TEST(CustomGhost, UntickingOffersTheDefaultGhostAndASecondChoiceReplacesTheCopy) {
    GhostRig r;
    r.add_exe("D:\\a.exe", "Symantec Ghost", 0, "ghost A");
    r.add_exe("D:\\b.exe", "Symantec Ghost", 6, "ghost B");
    r.toggle_custom("D:\\a.exe");

    r.rig.os.notices.answers = {os::kIdNo, os::kIdYes};
    r.toggle_custom();
    EXPECT_TRUE(r.custom_ticked());
    EXPECT_EQ(g_ghost_exe_path, kCustomGhost);
    r.toggle_custom();
    EXPECT_FALSE(r.custom_ticked());
    EXPECT_EQ(g_ghost_exe_path, kDefaultGhost);
    EXPECT_EQ(r.boxes(), (Strings{"是否取消自定义Ghost32使用默认Ghost 11.5.1.2266？ |提示|52",
                                  "是否取消自定义Ghost32使用默认Ghost 11.5.1.2266？ |提示|52"}));
    EXPECT_EQ(r.balloons().back(), "提示|您恢复了默认Ghost版本:11.5.1.2266|1|0");

    r.toggle_custom("D:\\b.exe");
    EXPECT_EQ(r.rig.os.files.contents(kCustomGhost), "ghost B");
    EXPECT_EQ(g_ghost_exe_path, kCustomGhost);
    EXPECT_EQ(r.balloons().back(), "提示|您选择的Ghost版本：Ghost  64位 11.5.1.2266|1|0");
    EXPECT_EQ(r.rig.ui.dialog_runs().size(), 2u);  // the questions open no dialog
}

// A copy that fails would leave an earlier copy, or none, running under the version announced.
TEST(CustomGhost, FailedCopyIsReportedAndChangesNothing) {
    GhostRig r;
    r.add_exe("D:\\g.exe", "Symantec Ghost");
    r.rig.os.files.fail_writes(true);
    r.toggle_custom("D:\\g.exe");
    EXPECT_FALSE(r.custom_ticked());
    EXPECT_EQ(g_ghost_exe_path, kDefaultGhost);
    EXPECT_EQ(r.boxes(), Strings{"Ghost32 程序文件复制失败，请重新选择！|提示|16"});
    EXPECT_TRUE(r.balloons().empty());
}

// The copy itself, chosen again, is taken as it is (a file cannot be copied onto itself).
TEST(CustomGhost, TheCopyItselfCanBeChosen) {
    GhostRig r;
    r.add_exe(kCustomGhost, "Symantec Ghost", 0, "earlier copy");
    r.rig.os.files.fail_writes(true);
    r.toggle_custom(kCustomGhost);
    EXPECT_TRUE(r.custom_ticked());
    EXPECT_EQ(g_ghost_exe_path, kCustomGhost);
    EXPECT_TRUE(r.boxes().empty());
}

}  // namespace
}  // namespace qv
