// A whole imagex restore under Wine: ImagexApplyWindow (on the headless runtime) drives the real
// console and cmd.exe, which run the stand-in imaging tool onto a target folder; then the stand-in
// BOOTICE and BCDBOOT run and the answer file is written. The stand-ins log their exact command
// lines.
#include <windows.h>

#include <msxml2.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "app/helpers.h"
#include "app/state.h"
#include "app/tool_runner.h"
#include "encoding.h"
#include "fakes/headless_runtime.h"
#include "jobs/answer_files.h"
#include "jobs/command_console.h"
#include "jobs/imagex_apply.h"
#include "jobs/imagex_commands.h"
#include "platform/os_format.h"
#include "platform/os_process.h"
#include "ui/main_window.h"
#include "win32_os.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

// Processes through CreateProcess and Toolhelp, for as long as the program's own Win32 set has
// none to install.
class CapturedChild : public os::CapturedProcess {
public:
    CapturedChild(HANDLE read, HANDLE process) : read_(read), process_(process) {}
    ~CapturedChild() override {
        CloseHandle(read_);
        CloseHandle(process_);
    }
    std::size_t bytes_waiting() override {
        DWORD available = 0;
        return PeekNamedPipe(read_, nullptr, 0, nullptr, &available, nullptr) ? available : 0;
    }
    std::string read(std::size_t max_bytes) override {
        std::string buffer(max_bytes, '\0');
        DWORD got = 0;
        if (!ReadFile(read_, buffer.data(), static_cast<DWORD>(max_bytes), &got, nullptr))
            return {};
        buffer.resize(got);
        return buffer;
    }
    bool ended() override { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }
    int exit_code() override {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
    }

private:
    HANDLE read_;
    HANDLE process_;
};

class WatchedProcess : public os::ProcessWatch {
public:
    explicit WatchedProcess(HANDLE h) : h_(h) {}
    ~WatchedProcess() override { CloseHandle(h_); }
    bool ended() override { return WaitForSingleObject(h_, 0) == WAIT_OBJECT_0; }

private:
    HANDLE h_;
};

class TestProcesses : public os::Processes {
public:
    bool nt_family() override { return true; }
    bool run(const std::string& command_line, bool wait, int show) override {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = show == os::kShowHidden ? SW_HIDE : SW_SHOWNORMAL;
        PROCESS_INFORMATION pi{};
        std::wstring line = win32::widen(command_line);
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            return false;
        if (wait) WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return true;
    }
    std::unique_ptr<os::CapturedProcess> start_captured(const std::string& command_line) override {
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        HANDLE read = nullptr, write = nullptr;
        if (!CreatePipe(&read, &write, &sa, 0)) return nullptr;
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = SW_HIDE;
        si.hStdOutput = si.hStdError = write;
        PROCESS_INFORMATION pi{};
        std::wstring line = win32::widen(command_line);
        BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &si, &pi);
        CloseHandle(write);
        if (!started) {
            CloseHandle(read);
            return nullptr;
        }
        CloseHandle(pi.hThread);
        return std::make_unique<CapturedChild>(read, pi.hProcess);
    }
    std::vector<os::ProcessEntry> snapshot() override {
        std::vector<os::ProcessEntry> out;
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snap == INVALID_HANDLE_VALUE) return out;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry))
            out.push_back({entry.th32ProcessID, win32::narrow(entry.szExeFile)});
        CloseHandle(snap);
        return out;
    }
    std::unique_ptr<os::ProcessWatch> open(std::uint32_t id) override {
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, id);
        return h == nullptr ? nullptr : std::make_unique<WatchedProcess>(h);
    }
    bool terminate(std::uint32_t id, int exit_code) override {
        HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (h == nullptr) return false;
        BOOL done = TerminateProcess(h, static_cast<UINT>(exit_code));
        CloseHandle(h);
        return done != FALSE;
    }
};

// The PE's Windows folder, where the carried tools are written, is the stand-ins' folder here.
class StandinWindowsFolder : public win32::Win32FileSystem {
public:
    explicit StandinWindowsFolder(std::string folder) : folder_(std::move(folder)) {}
    std::string windows_folder() override { return folder_; }

private:
    std::string folder_;
};

std::wstring own_folder() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder(exe);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::string read_bytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void remove_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(folder + name + L"\\");
            else
                DeleteFileW((folder + name).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// One line of the stand-ins' log: tool, event, time, detail.
struct LogLine {
    std::string tool, event, detail;
};

std::vector<LogLine> read_log(const std::wstring& path) {
    std::vector<LogLine> lines;
    std::istringstream in(read_bytes(path));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() == 4) lines.push_back({fields[0], fields[1], fields[3]});
    }
    return lines;
}

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
        standins = own_folder() + L"standin\\";
        if (GetFileAttributesW((standins + L"Imagex.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no stand-in tools";
        work = own_folder() + L"wimjob_e2e\\";
        remove_tree(work);
        CreateDirectoryW(work.c_str(), nullptr);
        CreateDirectoryW((work + L"target").c_str(), nullptr);
        CreateDirectoryW((work + L"sys").c_str(), nullptr);
        HANDLE image = CreateFileW((work + L"win7.wim").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        CloseHandle(image);
        // The tools start in the work folder rather than in the test's Unix one.
        SetCurrentDirectoryW(work.c_str());

        SetEnvironmentVariableW(L"QV_STANDIN_LOG", (work + L"tools.log").c_str());
        SetEnvironmentVariableW(L"QV_NOTICE_LOG", (work + L"notices.log").c_str());
        SetEnvironmentVariableW(L"QV_IMAGEX_STEP_MS", L"50");
        wchar_t path[8192];
        DWORD n = GetEnvironmentVariableW(L"PATH", path, 8192);
        old_path.assign(path, n < 8192 ? n : 0);
        SetEnvironmentVariableW(L"PATH", (standins + L";" + old_path).c_str());

        win32::install_win32_os();
        files = std::make_unique<StandinWindowsFolder>(win32::narrow(standins));
        os::Os set = os::os();
        set.files = files.get();
        if (set.processes == nullptr) set.processes = &processes;
        os::install(set);
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
        console_stop();
        for (int i = 0; i < 250 && console_reader_count() > 0; ++i) Sleep(20);
        ui::clear_bindings();
        SetCurrentDirectoryW(own_folder().c_str());
        SetEnvironmentVariableW(L"PATH", old_path.c_str());
        for (const wchar_t* name : {L"QV_STANDIN_LOG", L"QV_NOTICE_LOG", L"QV_IMAGEX_STEP_MS"})
            SetEnvironmentVariableW(name, nullptr);
        remove_tree(work);
        CoUninitialize();
    }

    std::string work_path(const std::wstring& name) const { return win32::narrow(work + name); }

    std::wstring standins, work, old_path;
    std::unique_ptr<StandinWindowsFolder> files;
    TestProcesses processes;
    fakes::HeadlessRuntime runtime;
};

TEST_F(WimApplyUnderWine, AppliesWritesBootFilesAndTheAnswerFile) {
    const std::string image = work_path(L"win7.wim");
    const std::string target = work_path(L"target\\");
    const std::string boot = work_path(L"sys\\");
    ui::Window& main = *runtime.open(ui::main_window_def(), nullptr);
    main.add_item("image_combo", image);
    main.select("image_combo", 0);
    main.set_text("selected_drive_label", target);
    main.set_text("selected_disk_partition_label", "1:1");
    main.set_text("selected_caption_label", target + "(1:1)");
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
    for (int waited = 0; waited < 60000 && w.text("status_label") != done; waited += 50) {
        runtime.advance(50);
        Sleep(50);
        if (w.progress("progress_bar") > 0 && w.progress("progress_bar") < 100) saw_progress = true;
    }
    ASSERT_EQ(w.text("status_label"), done);
    EXPECT_TRUE(saw_progress);
    EXPECT_FALSE(g_busy);
    EXPECT_EQ(read_bytes(work + L"notices.log"), "");  // no message box

    std::vector<LogLine> log = read_log(work + L"tools.log");
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
    EXPECT_NE(GetFileAttributesW((work + L"sys\\Boot\\BCD").c_str()), INVALID_FILE_ATTRIBUTES);

    const std::wstring answer = work + L"target\\Windows\\Panther\\Unattend.xml";
    bool wide_build = sizeof(void*) == 8;
    EXPECT_EQ(read_bytes(answer),
              unattend_template(wide_build ? UnattendTemplate::B : UnattendTemplate::A));
    EXPECT_EQ(xml_texts(answer, L"ComputerName"), Lines{"Marlune"});
    EXPECT_EQ(xml_texts(answer, L"SkipMachineOOBE"), Lines{"true"});
}

// Wine has no formatting library and its format dialog formats nothing: both are failures, never
// a format taken for done. (Q: is no drive, so not even a real system would format anything.)
TEST(Win32Formatter, MissingLibraryAndRefusingDialogAreFailures) {
    os::VolumeFormatter* formatter = win32::win32_formatter();
    int reports = 0;
    EXPECT_FALSE(formatter->format_ex("Q:\\", 12, "NTFS", "本地磁盘", true, 0,
                                      [&](int, int, std::uint8_t) { return ++reports > 0; }));
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(formatter->format_dialog('Q' - 65, 0, 1), os::kFormatDialogNoFormat);
}

}  // namespace
}  // namespace qv
