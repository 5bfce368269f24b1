// ImagexCaptureWindow's flows on fakes: the capture command typed into the console, the notice
// before it, progress and elapsed time, the end decided from imagex and its output, the summary
// judged by the file written, cancelling, and the hand-over to the finish countdown.
#include <gtest/gtest.h>

#include <functional>

#include "base/state.h"
#include "fakes/console_waits.h"
#include "fakes/main_window_rig.h"
#include "jobs/command_console.h"
#include "jobs/finish_countdown.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_capture.h"

namespace qv {
namespace {

using fakes::click;
using fakes::eventually;
using Lines = std::vector<std::string>;
constexpr std::int64_t kMB = 1024 * 1024;
const char kSave[] = "E:\\backup\\sys.wim";
const char kCaptureLine[] =
    "Imagex.exe /capture C:\\ \"E:\\backup\\sys.wim\" \"C_BAK\" /compress Maximum /temp "
    "E:\\ImagexTemp\r\n";
const char kDate[] = "2015-05-04 09:07:03";

// The main window as the start button leaves it for C: (1:1) saved as E:\backup\sys.wim.
struct CaptureRig {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    ui::Window* window = nullptr;
    bool temp_folder = true;  // imagex's temporary folder is there already

    CaptureRig() {
        g_imagex_exe_name = "Imagex.exe";
        rig.os.clock.local = {2015, 5, 4, 9, 7, 3};
        main = &rig.open_main_window();
        fakes::click(*main, "backup_radio");
        main->add_item("backup_path_combo", kSave);
        main->select("backup_path_combo", 0);
        fakes::set_selected_partition(*main, "C:\\", "1:1");
        rig.os.files.add_folder("E:\\backup");
    }
    ~CaptureRig() { fakes::stop_console_expecting_no_readers(); }
    ui::Window& open() {
        if (temp_folder) rig.os.files.add_folder("E:\\ImagexTemp");
        window = rig.ui.open(imagex_capture_window_def(), main);
        return *window;
    }
    fakes::FakeConsoleState& console() { return *rig.os.consoles.last; }
    void say(const std::string& text) { fakes::print_and_wait_for_reader(console(), text); }
    // OK and Yes to the notice; then imagex shows up.
    std::uint32_t start_capture() {
        rig.os.notices.answers.push_back(os::kIdYes);
        click(*window, "ok_button");
        return rig.os.processes.add_process("Imagex.exe");
    }
    // imagex, seen running, writes the file, prints its end and leaves.
    void finish_capture(std::uint32_t imagex, std::int64_t bytes = 300 * kMB,
                        const std::string& last = "\r\nSuccessfully imaged C:\\\r\n") {
        rig.ui.advance(500);
        if (bytes >= 0) rig.os.files.add_file_of_size(kSave, bytes);
        say(last);
        rig.os.processes.terminate(imagex, 0);
        rig.ui.advance(500);
    }
    Lines boxes() const { return rig.os.notices.hint_texts_and_styles(); }
    Lines balloons() const { return fakes::balloon_texts(*main); }
};

std::string notice() {
    return capture_exclusion_notice("C:\\", "C:\\(1:1)") + "|68";
}

TEST(ImagexCaptureCommand, IsBuiltExactly) {
    EXPECT_EQ(imagex_capture_command("Imagex.exe", "C:\\", "E:\\backup\\sys.wim", "C_BAK",
                                     imagex_compress_option_for(1)) +
                  "\r\n",
              kCaptureLine);
    EXPECT_EQ(imagex_capture_command("Imagex.exe", "D:\\", "E:\\My Backups\\a&b.wim",
                                     capture_name_text(""), imagex_compress_option_for(2)),
              "Imagex.exe /capture D:\\ \"E:\\My Backups\\a&b.wim\" \" \" /compress none /temp "
              "E:\\ImagexTemp");
    EXPECT_EQ(imagex_compress_option_for(0), " /compress Fast");
    EXPECT_EQ(imagex_compress_option_for(5), " /compress none");
    EXPECT_EQ(imagex_temp_folder_command("E:\\backup\\sys.wim"), "MD E:\\ImagexTemp");
    EXPECT_EQ(capture_name_text("系统备份"), "系统备份");
    EXPECT_EQ(capture_name_text("  "), "  ");
    EXPECT_EQ(capture_name_text("备份嘰"), "备份嘰");
    // imagex reads backslashes before a closing quote as escapes: those that end the name are
    // doubled, or the quote would not close it and the switches after it would join the name. A
    // "%" stands outside the quotes, where the interpreter expands no name.
    EXPECT_EQ(imagex_capture_command("Imagex.exe", "C:\\", "E:\\50%\\a&b %PATH%.wim",
                                     capture_name_text("C_BAK\\"), imagex_compress_option_for(1)),
              "Imagex.exe /capture C:\\ \"E:\\50\"%\"\\a&b \"%\"PATH\"%\".wim\" \"C_BAK\\\\\" "
              "/compress Maximum /temp E:\\ImagexTemp");
    EXPECT_EQ(capture_exclusion_notice("D:\\", "D:\\(1:2)"),
              "Imagex将不会备份以下文件及文件夹：\r\nD:\\$windows.~bt\r\nD:\\$windows.~ls\r\n"
              "D:\\winpepge.sys\r\nD:\\windows\\csc\r\nD:\\Recycled\r\nD:\\Recycler\r\n"
              "D:\\$Recycle.Bin\r\nD:\\System Volume Information\r\nD:\\swapfile.sys\r\n"
              "D:\\pagefile.sys\r\nD:\\hiberfil.sys\r\n\r\n是否继续备份 D:\\(1:2) ？");
}

TEST(ImagexCaptureWindow, ShortensTheSavePathAtTwentySixBytes) {
    EXPECT_EQ(shortened_save_path("E:\\abcdefghijk\\backup.wim"), "E:\\abcdefghijk\\backup.wim");
    EXPECT_EQ(shortened_save_path("E:\\abcdefghijkl\\backup.wim"), "E:\\abcde...jkl\\backup.wim");
    // The cuts never take half of a double-byte character.
    EXPECT_EQ(shortened_save_path("E:\\abcd备份文件夹\\系统.wim"), "E:\\abcd...件夹\\系统.wim");
}

TEST(ImagexCaptureWindow, OpensWithTitleDefaultNameAndConsole) {
    CaptureRig r;
    r.main->set_text("selected_drive_label", "D:\\");
    r.main->set_text("selected_caption_label", "D:\\(1:2)");
    bool main_disabled = false;
    r.rig.ui.on_modal(kImagexCaptureWindowName, [&](ui::Window& w) {
        main_disabled = !fakes::headless(*r.main).window_enabled();
        EXPECT_EQ(w.text("title_label"), "备份分区 D:\\(1:2) 到 E:\\backup\\sys.wim");
        EXPECT_EQ(w.text("name_edit"), "D_BAK");
        EXPECT_EQ(w.selected("compression_combo"), 1);
        EXPECT_EQ(g_imagex_compress_option, " /compress Maximum");
        EXPECT_EQ(w.caption(), "Tavrin Imagex");
        EXPECT_FALSE(g_busy);
        fakes::select(w, "compression_combo", 2);
        EXPECT_EQ(g_imagex_compress_option, " /compress none");
        fakes::select(w, "compression_combo", 0);
        EXPECT_EQ(g_imagex_compress_option, " /compress Fast");
    });
    open_imagex_capture_window();
    EXPECT_EQ(r.rig.ui.modal_log(), Lines{kImagexCaptureWindowName});
    EXPECT_TRUE(main_disabled);
    EXPECT_EQ(r.rig.os.consoles.starts.size(), 1u);
    EXPECT_TRUE(r.console().stopped());  // the window took its console with it
}

// OK: another imagex is asked about, the notice comes next, and only a Yes to both types the
// folder line when the folder is missing and then the capture line.
TEST(ImagexCaptureWindow, AsksTwiceThenTypesTheCapture) {
    struct Case {
        const char* name;
        bool other_imagex;
        std::vector<int> answers;
        bool temp_folder;
        Lines typed;
    } cases[] = {
        {"other imagex kept", true, {os::kIdNo}, true, {}},
        {"notice declined", false, {os::kIdNo}, true, {}},
        {"other imagex ended", true, {os::kIdYes, os::kIdYes}, true, {kCaptureLine}},
        {"temp folder missing",
         false,
         {os::kIdYes},
         false,
         {"MD E:\\ImagexTemp\r\n", kCaptureLine}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureRig r;
        r.temp_folder = c.temp_folder;
        if (c.other_imagex) r.rig.os.processes.add_process("imagex.exe");
        for (int a : c.answers) r.rig.os.notices.answers.push_back(a);
        ui::Window& w = r.open();
        click(w, "ok_button");
        Lines boxes = r.boxes();
        if (c.other_imagex) {
            ASSERT_FALSE(boxes.empty());
            EXPECT_EQ(boxes[0], std::string(kOtherImagexBackupQuestion) + "|52");
            EXPECT_EQ(r.rig.os.processes.running("Imagex.exe"), c.answers[0] == os::kIdNo);
            boxes.erase(boxes.begin());
        }
        EXPECT_EQ(boxes, c.typed.empty() && c.other_imagex ? Lines{} : Lines{notice()});
        EXPECT_EQ(r.console().inputs(), c.typed);
        EXPECT_EQ(g_busy, !c.typed.empty());
        EXPECT_EQ(w.control_visible("ok_button"), c.typed.empty());
    }
}

// While the console makes imagex's temporary folder the window processes messages with OK still
// on view: the capture line waits for the folder, and a second OK meanwhile starts nothing.
TEST(ImagexCaptureWindow, CaptureWaitsForTheTempFolderAndOkMeanwhileStartsNothing) {
    CaptureRig r;
    r.temp_folder = false;
    ui::Window& w = r.open();
    Lines typed_at_first_pump;
    bool pumped = false;
    r.rig.ui.pump_hook = [&] {
        if (pumped) return;
        pumped = true;
        typed_at_first_pump = r.console().inputs();
        r.rig.os.notices.answers.push_back(os::kIdYes);
        EXPECT_TRUE(click(w, "ok_button"));
        r.rig.os.files.add_folder("E:\\ImagexTemp");
    };
    r.rig.os.notices.answers.push_back(os::kIdYes);
    click(w, "ok_button");
    r.rig.ui.pump_hook = nullptr;
    EXPECT_TRUE(pumped);
    EXPECT_EQ(typed_at_first_pump, Lines{"MD E:\\ImagexTemp\r\n"});
    EXPECT_EQ(r.console().inputs(), (Lines{"MD E:\\ImagexTemp\r\n", kCaptureLine}));
    EXPECT_EQ(r.boxes(), Lines{notice()});
}

TEST(ImagexCaptureWindow, ShowsProgressRemainingAndElapsedTime) {
    CaptureRig r;
    ui::Window& w = r.open();
    r.start_capture();
    EXPECT_EQ(w.text("status_label"), "Imagex正在备份 C:\\(1:1)，请稍候....");
    EXPECT_TRUE(fakes::contains(r.balloons(), "Imagex正在备份 C:\\(1:1)，请稍候...."));
    EXPECT_EQ(w.control_rect("status_label").w, 280);
    EXPECT_EQ(w.picture("cancel_button"), "btn_job_running");
    EXPECT_FALSE(w.enabled("compression_combo"));
    EXPECT_FALSE(w.enabled("name_edit"));
    EXPECT_TRUE(w.control_visible("percent_label"));
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("percent_label"), "  0%");
    EXPECT_EQ(w.text("remaining_label"), "剩余时间：正在计算");

    r.say("[   1% ] Capturing progress\r\n[  45% ] Capturing progress: 4:22 mins remaining\r\n");
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("percent_label"), " 45%");
    EXPECT_EQ(w.progress("progress_bar"), 45);
    EXPECT_EQ(w.text("remaining_label"), "剩余时间： 4:22 mins ");
    r.say("[ 100% ] Capturing progress: 0 secs remaining\r\n");
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("percent_label"), "100%");
    EXPECT_EQ(w.progress("progress_bar"), 100);
    r.rig.ui.advance(3000);
    EXPECT_EQ(w.text("elapsed_label"), "已用时间：00:00:03");
    EXPECT_TRUE(g_busy);
}

// The success line ends the job; the file this run wrote judges it, in the status and the
// balloon as in the summary: one with its size and the date, the window staying for another run,
// or, for no file or one under 1 MB, a failed backup ready to run again. The size line follows
// the same limits as the Ghost backup's.
TEST(ImagexCaptureWindow, ReportsTheSummaryBySizeOfTheFileWritten) {
    const std::string summary_head =
        "   "
        "Imagex备份完成！\r\n\r\n备份分区：C:\\(1:1)\r\n\r\n保存位置：E:\\backup\\sys.wim\r\n\r\n";
    const std::string failed =
        std::string("   Imagex备份失败！\r\n\r\n备份分区：C:\\(1:1)\r\n\r\n备份日期：") + kDate +
        "|16";
    const std::string done = "Imagex备份 C:\\(1:1) 完成！";
    const struct {
        std::int64_t bytes;  // -1: imagex wrote no file
        std::string box;
        bool good;
    } cases[] = {
        {300 * kMB, summary_head + "大      小：300 MB\r\n\r\n备份日期：" + kDate + "|64", true},
        {4097 * kMB, summary_head + "大      小： > 4096 MB\r\n\r\n备份日期：" + kDate + "|64",
         true},
        {1048575, failed, false},
        {-1, failed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        CaptureRig r;
        ui::Window& w = r.open();
        std::uint32_t imagex = r.start_capture();
        r.say("[ 100% ] Capturing progress\r\n");
        r.finish_capture(imagex, c.bytes);
        EXPECT_EQ(r.boxes(), (Lines{notice(), c.box}));
        EXPECT_EQ(w.text("status_label"), c.good ? done : "Imagex备份失败。");
        EXPECT_EQ(r.balloons().back(), c.good ? done : "Imagex备份失败！");
        EXPECT_FALSE(fakes::contains(r.balloons(), c.good ? "Imagex备份失败！" : done));
        EXPECT_EQ(w.picture("cancel_button"), c.good ? "btn_job_done" : "btn_job_stopped");
        EXPECT_EQ(w.control_visible("ok_button"), !c.good);
        EXPECT_EQ(w.text("percent_label"), c.good ? "100%" : "  0%");
        EXPECT_TRUE(w.enabled("compression_combo"));
        EXPECT_TRUE(w.enabled("name_edit"));
        EXPECT_EQ(w.text("remaining_label"), "剩余时间：00:00:00");
        EXPECT_EQ(w.control_rect("status_label").w, 192);
        EXPECT_FALSE(g_busy);
        EXPECT_TRUE(w.alive());
        EXPECT_EQ(r.rig.os.files.has(kSave), c.good);
    }
}

// A success line with a file too small to be a backup is a failure, and like any failed capture
// it takes away the file that this run wrote, never one that was there before and that imagex
// left as it was.
TEST(ImagexCaptureWindow, ASuccessLineWithASmallFileRemovesOnlyTheFileThisRunWrote) {
    const struct {
        const char* name;
        std::int64_t before;   // -1: no file before the run
        std::int64_t written;  // -1: imagex wrote nothing
        bool good;
        bool kept;
    } cases[] = {
        {"exactly 1 MB", -1, kMB, true, true},
        {"ten bytes", -1, 10, false, false},
        {"older backup untouched", 500 * kMB, -1, false, true},
        {"older small file untouched", 10, -1, false, true},
        {"older backup rewritten small", 500 * kMB, 10, false, false},
        {"older backup rewritten good", 500 * kMB, 300 * kMB, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureRig r;
        if (c.before >= 0) r.rig.os.files.add_file_of_size(kSave, c.before);
        ui::Window& w = r.open();
        r.finish_capture(r.start_capture(), c.written);
        EXPECT_EQ(w.text("status_label"),
                  c.good ? "Imagex备份 C:\\(1:1) 完成！" : "Imagex备份失败。");
        ASSERT_EQ(r.boxes().size(), 2u);
        EXPECT_EQ(r.boxes()[1].find(c.good ? "   Imagex备份完成！" : "   Imagex备份失败！"), 0u);
        EXPECT_EQ(r.rig.os.files.has(kSave), c.kept);
        if (c.kept) {
            EXPECT_EQ(r.rig.os.files.file_size_bytes(kSave), c.written >= 0 ? c.written : c.before);
        }
    }
}

// Without the marker the job failed: the file this run began is removed, an older one that
// imagex never touched is not; and imagex not yet started is no failure at all.
TEST(ImagexCaptureWindow, FailureRemovesOnlyTheFileThisRunWrote) {
    {
        SCOPED_TRACE("partial file");
        CaptureRig r;
        ui::Window& w = r.open();
        r.finish_capture(r.start_capture(), 40 * kMB, "Error imaging drive [C:\\].\r\nC:\\>");
        EXPECT_EQ(w.text("status_label"), "Imagex备份失败。");
        EXPECT_TRUE(fakes::contains(r.balloons(), "Imagex备份失败！"));
        EXPECT_EQ(w.text("percent_label"), "  0%");
        EXPECT_EQ(w.progress("progress_bar"), 0);
        EXPECT_TRUE(w.control_visible("ok_button"));
        EXPECT_EQ(w.picture("cancel_button"), "btn_job_stopped");
        EXPECT_FALSE(g_busy);
        EXPECT_FALSE(r.rig.os.files.has(kSave));
        EXPECT_EQ(r.boxes(), Lines{notice()});
    }
    {
        SCOPED_TRACE("old file, imagex never starts");
        CaptureRig r;
        r.rig.os.files.add_file_of_size(kSave, 500 * kMB);
        ui::Window& w = r.open();
        r.rig.os.notices.answers.push_back(os::kIdYes);
        click(w, "ok_button");
        r.rig.ui.advance(9500);
        EXPECT_TRUE(g_busy);
        EXPECT_TRUE(w.timer_running("end_timer"));
        r.rig.ui.advance(3000);
        EXPECT_EQ(w.text("status_label"), "Imagex备份失败。");
        EXPECT_TRUE(r.rig.os.files.has(kSave));
    }
}

// OK again after a failure: the new run starts from an empty box, so the first run's lines
// (its progress, its remaining time) do not speak for it.
TEST(ImagexCaptureWindow, ASecondRunIsReadFromItsOwnOutput) {
    CaptureRig r;
    ui::Window& w = r.open();
    std::uint32_t first = r.start_capture();
    r.say("[  45% ] Capturing progress: 4:22 mins remaining\r\n");
    r.finish_capture(first, 40 * kMB, "Error imaging drive [C:\\].\r\nC:\\>");
    ASSERT_EQ(w.text("status_label"), "Imagex备份失败。");
    std::uint32_t second = r.start_capture();
    EXPECT_EQ(r.console().inputs(), (Lines{kCaptureLine, kCaptureLine}));
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("percent_label"), "  0%");
    EXPECT_EQ(w.text("remaining_label"), "剩余时间：正在计算");
    r.finish_capture(second);
    EXPECT_EQ(w.text("status_label"), "Imagex备份 C:\\(1:1) 完成！");
}

TEST(ImagexCaptureWindow, CancelAsksStopsImagexAndReportsThenClosesWhenIdle) {
    CaptureRig r;
    ui::Window& w = r.open();
    r.start_capture();
    r.rig.ui.advance(500);
    r.rig.os.notices.answers = {os::kIdNo, os::kIdYes};
    click(w, "cancel_button");
    EXPECT_TRUE(r.rig.os.processes.running("Imagex.exe"));
    click(w, "cancel_button");
    EXPECT_EQ(r.boxes(), (Lines{notice(), std::string(kStopImagexBackupQuestion) + "|52",
                                std::string(kStopImagexBackupQuestion) + "|52"}));
    EXPECT_FALSE(r.rig.os.processes.running("Imagex.exe"));
    EXPECT_TRUE(fakes::contains(r.balloons(), "用户取消Imagex备份。"));
    EXPECT_FALSE(fakes::request_close(w));  // the job has not ended yet
    r.rig.ui.advance(500);
    EXPECT_EQ(w.text("status_label"), "用户取消Imagex备份。");
    EXPECT_EQ(w.text("percent_label"), "  0%");
    EXPECT_EQ(w.text("remaining_label"), "剩余时间：00:00:00");
    EXPECT_TRUE(w.control_visible("ok_button"));
    EXPECT_TRUE(w.enabled("compression_combo"));
    EXPECT_EQ(w.picture("cancel_button"), "btn_job_stopped");
    EXPECT_FALSE(g_busy);

    click(w, "cancel_button");  // nothing runs now: back to the main window
    EXPECT_FALSE(w.alive());
    EXPECT_TRUE(r.console().stopped());
    EXPECT_EQ(r.console().exit_code(), kConsoleStopExitCode);
}

// The question stays open while the timers run: a capture that ends meanwhile keeps its report,
// and the Yes that comes after it changes nothing.
TEST(ImagexCaptureWindow, AYesToTheStopQuestionNeverCancelsACaptureThatHasEnded) {
    CaptureRig r;
    ui::Window& w = r.open();
    std::uint32_t imagex = r.start_capture();
    r.rig.ui.advance(500);
    r.rig.os.notices.answers = {os::kIdYes};
    r.rig.os.notices.while_open = [&](const fakes::RecordedNotices::Box& box) {
        if (box.text == kStopImagexBackupQuestion) r.finish_capture(imagex);
    };
    click(w, "cancel_button");
    r.rig.os.notices.while_open = nullptr;
    r.rig.ui.advance(500);
    EXPECT_EQ(w.text("status_label"), "Imagex备份 C:\\(1:1) 完成！");
    EXPECT_FALSE(fakes::contains(r.balloons(), kImagexBackupCancelledText));
    EXPECT_NE(r.boxes().back().find("Imagex备份完成！"), std::string::npos);
    EXPECT_TRUE(r.rig.os.files.has(kSave));
    EXPECT_FALSE(g_imagex_cancelled);
}

// A save path or a name that the console cannot carry to imagex as it is, a double quote
// anywhere in it, is refused before anything is asked, typed or shown as running; "%", "&" and
// blanks go through exactly as typed.
TEST(ImagexCaptureWindow, RefusesWhatTheConsoleCannotCarryBeforeAnythingRuns) {
    struct Case {
        const char* save_path;
        const char* name;
        std::string refusal;  // empty: the capture line below is typed
    } cases[] = {
        {"E:\\a\"&calc&\".wim", "C_BAK",
         "保存路径 E:\\a\"&calc&\".wim 含有无法传给Imagex的字符，请重新选择保存位置！|48"},
        {"E:\\a\"&calc&\".wim", "C\"BAK",  // the save path is named first
         "保存路径 E:\\a\"&calc&\".wim 含有无法传给Imagex的字符，请重新选择保存位置！|48"},
        {kSave, "\"C_BAK", "映像名称含有无法传给Imagex的字符，请重新输入！|48"},
        {kSave, "C_\" & calc & \"BAK", "映像名称含有无法传给Imagex的字符，请重新输入！|48"},
        {kSave, "C_BAK\"", "映像名称含有无法传给Imagex的字符，请重新输入！|48"},
        {kSave, "\"", "映像名称含有无法传给Imagex的字符，请重新输入！|48"},
        {kSave, "C_BAK\r\ncalc", "映像名称含有无法传给Imagex的字符，请重新输入！|48"},
        {"E:\\50% & %PATH%\\系统.wim", "%PATH% & 备份", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.save_path) + " / " + c.name);
        CaptureRig r;
        r.main->clear_items("backup_path_combo");
        r.main->add_item("backup_path_combo", c.save_path);
        r.main->select("backup_path_combo", 0);
        r.rig.os.processes.add_process("Imagex.exe");  // refused before this is asked about
        ui::Window& w = r.open();
        w.set_text("name_edit", c.name);
        r.rig.os.notices.answers = {os::kIdYes, os::kIdYes};
        click(w, "ok_button");
        if (c.refusal.empty()) {
            EXPECT_EQ(r.boxes(),
                      (Lines{std::string(kOtherImagexBackupQuestion) + "|52", notice()}));
            ASSERT_EQ(r.console().inputs().size(), 1u);
            EXPECT_EQ(r.console().inputs()[0],
                      "Imagex.exe /capture C:\\ \"E:\\50\"%\" & \"%\"PATH\"%\"\\系统.wim\" "
                      "\"\"%\"PATH\"%\" & 备份\" /compress Maximum /temp E:\\ImagexTemp\r\n");
        } else {
            EXPECT_EQ(r.boxes(), Lines{c.refusal});
            EXPECT_TRUE(r.console().inputs().empty());
            EXPECT_TRUE(r.rig.os.processes.running("Imagex.exe"));
            EXPECT_TRUE(w.control_visible("ok_button"));
            EXPECT_TRUE(w.enabled("name_edit"));
            EXPECT_EQ(w.text("name_edit"), c.name);
            EXPECT_EQ(w.text("status_label"), "");
            EXPECT_TRUE(r.balloons().empty());
            EXPECT_FALSE(g_busy);
        }
    }
}

// A finish box hands a good capture to the countdown (backup wording) and closes the window; a
// capture that left no file is reported instead.
TEST(ImagexCaptureWindow, HandsOnlyAGoodCaptureToTheFinishCountdown) {
    for (bool good : {true, false}) {
        SCOPED_TRACE(good ? "good" : "no file");
        CaptureRig r;
        click(*r.main, "restart_after_job_check");
        ui::Window& w = r.open();
        r.finish_capture(r.start_capture(), good ? 300 * kMB : -1);
        ui::Window* countdown = r.rig.ui.find(kFinishCountdownWindowName);
        ASSERT_EQ(countdown != nullptr, good);
        EXPECT_EQ(w.alive(), !good);
        if (good) {
            EXPECT_EQ(g_finish_action, kFinishRestart);
            EXPECT_EQ(g_finished_job_kind, kJobBackup);
            EXPECT_EQ(countdown->text("count_label"), "备份已完成，10 秒后自动重启！");
            EXPECT_TRUE(r.console().stopped());
        } else {
            EXPECT_EQ(
                r.boxes().back(),
                std::string("   Imagex备份失败！\r\n\r\n备份分区：C:\\(1:1)\r\n\r\n备份日期：") +
                    kDate + "|16");
        }
    }
}

}  // namespace
}  // namespace qv
