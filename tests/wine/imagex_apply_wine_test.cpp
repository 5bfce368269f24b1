// A whole imagex restore under Wine: ImagexApplyWindow (on the headless runtime) drives the real
// console and cmd.exe, which run the stand-in imaging tool onto a target folder; then the stand-in
// BOOTICE and BCDBOOT run and the answer file is written. The stand-ins log their exact command
// lines.
#include <windows.h>

#include <msxml2.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>

#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "encoding.h"
#include "fakes/headless_runtime.h"
#include "jobs/answer_files.h"
#include "jobs/command_console.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_apply_window.h"
#include "jobs/imagex_commands.h"
#include "main_window/main_window.h"
#include "shell/main_window_handlers.h"
#include "support/files.h"
#include "support/standins.h"
#include "win32_os.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

using namespace wine_support;

// The text of every element of that name in an XML file, read through the platform's parser.
Lines xml_texts(const std::wstring& path, const wchar_t* element) {
    Lines texts;
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid))) return texts;
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(&doc))))
        return texts;
    doc->put_async(VARIANT_FALSE);
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    IXMLDOMNodeList* list = nullptr;
    BSTR name = SysAllocString(element);
    if (SUCCEEDED(doc->load(source, &loaded)) && loaded == VARIANT_TRUE &&
        SUCCEEDED(doc->getElementsByTagName(name, &list))) {
        long count = 0;
        list->get_length(&count);
        for (long i = 0; i < count; ++i) {
            IXMLDOMNode* node = nullptr;
            BSTR text = nullptr;
            if (SUCCEEDED(list->get_item(i, &node)) && node != nullptr &&
                SUCCEEDED(node->get_text(&text))) {
                texts.push_back(win32::narrow(text));
                SysFreeString(text);
            }
            if (node != nullptr) node->Release();
        }
        list->Release();
    }
    SysFreeString(name);
    VariantClear(&source);
    doc->Release();
    return texts;
}

class WimApplyUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        standins = standin(L"");
        if (!exists(standins + L"Imagex.exe")) GTEST_SKIP() << "no stand-in tools";
        work = test_scratch_folder(L"wimjob") + L"\\";
        CreateDirectoryW((work + L"target").c_str(), nullptr);
        CreateDirectoryW((work + L"sys").c_str(), nullptr);
        write_all(work + L"win7.wim", "");
        // The tools start in the work folder rather than in the test's Unix one.
        SetCurrentDirectoryW(work.c_str());

        set_env(L"QV_STANDIN_LOG", work + L"tools.log");
        set_env(L"QV_NOTICE_LOG", work + L"notices.log");
        set_env(L"QV_IMAGEX_STEP_MS", L"50");
        old_path = get_env(L"PATH");
        set_env(L"PATH", standins + L";" + old_path);

        win32::install_win32_os();
        // The PE's Windows folder, where the carried tools are written, is the stand-ins' folder.
        files = std::make_unique<MovedWindowsFolder>(win32::narrow(standins));
        os::os().files = files.get();
        reset_program_state();
        reset_imagex_apply_state();
        ui::clear_bindings();
        ui::bind_main_window_handlers();
        bind_imagex_apply_handlers();
        g_imagex_exe_name = "Imagex.exe";
        CoInitialize(nullptr);
    }
    void TearDown() override {
        if (work.empty()) return;
        stop_console_and_readers();
        ui::clear_bindings();
        SetCurrentDirectoryW(build_folder().c_str());
        set_env(L"PATH", old_path);
        for (const wchar_t* name : {L"QV_STANDIN_LOG", L"QV_NOTICE_LOG", L"QV_IMAGEX_STEP_MS"})
            set_env(name, L"");
        remove_folder(work);
        CoUninitialize();
    }

    std::string work_path(const std::wstring& name) const { return win32::narrow(work + name); }

    std::wstring standins, work, old_path;
    std::unique_ptr<MovedWindowsFolder> files;
    fakes::HeadlessRuntime runtime;
};

TEST_F(WimApplyUnderWine, AppliesWritesBootFilesAndTheAnswerFile) {
    const std::string image = work_path(L"win7.wim");
    const std::string target = work_path(L"target\\");
    const std::string boot = work_path(L"sys\\");
    ui::Window& main = *runtime.open(ui::main_window_def(), nullptr);
    main.add_item("image_combo", image);
    main.select("image_combo", 0);
    fakes::set_selected_partition(main, target, "1:1");
    // Under Wine C: is partition 1 of disk 1; its row names the boot folder.
    main.add_row("partition_list", {boot, "1:1", "", "硬盘驱动器", "40.00 GB", "20.00 GB"});
    main.set_text("edition_info_edit",
                  run_command_capture_output(imagex_info_command("Imagex.exe", image)));

    ui::Window& w = *runtime.open(imagex_apply_window_def(), &main);
    ASSERT_EQ(w.item_count("edition_combo"), 2);
    EXPECT_EQ(w.item_text("edition_combo", 1), "2: Windows 7 旗舰版(Windows 7 ULTIMATE)");
    fakes::select(w, "format_combo", 3);
    ASSERT_TRUE(fakes::click(w, "ok_button"));
    const std::string done = "Imagex还原 " + target + "(1:1) 完成！";
    bool saw_progress = false;
    run_timers_until(runtime, [&] {
        if (w.progress("progress_bar") > 0 && w.progress("progress_bar") < 100) saw_progress = true;
        return w.text("status_label") == done;
    });
    ASSERT_EQ(w.text("status_label"), done);
    EXPECT_TRUE(saw_progress);
    EXPECT_FALSE(g_busy);
    EXPECT_EQ(read_all(work + L"notices.log"), "");  // no message box

    std::vector<LogLine> log = read_standin_log(work + L"tools.log");
    Lines imagex, bootice_events, bootice, bcdboot;
    for (const LogLine& l : log) {
        if (l.tool == "imagex" && l.event == "start") imagex.push_back(l.detail);
        if (l.tool == "bootice") bootice_events.push_back(l.event);
        if (l.tool == "bootice" && l.event == "start") bootice.push_back(l.detail);
        if (l.tool == "bcdboot" && l.event == "start") bcdboot.push_back(l.detail);
    }
    // The interpreter hands the typed lines over as they were typed.
    EXPECT_EQ(imagex, (Lines{"Imagex.exe /INFO " + image,
                             "Imagex.exe /apply \"" + image + "\" 2 " + target}));
    const std::string tool = win32::narrow(standins) + "BOOTICE.EXE /DEVICE=" + boot;
    EXPECT_EQ(bootice, (Lines{tool + " /mbr /install  /type=nt60  /quiet",
                              tool + " /pbr /install  /type=bootmgr /quiet",
                              tool + " /partitions /activate /quiet"}));
    // One at a time: each run has ended before the next one starts.
    EXPECT_EQ(bootice_events, (Lines{"start", "end", "start", "end", "start", "end"}));
    EXPECT_EQ(bcdboot, Lines{"BCDBOOT.EXE " + target + "Windows  /l zh-cn /S " + boot});
    EXPECT_TRUE(exists(work + L"sys\\Boot\\BCD"));

    const std::wstring answer = work + L"target\\Windows\\Panther\\Unattend.xml";
    bool wide_build = sizeof(void*) == 8;
    EXPECT_EQ(read_all(answer),
              unattend_template(wide_build ? UnattendTemplate::B : UnattendTemplate::A));
    EXPECT_EQ(xml_texts(answer, L"ComputerName"), Lines{"Marlune"});
    EXPECT_EQ(xml_texts(answer, L"SkipMachineOOBE"), Lines{"true"});
}

// A path with a defined variable's name, "%", "&", blanks and double-byte characters reaches the
// tool exactly, through "cmd.exe /c" (the edition list) and through the console (the apply): the
// tool finds the image both times, and its log shows the very path.
TEST_F(WimApplyUnderWine, ThePathReachesImagexExactlyThroughBothInterpreters) {
    // Under a name of this test's own, so that the other test's job never takes it for its own.
    CreateDirectoryW((work + L"tools").c_str(), nullptr);
    CopyFileW((standins + L"Imagex.exe").c_str(), (work + L"tools\\ImagexP.exe").c_str(), FALSE);
    set_env(L"PATH", work + L"tools;" + get_env(L"PATH"));
    g_imagex_exe_name = "ImagexP.exe";
    const std::wstring folder = work + L"a&b %PATH% 系统 50%";
    CreateDirectoryW(folder.c_str(), nullptr);
    write_all(folder + L"\\win7.wim", "");
    const std::string image = win32::narrow(folder + L"\\win7.wim");
    const std::string target = work_path(L"target\\");
    ui::Window& main = *runtime.open(ui::main_window_def(), nullptr);
    main.add_item("image_combo", image);
    main.select("image_combo", 0);
    fakes::set_selected_partition(main, target, "1:1");
    main.set_text("edition_info_edit",
                  run_command_capture_output(imagex_info_command(g_imagex_exe_name, image)));

    ui::Window& w = *runtime.open(imagex_apply_window_def(), &main);
    ASSERT_EQ(w.item_count("edition_combo"), 2) << main.text("edition_info_edit");
    fakes::select(w, "format_combo", 3);
    w.set_checked("add_boot_check", false);
    w.set_checked("unattended_check", false);
    ASSERT_TRUE(fakes::click(w, "ok_button"));
    const std::string done = "Imagex还原 " + target + "(1:1) 完成！";
    run_timers_until(runtime, [&] { return !g_busy; });
    EXPECT_EQ(w.text("status_label"), done) << w.text("console_box");
    EXPECT_EQ(started_arguments(work + L"tools.log", "imagex"),
              (std::vector<Lines>{{"/INFO", image}, {"/apply", image, "2", target}}));
    EXPECT_TRUE(exists(work + L"target\\Windows\\explorer.exe"));
}

}  // namespace
}  // namespace qv
