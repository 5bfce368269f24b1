// ImagexApplyWindow's flows on fakes: the edition list, the format step, the apply command, the
// progress and end of the job, cancelling, the source watches, and the boot and answer-file
// steps after a success.
#include <gtest/gtest.h>

#include <functional>

#include "base/state.h"
#include "fakes/console_waits.h"
#include "fakes/main_window_rig.h"
#include "fixture_files.h"
#include "jobs/answer_files.h"
#include "jobs/boot_files.h"
#include "jobs/command_console.h"
#include "jobs/finish_countdown.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_apply_window.h"
#include "jobs/imagex_capture.h"
#include "jobs/virtual_drive.h"
#include "main_window/lock_ui.h"

namespace qv {
namespace {

using fakes::click;
using fakes::eventually;
using testing_fixtures::read_fixture;
using Lines = std::vector<std::string>;

const char kImage[] = "D:\\images\\win7.wim";
const char kApplyLine[] = "Imagex.exe /apply \"D:\\images\\win7.wim\" 4 C:\\\r\n";

fakes::FakeDrive fixed_drive(const char* root, std::uint32_t device, std::uint32_t partition) {
    fakes::FakeDrive d;
    d.root = root;
    d.number = {device, partition};
    return d;
}

// The main window as the start button leaves it for a WIM image on D: restored to C: (disk 1).
struct ApplyRig {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;
    ui::Window* window = nullptr;
    bool bcdboot_answered = false;
    std::string bcdboot_output = "Boot files successfully created.\r\n";

    ApplyRig() {
        g_imagex_exe_name = "Imagex.exe";
        main = &rig.open_main_window();
        rig.os.drives.drives = {fixed_drive("C:\\", 0, 1), fixed_drive("D:\\", 0, 2),
                                fixed_drive("E:\\", 1, 1)};
        main->add_item("image_combo", kImage);
        main->select("image_combo", 0);
        for (const Lines& row : {Lines{"C:\\", "1:1"}, Lines{"D:\\", "1:2"}, Lines{"E:\\", "2:1"}})
            main->add_row("partition_list",
                          {row[0], row[1], "", "硬盘驱动器", "40.00 GB", "20.00 GB"});
        set_target("C:\\", "1:1");
        main->set_text("edition_info_edit", read_fixture("wim_info/four_editions.txt"));
        rig.os.files.add_file(kImage);
        rig.os.files.add_file("C:\\Windows\\explorer.exe");
        rig.os.files.entry("C:\\Windows\\explorer.exe")->version = "6.1.7601.17514";
        rig.os.binary_types.set("C:\\Windows\\explorer.exe", 0);
        // BCDBOOT is typed into the console: it answers when its line arrives.
        rig.ui.pump_hook = [this] { answer_bcdboot(); };
    }
    ~ApplyRig() {
        rig.ui.pump_hook = nullptr;
        fakes::stop_console_expecting_no_readers();
    }

    void set_target(const std::string& root, const std::string& disk_partition) {
        fakes::set_selected_partition(*main, root, disk_partition);
    }
    ui::Window& open() {
        window = rig.ui.open(imagex_apply_window_def(), main);
        return *window;
    }
    fakes::FakeConsoleState& console() { return *rig.os.consoles.last; }
    // Prints into the console and waits until the reader has taken it in.
    void say(const std::string& text) { fakes::print_and_wait_for_reader(console(), text); }
    Lines inputs_starting(const std::string& start) {
        Lines found;
        for (const std::string& line : console().inputs())
            if (line.compare(0, start.size(), start) == 0) found.push_back(line);
        return found;
    }
    void answer_bcdboot() {
        if (bcdboot_answered || !rig.os.consoles.last || inputs_starting("BCDBOOT.EXE").empty())
            return;
        bcdboot_answered = true;
        rig.os.processes.add_process("bcdboot.exe", 3);
        say(bcdboot_output);
    }
    // OK, then imagex shows up, prints its progress and its end, and leaves.
    std::uint32_t start_apply() {
        click(*window, "ok_button");
        return rig.os.processes.add_process("Imagex.exe");
    }
    void finish_apply(std::uint32_t imagex,
                      const std::string& last = "Successfully applied image.\r\n") {
        say(last);
        rig.os.processes.terminate(imagex, 0);
        rig.ui.advance(500);
    }
    std::vector<std::string> box_texts() const { return rig.os.notices.texts(); }
    Lines balloon_texts() const { return fakes::balloon_texts(*main); }
    Lines launches_of(const std::string& part) const {
        Lines found;
        for (const std::string& c : rig.os.processes.commands())
            if (c.find(part) != std::string::npos) found.push_back(c);
        return found;
    }
};

TEST(ImagexApplyWindow, OpensWithTheEditionsOfTheImageAndStartsTheConsole) {
    ApplyRig r;
    ui::lock_ui();
    ui::Window& w = r.open();
    EXPECT_EQ(w.item_count("edition_combo"), 4);
    EXPECT_EQ(w.selected("edition_combo"), 3);
    EXPECT_EQ(g_wim_image_index, 4);
    EXPECT_EQ(w.text("title_label"), "还原 D:\\images\\win7.wim 到分区 C:\\(1:1)");
    EXPECT_EQ(w.caption(), "Tavrin Imagex");
    EXPECT_TRUE(r.main->enabled("start_button"));  // the start button's lock is lifted
    EXPECT_TRUE(g_busy);
    EXPECT_EQ(r.rig.os.consoles.starts.size(), 1u);
    EXPECT_EQ(g_main_boot_disk, "C:\\");
    EXPECT_TRUE(fakes::contains(r.balloon_texts(), "加载系统版本完成！"));
    fakes::select(w, "edition_combo", 0);
    EXPECT_EQ(g_wim_image_index, 1);
}

TEST(ImagexApplyWindow, EmptyEditionListOffersImageOneOrCloses) {
    for (int answer : {os::kIdYes, os::kIdNo}) {
        ApplyRig r;
        r.main->set_text("edition_info_edit", read_fixture("wim_info/open_error.txt"));
        r.rig.os.notices.answers = {answer};
        ui::Window& w = r.open();
        ASSERT_EQ(r.rig.os.notices.boxes.size(), 1u);
        EXPECT_EQ(r.rig.os.notices.boxes[0].style, 0x14);
        EXPECT_TRUE(fakes::contains(r.balloon_texts(), "加载系统版本出现错误！"));
        EXPECT_EQ(w.alive(), answer == os::kIdYes);
        // Yes applies image 1; No closes, and closing without a job leaves nothing busy.
        EXPECT_EQ(g_wim_image_index, answer == os::kIdYes ? 1 : 0);
        EXPECT_EQ(g_busy, answer == os::kIdYes);
    }
}

TEST(ImagexApplyWindow, OpensModallyOverTheMainWindow) {
    ApplyRig r;
    bool main_disabled = false;
    r.rig.ui.on_modal(kImagexApplyWindowName, [&](ui::Window&) {
        main_disabled = !fakes::headless(*r.main).window_enabled();
    });
    open_imagex_apply_window();
    EXPECT_EQ(r.rig.ui.modal_log(), Lines{kImagexApplyWindowName});
    EXPECT_TRUE(main_disabled);
    EXPECT_TRUE(r.rig.os.consoles.last->stopped());  // closing the window stops the console
}

TEST(ImagexApplyWindow, TypesTheApplyCommandForEachKindOfSource) {
    struct Case {
        const char* image;
        bool disc;
        const char* expected;
    } cases[] = {
        {kImage, false, kApplyLine},
        {"D:\\set\\win.swm", false,
         "Imagex.exe /apply \"D:\\set\\win.swm\" 4 C:\\ /ref \"D:\\set\\win*.swm\"\r\n"},
        {"", true, "Imagex.exe /apply \"F:\\sources\\install.wim\" 4 C:\\\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        ApplyRig r;
        r.main->clear_items("image_combo");
        r.main->add_item("image_combo", c.image);
        r.main->select("image_combo", 0);
        r.main->add_item("optical_drive_combo", "F:\\  4.00 GB");
        r.main->select("optical_drive_combo", 0);
        r.rig.os.files.add_file("F:\\sources\\install.wim");
        g_from_install_disc = c.disc;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        click(w, "ok_button");
        EXPECT_EQ(r.console().inputs(), Lines{c.expected});
        EXPECT_TRUE(w.timer_running(c.disc ? "disc_watch_timer" : "image_watch_timer"));
        EXPECT_TRUE(r.rig.os.formatter.calls.empty());
    }
}

TEST(ImagexApplyWindow, FormatsBeforeTheApplyAndNeverTakesAFailedFormatForDone) {
    using Reports = std::vector<std::pair<int, std::uint8_t>>;
    struct Case {
        const char* name;
        int choice;
        bool library;
        Reports reports;
        std::uint32_t dialog_result;
        bool applies;
    } cases[] = {
        {"NTFS", 1, true, {{0, 40}, {11, 1}}, 0, true},
        {"FAT", 2, true, {{11, 1}}, 0, true},
        {"no library", 1, false, {}, 0, false},
        {"library reports failure", 1, true, {{0, 40}, {11, 0}}, 0, false},
        {"library never reports its end", 1, true, {{0, 40}}, 0, false},
        {"dialog formats (id 7)", 0, true, {}, 7, true},
        {"dialog cannot format", 0, true, {}, 0xFFFFFFFD, false},
        {"dialog cancelled", 0, true, {}, 0xFFFFFFFE, false},
        // Also what a build with test hooks answers for the dialog it never opens.
        {"dialog failed", 0, true, {}, 0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyRig r;
        r.rig.os.formatter.library_present = c.library;
        r.rig.os.formatter.reports = c.reports;
        r.rig.os.formatter.dialog_result = c.dialog_result;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", c.choice);
        click(w, "ok_button");
        EXPECT_TRUE(fakes::contains(r.balloon_texts(), "正在格式化 C:\\(1:1)"));
        if (c.choice == 0) {
            ASSERT_EQ(r.rig.os.formatter.dialogs.size(), 1u);
            EXPECT_EQ(r.rig.os.formatter.dialogs[0].drive_index, 2);
            EXPECT_EQ(r.rig.os.formatter.dialogs[0].options, 1u);
        } else if (c.library) {
            ASSERT_EQ(r.rig.os.formatter.calls.size(), 1u);
            const auto& call = r.rig.os.formatter.calls[0];
            EXPECT_EQ(call.root, "C:\\");
            EXPECT_EQ(call.media_type, 12);
            EXPECT_EQ(call.file_system, c.choice == 2 ? "FAT" : "NTFS");
            EXPECT_EQ(call.label, "本地磁盘");
            EXPECT_TRUE(call.quick);
            EXPECT_EQ(call.cluster_size, 0u);
        }
        EXPECT_EQ(r.console().inputs(), c.applies ? Lines{kApplyLine} : Lines{});
        if (!c.applies) {
            const std::string failed = "格式化 C:\\(1:1) 失败！";
            EXPECT_EQ(w.text("status_label"), failed);
            EXPECT_TRUE(fakes::contains(r.balloon_texts(), failed));
            ASSERT_EQ(r.rig.os.notices.boxes.size(), 1u);
            EXPECT_EQ(r.rig.os.notices.boxes[0].text, failed);
            EXPECT_EQ(r.rig.os.notices.boxes[0].style, 0x10);
            EXPECT_TRUE(w.enabled("ok_button"));
            EXPECT_TRUE(w.enabled("format_combo"));
        }
    }
}

// The image to apply lies on a disc that this run mounted from an image file: the partition
// holding that file is never formatted, whatever way of formatting is chosen; without a format
// the apply goes on, and a disc image from another partition lets the format run.
TEST(ImagexApplyWindow, NeverFormatsThePartitionHoldingTheMountedDiscImage) {
    const char kInstall[] = "需安装的分区不可与还原映像文件所在的路径相同！";
    const char kRestore[] = "需还原的分区不可与还原映像文件所在的路径相同！";
    struct Case {
        const char* name;
        bool disc;        // install from the disc F:, else restore Z:\sources\install.wim
        const char* iso;  // mounted on the source's letter
        int choice;
        const char* refusal;
    } cases[] = {
        {"disc, NTFS", true, "c:\\iso\\g7.iso", 1, kInstall},
        {"disc, FAT", true, "C:\\iso\\g7.iso", 2, kInstall},
        {"disc, dialog", true, "C:\\iso\\g7.iso", 0, kInstall},
        {"disc, no format", true, "C:\\iso\\g7.iso", 3, nullptr},
        {"disc image elsewhere", true, "D:\\iso\\g7.iso", 1, nullptr},
        {"mounted image entry", false, "C:\\iso\\g7.iso", 1, kRestore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyRig r;
        r.rig.os.formatter.reports = {{11, 1}};
        const char* image = c.disc ? "F:\\sources\\install.wim" : "Z:\\sources\\install.wim";
        r.rig.os.files.add_file(image);
        r.main->clear_items("image_combo");
        if (!c.disc) r.main->add_item("image_combo", image);
        r.main->select("image_combo", 0);
        r.main->add_item("optical_drive_combo", "F:\\ 总大小：600 MB，文件系统：CDFS");
        r.main->select("optical_drive_combo", 0);
        remember_mounted_iso(c.disc ? "F" : "Z", c.iso);
        g_from_install_disc = c.disc;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", c.choice);
        click(w, "ok_button");
        const bool formats = c.refusal == nullptr && c.choice != 3;
        EXPECT_EQ(r.rig.os.formatter.calls.size() + r.rig.os.formatter.dialogs.size(),
                  formats ? 1u : 0u);
        EXPECT_EQ(fakes::contains(r.balloon_texts(), "正在格式化 C:\\(1:1)"), formats);
        if (c.refusal != nullptr) {
            EXPECT_EQ(r.rig.os.notices.hint_texts_and_styles(),
                      Lines{std::string(c.refusal) + "|48"});
            EXPECT_TRUE(r.console().inputs().empty());
            EXPECT_TRUE(w.enabled("ok_button") && w.enabled("format_combo"));
        } else {
            EXPECT_EQ(r.console().inputs().size(), 1u);
        }
    }
}

TEST(ImagexApplyWindow, AsksBeforeEndingAnotherImagex) {
    for (int answer : {os::kIdNo, os::kIdYes}) {
        ApplyRig r;
        ui::Window& w = r.open();
        r.rig.os.processes.add_process("imagex.exe");
        r.rig.os.notices.answers = {answer};
        fakes::select(w, "format_combo", 3);
        click(w, "ok_button");
        ASSERT_EQ(r.rig.os.notices.boxes.size(), 1u);
        EXPECT_EQ(r.rig.os.notices.boxes[0].text, kOtherImagexQuestion);
        EXPECT_EQ(r.rig.os.notices.boxes[0].style, 0x34);
        EXPECT_EQ(r.rig.os.processes.running("Imagex.exe"), answer == os::kIdNo);
        EXPECT_EQ(r.console().inputs(), answer == os::kIdYes ? Lines{kApplyLine} : Lines{});
    }
}

TEST(ImagexApplyWindow, ShowsProgressRemainingAndElapsedTimeFromTheConsole) {
    ApplyRig r;
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    r.start_apply();
    EXPECT_FALSE(w.control_visible("ok_button"));
    EXPECT_EQ(w.picture("cancel_button"), "btn_job_running");
    EXPECT_EQ(w.text("status_label"), "Imagex正在还原 C:\\(1:1)，请稍候....");
    EXPECT_EQ(w.control_rect("status_label").w, 288);
    EXPECT_FALSE(w.enabled("edition_combo"));
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("percent_label"), "  0%");
    EXPECT_EQ(w.text("remaining_label"), "剩余时间：正在计算");

    r.say("[   1% ] Applying progress\r\n[  45% ] Applying progress: 4:22 mins remaining\r\n");
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("percent_label"), " 45%");
    EXPECT_EQ(w.progress("progress_bar"), 45);
    EXPECT_EQ(w.text("remaining_label"), "剩余时间： 4:22 mins ");
    r.rig.ui.advance(3000);
    EXPECT_EQ(w.text("elapsed_label"), "已用时间：00:00:03");
    EXPECT_TRUE(g_busy);
}

TEST(ImagexApplyWindow, EndsOnlyAfterImagexRanOrTheStartGraceAndItsLastOutputCameIn) {
    {
        SCOPED_TRACE("imagex never starts: failure after the start grace");
        ApplyRig r;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        click(w, "ok_button");
        r.rig.ui.advance(9000);
        EXPECT_TRUE(w.timer_running("end_timer"));
        EXPECT_TRUE(g_busy);
        r.rig.ui.advance(4000);
        EXPECT_EQ(w.text("status_label"), "Imagex还原C:\\(1:1)失败！");
        EXPECT_FALSE(g_busy);
        EXPECT_TRUE(w.control_visible("ok_button"));
        EXPECT_EQ(w.picture("cancel_button"), "btn_job_stopped");
        EXPECT_EQ(w.text("remaining_label"), "剩余时间：00:00:00");
        EXPECT_EQ(w.control_rect("status_label").w, 192);
        // OK again after a failure runs a second apply in the same console.
        click(w, "ok_button");
        EXPECT_EQ(r.console().inputs(), (Lines{kApplyLine, kApplyLine}));
        EXPECT_EQ(r.rig.os.consoles.starts.size(), 1u);
    }
    {
        SCOPED_TRACE("imagex gone, its success line still on its way");
        ApplyRig r;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        w.set_checked("add_boot_check", false);
        w.set_checked("unattended_check", false);
        std::uint32_t imagex = r.start_apply();
        r.rig.ui.advance(500);
        r.rig.os.processes.terminate(imagex, 0);
        r.rig.ui.advance(500);
        EXPECT_TRUE(w.timer_running("end_timer"));
        r.say("[ 100% ] Applying progress\r\n\r\nSuccessfully applied image.\r\n");
        r.rig.ui.advance(500);
        EXPECT_EQ(w.text("status_label"), "Imagex还原 C:\\(1:1) 完成！");
        EXPECT_EQ(w.picture("cancel_button"), "btn_job_done");
        EXPECT_FALSE(w.control_visible("ok_button"));
        EXPECT_FALSE(g_busy);
    }
}

TEST(ImagexApplyWindow, CancelAsksStopsImagexAndReportsThenClosesWhenIdle) {
    ApplyRig r;
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    r.start_apply();
    r.rig.ui.advance(500);
    r.rig.os.notices.answers = {os::kIdNo, os::kIdYes};
    click(w, "cancel_button");
    EXPECT_TRUE(r.rig.os.processes.running("Imagex.exe"));
    click(w, "cancel_button");
    EXPECT_EQ(r.box_texts(), (Lines{kStopImagexQuestion, kStopImagexQuestion}));
    EXPECT_FALSE(r.rig.os.processes.running("Imagex.exe"));
    EXPECT_TRUE(fakes::contains(r.balloon_texts(), "用户取消Imagex还原。"));
    r.rig.ui.advance(500);
    EXPECT_EQ(w.text("status_label"), "用户取消Imagex还原。");
    EXPECT_EQ(w.text("percent_label"), "  0%");
    EXPECT_TRUE(w.control_visible("ok_button"));
    EXPECT_TRUE(w.enabled("edition_combo"));
    EXPECT_FALSE(g_busy);

    click(w, "cancel_button");  // nothing runs now: back to the main window
    EXPECT_FALSE(w.alive());
    EXPECT_TRUE(r.console().stopped());
    EXPECT_EQ(r.console().exit_code(), kConsoleStopExitCode);
}

TEST(ImagexApplyWindow, CancelBeforeImagexShowsUpEndsItWhenItAppears) {
    ApplyRig r;
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    click(w, "ok_button");
    r.rig.os.notices.answers = {os::kIdYes};
    click(w, "cancel_button");  // the command is typed, imagex not yet there: still a running job
    EXPECT_EQ(r.box_texts(), Lines{kStopImagexQuestion});
    EXPECT_TRUE(w.alive());
    r.rig.ui.advance(1000);
    r.rig.os.processes.add_process("Imagex.exe");
    r.rig.ui.advance(500);
    EXPECT_FALSE(r.rig.os.processes.running("Imagex.exe"));
    EXPECT_TRUE(g_busy);
    r.rig.ui.advance(10000);
    EXPECT_EQ(w.text("status_label"), "用户取消Imagex还原。");
    EXPECT_FALSE(g_busy);
}

// The question stays open while the timers run: a job that ends meanwhile keeps its end, and the
// answer that comes after it changes nothing. Only a job whose imagex still runs is cancelled.
TEST(ImagexApplyWindow, AYesToTheStopQuestionNeverCancelsAJobThatHasEnded) {
    const std::string done = "Imagex还原 C:\\(1:1) 完成！";
    struct Case {
        const char* name;
        bool job_ends;      // the end timer concludes while the question is open
        bool imagex_stays;  // imagex still runs when the answer comes
        std::string status;
    } cases[] = {
        {"ended while asked, boot step and all", true, false, done},
        {"imagex ended by itself, its last line still on its way", false, false, done},
        {"imagex still running", false, true, kImagexCancelledText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyRig r;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        std::uint32_t imagex = r.start_apply();
        r.say("[  95% ] Applying progress: 0:30 mins remaining\r\n");
        r.rig.ui.advance(500);
        r.rig.os.notices.answers = {os::kIdYes};
        r.rig.os.notices.while_open = [&](const fakes::RecordedNotices::Box& box) {
            if (box.text != kStopImagexQuestion) return;
            if (c.job_ends) r.say("Successfully applied image.\r\n");
            if (!c.imagex_stays) r.rig.os.processes.terminate(imagex, 0);
            if (c.job_ends) r.rig.ui.advance(500);
        };
        click(w, "cancel_button");
        r.rig.os.notices.while_open = nullptr;
        if (c.job_ends) {
            EXPECT_EQ(r.inputs_starting("BCDBOOT").size(), 1u);
        } else if (!c.imagex_stays) {
            r.say("Successfully applied image.\r\n");
        }
        r.rig.ui.advance(500);
        EXPECT_EQ(w.text("status_label"), c.status);
        EXPECT_EQ(fakes::contains(r.balloon_texts(), kImagexCancelledText), c.imagex_stays);
        EXPECT_FALSE(r.rig.os.processes.running("Imagex.exe"));
        EXPECT_FALSE(g_busy);
    }
}

// However the window goes while imagex runs (its close box, a lost source), imagex goes on and
// the busy state with it; it ends when imagex ends, unless another job holds it by then.
TEST(ImagexApplyWindow, BusyEndsWithAnImagexThatOutlivesItsWindow) {
    struct Case {
        const char* name;
        bool lost_source;
        bool other_job_open;
    } cases[] = {
        {"close box", false, false},
        {"image file lost", true, false},
        {"a backup window opened meanwhile", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyRig r;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        std::uint32_t imagex = r.start_apply();
        r.rig.ui.advance(500);
        if (c.lost_source) {
            r.rig.os.files.delete_file(kImage);
            r.rig.ui.advance(50);
        } else {
            EXPECT_TRUE(fakes::request_close(w));
        }
        ASSERT_FALSE(w.alive());
        EXPECT_TRUE(r.console().stopped());
        EXPECT_TRUE(r.rig.os.processes.running("Imagex.exe"));
        r.rig.ui.advance(5000);
        EXPECT_TRUE(g_busy);
        ui::Window* other = nullptr;
        if (c.other_job_open) other = r.rig.ui.open(imagex_capture_window_def(), r.main);
        r.rig.os.processes.terminate(imagex, 0);
        r.rig.ui.advance(500);
        EXPECT_EQ(g_busy, c.other_job_open);
        EXPECT_FALSE(r.main->timer_running(kImagexLeftTimer));
        if (other != nullptr) other->close();
    }
}

TEST(ImagexApplyWindow, ClosesWhenTheSourceDisappears) {
    for (bool disc : {false, true}) {
        SCOPED_TRACE(disc ? "disc" : "image file");
        ApplyRig r;
        r.main->add_item("optical_drive_combo", "F:\\  4.00 GB");
        r.main->select("optical_drive_combo", 0);
        r.rig.os.files.add_file("F:\\sources\\install.wim");
        g_from_install_disc = disc;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        r.start_apply();
        r.rig.ui.advance(100);
        ASSERT_TRUE(w.alive());
        r.rig.os.files.delete_file(disc ? "F:\\sources\\install.wim" : kImage);
        r.rig.ui.advance(50);
        EXPECT_FALSE(w.alive());
        EXPECT_EQ(r.box_texts(), Lines{disc ? "系统光盘 F:\\ 被弹出！"
                                            : "还原 D:\\images\\win7.wim 时出现错误！"});
        EXPECT_EQ(r.main->item_count("image_combo"), 0);
        EXPECT_TRUE(r.console().stopped());
    }
}

TEST(ImagexApplyWindow, WritesNt6BootFilesAndTheAnswerFileAfterASuccess) {
    ApplyRig r;
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    // Each BOOTICE run must have ended before the next one starts.
    r.rig.os.processes.scripts.push_back({"BOOTICE.EXE", "BOOTICE.exe", "", "", 0, 3, false});
    r.rig.os.processes.on_launch = [&](const std::string& command) {
        if (command.find("BOOTICE") != std::string::npos) {
            EXPECT_FALSE(r.rig.os.processes.running("BOOTICE.EXE")) << command;
        }
    };
    std::uint32_t imagex = r.start_apply();
    r.say("[ 100% ] Applying progress\r\n");
    r.finish_apply(imagex);

    EXPECT_EQ(r.launches_of("BOOTICE"),
              (Lines{"X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /mbr /install  /type=nt60  /quiet",
                     "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /pbr /install  /type=bootmgr /quiet",
                     "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /partitions /activate /quiet"}));
    EXPECT_EQ(r.inputs_starting("BCDBOOT"), Lines{"BCDBOOT.EXE C:\\Windows  /l zh-cn /S C:\\\r\n"});
    EXPECT_EQ(r.rig.os.files.contents("C:\\Windows\\Panther\\Unattend.xml"),
              unattend_template(UnattendTemplate::A));
    EXPECT_EQ(r.launches_of("Panther"), Lines{"cmd.exe /c MD C:\\Windows\\Panther"});
    EXPECT_EQ(r.box_texts(), Lines{});
    Lines balloons = r.balloon_texts();
    EXPECT_TRUE(fakes::contains(balloons, "正在添加引导文件，请稍后......"));
    EXPECT_TRUE(fakes::contains(balloons, "正在添加无人值守安装文件，请稍后......"));
    EXPECT_EQ(balloons.back(), "Imagex还原 C:\\(1:1) 完成！");
    EXPECT_EQ(w.text("status_label"), "Imagex还原 C:\\(1:1) 完成！");
    EXPECT_TRUE(w.alive());  // no finish choice: the window stays
    EXPECT_FALSE(g_busy);
}

// imagex and the format take the letter: when C: carries another number by the time OK is
// pressed than the list showed, it is neither formatted nor written, whether a format comes first
// or not; the list is refreshed with the new numbers, the user is told to choose again, and the
// window closes.
TEST(ImagexApplyWindow, TargetRenumberedSinceTheListWasFilledIsNotWritten) {
    for (int format_choice : {1, 3}) {
        SCOPED_TRACE(format_choice);
        ApplyRig r;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", format_choice);
        fakes::FakeDrive* c = r.rig.os.drives.find("C:\\");
        ASSERT_NE(c, nullptr);
        c->number.partition = 3;
        click(w, "ok_button");
        EXPECT_FALSE(w.alive());
        EXPECT_TRUE(r.rig.os.formatter.calls.empty());
        EXPECT_TRUE(r.inputs_starting("Imagex.exe").empty());
        EXPECT_EQ(r.rig.os.notices.hint_texts_and_styles(),
                  Lines{"分区已发生变化，分区列表已刷新，请重新选择要还原的分区！|48"});
        ASSERT_GE(r.main->row_count("partition_list"), 1);
        EXPECT_EQ(r.main->cell("partition_list", 0, 1), "1:3");
        EXPECT_FALSE(g_busy);
    }
}

// An answer file that is not written is told, or the user would wait for an unattended first
// start that never comes; the restore itself stays done.
TEST(ImagexApplyWindow, AnswerFileThatIsNotWrittenIsReported) {
    struct Case {
        const char* name;
        const char* explorer_version;  // nullptr: no explorer.exe on the target
        const char* report;
    } cases[] = {
        {"no explorer", nullptr, kAnswerFileFailedText},
        {"Windows XP", "5.1.2600.5512", kAnswerFileUnsupportedText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyRig r;
        if (c.explorer_version == nullptr)
            r.rig.os.files.delete_file("C:\\Windows\\explorer.exe");
        else
            r.rig.os.files.entry("C:\\Windows\\explorer.exe")->version = c.explorer_version;
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        w.set_checked("add_boot_check", false);
        r.finish_apply(r.start_apply());
        ASSERT_EQ(r.rig.os.notices.boxes.size(), 1u);
        EXPECT_EQ(r.rig.os.notices.boxes[0].text, c.report);
        EXPECT_EQ(r.rig.os.notices.boxes[0].style, 0x10);
        EXPECT_TRUE(fakes::contains(r.balloon_texts(), c.report));
        EXPECT_EQ(w.text("status_label"), "Imagex还原 C:\\(1:1) 完成！");
    }
}

TEST(ImagexApplyWindow, BcdbootIsJudgedByItsOwnOutput) {
    ApplyRig r;
    r.bcdboot_output = "Failure when attempting to copy boot files.\r\n";
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    w.set_checked("unattended_check", false);
    r.finish_apply(r.start_apply());
    ASSERT_EQ(r.rig.os.notices.boxes.size(), 1u);
    EXPECT_EQ(r.rig.os.notices.boxes[0].text, "创建引导文件失败！");
    EXPECT_EQ(r.rig.os.notices.boxes[0].style, 0x10);
    EXPECT_TRUE(fakes::contains(r.balloon_texts(), "创建引导文件失败！"));
    EXPECT_EQ(w.text("status_label"), "Imagex还原 C:\\(1:1) 完成！");  // the job goes on
}

TEST(ImagexApplyWindow, OutputAfterTheRunsTimersStillReachesTheBox) {
    ApplyRig r;
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    w.set_checked("unattended_check", false);
    r.finish_apply(r.start_apply());
    ASSERT_EQ(w.text("status_label"), "Imagex还原 C:\\(1:1) 完成！");
    for (const char* timer : {"end_timer", "progress_timer", "elapsed_timer"})
        EXPECT_FALSE(w.timer_running(timer)) << timer;
    // BCDBOOT printed while the boot step waited, after the run's timers had stopped.
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("console_box"),
              "Successfully applied image.\r\nBoot files successfully created.\r\n");
    r.say("X:\\WINDOWS\\system32>");
    r.rig.ui.advance(50);
    EXPECT_EQ(w.text("console_box"),
              "Successfully applied image.\r\nBoot files successfully created.\r\n"
              "X:\\WINDOWS\\system32>");
    EXPECT_EQ(console_box_text(w, "console_box").text, w.text("console_box"));
}

TEST(ImagexApplyWindow, ChoosesTheBootDeviceAndLoadersByTargetAndMode) {
    struct Case {
        const char* name;
        const char* root;
        const char* disk_partition;
        int mode;
        const char* cmd_version;
        const char* bcd;  // where a Boot\\BCD lies, if anywhere
        Lines bootice;
        Lines bcdboot;
        Lines boxes;
        std::uint32_t boot_partition_now = 1;  // C:'s partition number once the apply has ended
    } cases[] = {
        {"Windows XP target",
         "D:\\",
         "1:2",
         0,
         "5.1.2600.5512",
         nullptr,
         {"X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /mbr /install  /type=nt52  /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /pbr /install  /type=ntldr /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /partitions /activate /quiet"},
         {},
         {}},
        {"Windows XP beside an NT6 boot",
         "D:\\",
         "1:2",
         0,
         "5.1.2600.5512",
         "C:\\Boot\\BCD",
         {"X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /mbr /install  /type=nt60  /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /pbr /install  /type=bootmgr /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=C:\\ /partitions /activate /quiet"},
         {"BCDBOOT.EXE D:\\Windows  /l zh-cn /S C:\\\r\n"},
         {}},
        {"the target itself",
         "D:\\",
         "1:2",
         1,
         "",
         nullptr,
         {"X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /mbr /install  /type=nt60  /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /pbr /install  /type=bootmgr /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /partitions /activate /quiet"},
         {"BCDBOOT.EXE D:\\Windows  /l zh-cn /S D:\\\r\n"},
         {}},
        // Disk 3 has no listed partition 1: nothing is written anywhere, whatever an earlier
        // search found.
        {"no boot partition on the disk",
         "G:\\",
         "3:2",
         0,
         "6.1.7601.17514",
         nullptr,
         {},
         {},
         {"获取主引导盘失败，无法添加引导文件！"}},
        // Boot\BCD is looked for on the disk's boot partition in either mode: with "跳过 None"
        // the records go to the target, but the loader kind follows what that partition holds.
        {"Windows XP on itself beside an NT6 boot",
         "D:\\",
         "1:2",
         1,
         "5.1.2600.5512",
         "C:\\Boot\\BCD",
         {"X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /mbr /install  /type=nt60  /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /pbr /install  /type=bootmgr /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /partitions /activate /quiet"},
         {"BCDBOOT.EXE D:\\Windows  /l zh-cn /S D:\\\r\n"},
         {}},
        {"Windows XP on itself, a BCD of its own only",
         "D:\\",
         "1:2",
         1,
         "5.1.2600.5512",
         "D:\\Boot\\BCD",
         {"X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /mbr /install  /type=nt52  /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /pbr /install  /type=ntldr /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=D:\\ /partitions /activate /quiet"},
         {},
         {}},
        // C: was renumbered after the list gave it as the disk's partition 1: BOOTICE would
        // rewrite whatever partition 1 is now, so nothing is written.
        {"boot partition renumbered since the window opened",
         "D:\\",
         "1:2",
         0,
         "6.1.7601.17514",
         nullptr,
         {},
         {},
         {"获取主引导盘失败，无法添加引导文件！"},
         3},
        // With no boot partition known nothing is looked for: a bare Boot\BCD would be found in
        // whatever folder the program runs from.
        {"Windows XP on itself, no boot partition, a BCD in the working folder",
         "G:\\",
         "3:2",
         1,
         "5.1.2600.5512",
         "Boot\\BCD",
         {"X:\\WINDOWS\\BOOTICE.EXE /DEVICE=G:\\ /mbr /install  /type=nt52  /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=G:\\ /pbr /install  /type=ntldr /quiet",
          "X:\\WINDOWS\\BOOTICE.EXE /DEVICE=G:\\ /partitions /activate /quiet"},
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplyRig r;
        r.rig.os.drives.drives.push_back(fixed_drive("G:\\", 2, 2));
        r.set_target(c.root, c.disk_partition);
        std::string cmd = std::string(c.root) + "Windows\\system32\\CMD.EXE";
        r.rig.os.files.add_file(cmd);
        r.rig.os.files.entry(cmd)->version = c.cmd_version;
        if (c.bcd != nullptr) r.rig.os.files.add_file(c.bcd);
        g_main_boot_disk = "C:\\";
        ui::Window& w = r.open();
        fakes::select(w, "format_combo", 3);
        fakes::select(w, "boot_mode_combo", c.mode);
        w.set_checked("unattended_check", false);
        fakes::FakeDrive* c_drive = r.rig.os.drives.find("C:\\");
        ASSERT_NE(c_drive, nullptr);
        c_drive->number.partition = c.boot_partition_now;
        r.finish_apply(r.start_apply());
        EXPECT_EQ(r.launches_of("BOOTICE"), c.bootice);
        EXPECT_EQ(r.inputs_starting("BCDBOOT"), c.bcdboot);
        EXPECT_EQ(r.box_texts(), c.boxes);
    }
}

TEST(ImagexApplyWindow, BootStepCannotBeClosedCancelledOrEndedByTheSourceWatch) {
    ApplyRig r;
    r.main->add_item("optical_drive_combo", "F:\\  4.00 GB");
    r.main->select("optical_drive_combo", 0);
    r.rig.os.files.add_file("F:\\sources\\install.wim");
    g_from_install_disc = true;
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    w.set_checked("unattended_check", false);
    bool tried = false;
    r.rig.os.processes.on_launch = [&](const std::string& command) {
        if (tried || command.find("BOOTICE") == std::string::npos) return;
        tried = true;
        r.rig.os.files.delete_file("F:\\sources\\install.wim");
        EXPECT_FALSE(fakes::fire_timer(w, "disc_watch_timer"));
        EXPECT_FALSE(click(w, "cancel_button"));
        EXPECT_FALSE(fakes::request_close(w));
        EXPECT_TRUE(w.alive());
    };
    r.finish_apply(r.start_apply());
    EXPECT_TRUE(tried);
    EXPECT_EQ(w.text("status_label"), "Imagex还原 C:\\(1:1) 完成！");
    EXPECT_EQ(r.inputs_starting("BCDBOOT").size(), 1u);
}

TEST(ImagexApplyWindow, HandsTheEndOverToTheFinishCountdown) {
    ApplyRig r;
    click(*r.main, "restart_after_job_check");
    ui::Window& w = r.open();
    fakes::select(w, "format_combo", 3);
    w.set_checked("add_boot_check", false);
    w.set_checked("unattended_check", false);
    r.finish_apply(r.start_apply());
    EXPECT_FALSE(w.alive());
    ui::Window* countdown = r.rig.ui.find(kFinishCountdownWindowName);
    ASSERT_NE(countdown, nullptr);
    EXPECT_EQ(g_finish_action, kFinishRestart);
    EXPECT_EQ(g_finished_job_kind, kJobRestore);
    EXPECT_EQ(countdown->text("count_label"), "还原已完成，10 秒后自动重启！");
    EXPECT_TRUE(r.console().stopped());
}

TEST(ImagexApplyWindow, DiskMenuFormatsTheTargetThroughTheDialog) {
    ApplyRig r;
    r.rig.os.files.add_folder("C:\\");
    fakes::choose_menu_item(*r.main, "disk_menu_format");
    ASSERT_EQ(r.rig.os.formatter.dialogs.size(), 1u);
    EXPECT_EQ(r.rig.os.formatter.dialogs[0].drive_index, 2);
    EXPECT_EQ(r.rig.os.formatter.dialogs[0].format_id, 0u);
    EXPECT_EQ(r.rig.os.formatter.dialogs[0].options, 1u);

    r.set_target("Q:\\", "3:1");
    fakes::choose_menu_item(*r.main, "disk_menu_format");
    EXPECT_EQ(r.rig.os.formatter.dialogs.size(), 1u);
    ASSERT_EQ(r.rig.os.notices.boxes.size(), 1u);
    EXPECT_EQ(r.rig.os.notices.boxes[0].text, "Q:\\(3:1) 不存在！");
    EXPECT_EQ(r.rig.os.notices.boxes[0].style, 0x30);
}

}  // namespace
}  // namespace qv
