#include "jobs/winnt32_setup.h"

#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "jobs/finish_countdown.h"
#include "jobs/start_checks.h"
#include "jobs/virtual_drive.h"
#include "jobs/volume_format.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv {

const char kWinntSifTemplate[] =
    ";SetupMgrTag\r\n"
    "[Data]\r\n"
    "    AutoPartition=1\r\n"
    "    MsDosInitiated=\"0\"\r\n"
    "    UnattendedInstall=\"Yes\"\r\n"
    "\r\n"
    "[Unattended]\r\n"
    "    UnattendMode=FullUnattended\r\n"
    "    OemSkipEula=Yes\r\n"
    "    OemPreinstall=No\r\n"
    "    TargetPath=\\WINDOWS\r\n"
    "\r\n"
    "[GuiUnattended]\r\n"
    "    AdminPassword=*\r\n"
    "    EncryptedAdminPassword=NO\r\n"
    "    AutoLogon=Yes\r\n"
    "    AutoLogonCount=1\r\n"
    "    OEMSkipRegional=1\r\n"
    "    TimeZone=85\r\n"
    "    OemSkipWelcome=1\r\n"
    "\r\n"
    "[UserData]\r\n"
    "    FullName=\"Quennix\"\r\n"
    "    OrgName=\"Marlune\"\r\n"
    "    ComputerName=*\r\n"
    "\r\n"
    "[TapiLocation]\r\n"
    "    CountryCode=86\r\n"
    "\r\n"
    "[Branding]\r\n"
    "    BrandIEUsingUnattended=Yes\r\n"
    "\r\n"
    "[URL]\r\n"
    "    Home_Page=http://www.example.com/\r\n"
    "\r\n"
    "[Proxy]\r\n"
    "    Proxy_Enable=0\r\n"
    "    Use_Same_Proxy=1\r\n"
    "\r\n"
    "[Identification]\r\n"
    "    JoinWorkgroup=WORKGROUP\r\n"
    "\r\n"
    "[Networking]\r\n"
    "    InstallDefaultComponents=Yes\r\n"
    "\r\n"
    "[RegionalSettings]\r\n"
    "    LanguageGroup=10\r\n"
    "    Language=00000804\r\n"
    "\r\n"
    "[FavoritesEx]\r\n"
    "    Title1=\"示例网站.url\"\r\n"
    "    URL1=\"http://www.example.com/\"\r\n";

namespace {

constexpr const char* kStatus = "status_label";
constexpr const char* kTimer = "finish_timer";
constexpr const char* kSetupProcess = "winnt32.exe";

// Whether the window watches a setup it started: only then does its watch clear the busy state.
bool g_setup_watched = false;

// Format combo items, by index; any other index skips the format.
enum : int { kFormatDialog = 0, kFormatNtfs = 1, kFormatFat = 2 };

struct Target {
    std::string root;     // "C:\"
    std::string caption;  // "C:\(1:1)"
};

Target setup_target() {
    ui::Window* main = ui::main_window();
    if (main == nullptr) return {};
    return {main->text("selected_drive_label"), main->text("selected_caption_label")};
}

// What the setup reads: the disc's root in mode 1, the image combo's entry otherwise.
std::string setup_source() {
    ui::Window* main = ui::main_window();
    if (main == nullptr) return {};
    if (g_install_mode == kSetupFromDisc) return main->text("optical_drive_combo").substr(0, 3);
    return main->text("image_combo");
}

std::string caption_text() {
    return "安装 Windows" + g_setup_system_name;
}

// The system would try the path's first words as programs of their own ("D:\XP CD\..." starts
// "D:\XP.exe" first when there is one), so a path with a blank is quoted.
std::string program_for_command_line(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

// A folder with a blank would reach the setup as two arguments, so it is quoted too. Before the
// closing quote a backslash would escape it for the setup's argument parser: a trailing one is
// doubled, which that parser reads back as one.
std::string folder_for_command_line(const std::string& folder) {
    if (folder.find(' ') == std::string::npos) return folder;
    const bool trailing_backslash =
        !folder.empty() && find_last_char(folder, '\\') == folder.size() - 1;
    return "\"" + folder + (trailing_backslash ? "\\\"" : "\"");
}

void set_buttons(ui::Window& w, bool on) {
    for (const char* role : {"cancel_button", "ok_button"}) w.set_enabled(role, on);
}

void set_combos(ui::Window& w, bool on) {
    for (const char* role : {"mode_combo", "format_combo"}) w.set_enabled(role, on);
}

bool write_answer_file(const std::string& target) {
    os::FileSystem& files = *os::os().files;
    const std::string path = winnt_sif_path(target);
    if (files.path_exists(path)) files.delete_file(path);
    return files.write_new_file(path, kWinntSifTemplate);
}

ui::WindowDef make_winnt32_setup_window_def() {
    using ui::Kind;
    ui::WindowDef def = ui::dialog_window(kWinnt32SetupWindowName, 401, 170, "", false);
    for (ui::ControlDef& c : def.controls)
        if (c.role == "caption_label") c.unit = "透明标签8";
    const std::string p = "panel";
    ui::add_control(def, "question_label", "透明标签5", Kind::Label, p, 72, 8, 296, 24);
    ui::add_control(def, "hint_label", "透明标签1", Kind::Label, p, 72, 32, 304, 16,
                    "点击“确定(&C)”马上安装，点击“取消(&X)”返回程序。");
    ui::add_control(def, "format_caption_label", "透明标签4", Kind::Label, p, 48, 58, 64, 16,
                    "分区格式：");
    ui::ControlDef* c =
        &ui::add_control(def, "format_combo", "组合框2", Kind::DropList, p, 112, 56, 96, 20);
    c->items = {"手动 Format", "自动 NTFS", "自动 FAT32", "跳过 None"};
    c->selected = kFormatNtfs;
    ui::add_control(def, "mode_caption_label", "透明标签7", Kind::Label, p, 216, 58, 64, 16,
                    "安装模式：");
    c = &ui::add_control(def, "mode_combo", "组合框1", Kind::DropList, p, 280, 56, 88, 20);
    c->items = {"自动安装", "手动安装"};
    c->selected = 0;
    ui::add_picture_button(def, "ok_button", "按钮2", p, 120, 96, 82, 26, "确定(C)", "btn_ok");
    ui::add_picture_button(def, "cancel_button", "按钮1", p, 232, 96, 82, 26, "取消(X)",
                           "btn_cancel_x");
    // Out of view until a setup runs.
    ui::add_control(def, kStatus, "透明标签6", Kind::Label, p, 112, 200, 280, 16);
    ui::add_timer(def, kTimer, "时钟3");
    return def;
}

}  // namespace

std::string winnt32_setup_command(int install_mode, bool answer_file, const std::string& target,
                                  const std::string& disc_text, const std::string& source) {
    const std::string& t = target;
    const std::string answer = "\\winnt.sif /makelocalsource /tempdrive:";
    const std::string tail = t + " /noreboot";
    switch (install_mode) {
        case kSetupFromDisc: {
            std::string s = disc_text.substr(0, 3);
            std::string head = s + "i386\\winnt32.exe  /syspart:" + t + " /dudisable /s:" + s;
            return answer_file ? head + "i386  /unattend:" + t + answer + tail
                               : head + "i386 /makelocalsource /tempdrive:" + tail;
        }
        case kSetupFromFolder: {
            std::string head = source + "\\winnt32.exe  /syspart:" + t + " /dudisable /s:" + source;
            return answer_file ? head + "  /unattend:" + t + answer + tail
                               : head + "  /makelocalsource /tempdrive:" + tail;
        }
        case kSetupFromChosenProgram: {
            std::string folder = parent_dir(source);
            std::string head =
                program_for_command_line(source) + "  /syspart:" + t + " /dudisable /s:";
            if (!answer_file)
                return head + folder_for_command_line(folder) +
                       " /makelocalsource /tempdrive:" + tail;
            // With the answer file the folder goes without its trailing backslash.
            if (!folder.empty()) folder.pop_back();
            return head + folder_for_command_line(folder) + "  /unattend:" + t + answer + tail;
        }
        default:
            return {};
    }
}

std::string winnt_sif_path(const std::string& target) {
    return target + "\\winnt.sif";
}

const ui::WindowDef& winnt32_setup_window_def() {
    static const ui::WindowDef def = make_winnt32_setup_window_def();
    return def;
}

void open_winnt32_setup_window() {
    ui::Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return;
    runtime->open_modal(winnt32_setup_window_def(), ui::main_window());
}

void lock_install_window(ui::Window& window) {
    set_buttons(window, false);
    set_combos(window, false);
}

void unlock_install_window(ui::Window& window) {
    set_buttons(window, true);
    set_combos(window, true);
}

void winnt32_install_with_format(ui::Window& w) {
    // The setup and the format take the letter: when it names another partition by now than the
    // row the list showed, nothing is written, and the window closes, since the partition it
    // names is no longer the one chosen.
    if (!selected_target_numbered_as_shown()) {
        refuse_renumbered_target(kInstallTargetRenumberedText);
        w.close();
        return;
    }
    Target target = setup_target();
    int choice = w.selected("format_combo");
    if (choice == kFormatDialog || choice == kFormatNtfs || choice == kFormatFat) {
        // A disc image mounted from the target partition would be wiped with it, and the setup
        // would then read from nothing.
        if (source_lies_on_drive(setup_source(), target.root)) {
            ui::show_notice(image_on_target_text(true), os::kIconWarning);
            return;
        }
        ui::show_notice_balloon("正在格式化 " + target.caption);
        lock_install_window(w);
        bool formatted =
            choice == kFormatDialog
                ? format_drive_dialog(target.root, 1)
                : format_partition(target.root.substr(0, 2), choice == kFormatFat ? "FAT" : "NTFS",
                                   "本地磁盘", 0, true, ignore_format_progress);
        if (!w.alive()) return;
        if (!formatted) {
            unlock_install_window(w);
            std::string failed = "格式化 " + target.caption + " 失败！";
            ui::show_notice_balloon(failed);
            ui::show_notice(failed, os::kIconError);
            return;
        }
    }
    winnt32_install_start(w);
}

void winnt32_install_start(ui::Window& w) {
    const int mode = g_install_mode;
    if (mode != kSetupFromChosenProgram && mode != kSetupFromDisc && mode != kSetupFromFolder)
        return;
    Target target = setup_target();
    const bool answer_file = w.selected("mode_combo") == 0;
    ui::Window* main = ui::main_window();
    std::string disc = main == nullptr ? std::string() : main->text("optical_drive_combo");
    std::string source = main == nullptr ? std::string() : main->text("image_combo");
    if (answer_file) write_answer_file(target.root);
    std::string command = winnt32_setup_command(mode, answer_file, target.root, disc, source);
    if (!run_shown(command, false)) {
        // Nothing runs that the watch could wait for: its end would be reported as a finished
        // setup, and a finish box would restart the machine with nothing installed.
        unlock_install_window(w);
        std::string failed = "启动 Windows" + g_setup_system_name + " 安装程序失败！";
        ui::show_notice_balloon(failed);
        ui::show_notice(failed, os::kIconError);
        return;
    }
    w.set_visible("cancel_button", false);
    w.set_visible("ok_button", false);
    g_setup_watched = true;
    w.start_timer(kTimer, 50);
    w.move_control(kStatus, 96, 100);
    w.set_text(kStatus, "正在安装 Windows" + g_setup_system_name + " 到 " + target.caption +
                            " ，请稍后....");
}

void winnt32_window_load(ui::Event& event) {
    ui::Window& w = *event.window;
    g_setup_watched = false;
    w.set_picture("panel", ui::kDialogBackground);
    w.set_text("caption_label", caption_text());
    w.set_text("question_label",
               "将 Windows" + g_setup_system_name + " 安装到 " + setup_target().caption + " ？");
}

void on_winnt32_ok_clicked(ui::Event& event) {
    winnt32_install_with_format(*event.window);
}

void on_winnt32_setup_cancel_clicked(ui::Event& event) {
    g_busy = false;
    event.window->close();
}

void winnt32_finish_tick(ui::Event& event) {
    if (is_process_running(kSetupProcess)) return;
    ui::Window& w = *event.window;
    w.stop_timer(kTimer);
    g_setup_watched = false;
    g_busy = false;
    for (const char* role : {"cancel_button", "ok_button"}) {
        w.set_visible(role, true);
        w.set_enabled(role, true);
    }
    w.move_control(kStatus, 112, 200);
    set_combos(w, true);
    w.set_text("caption_label", caption_text());
    if (open_finish_countdown_if_chosen(kJobInstall)) {
        w.close();
        return;
    }
    ui::show_notice("Windows" + g_setup_system_name + "安装完成，请重启计算机并移除移动设备！",
                    os::kIconInfo);
}

// While the watch runs there is no button to leave by, and the window must not go away under it:
// the end of the setup would then never clear the busy state.
void on_winnt32_setup_window_closing(ui::Event& event) {
    event.cancel = event.window->timer_running(kTimer);
}

// A window closed without a setup of its own running leaves no job behind to clear the busy
// state; a setup program started by anything else is none of its business.
void on_winnt32_setup_window_destroyed(ui::Event&) {
    if (!g_setup_watched) g_busy = false;
}

void bind_winnt32_setup_handlers() {
    const std::string w = kWinnt32SetupWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, winnt32_window_load);
    ui::bind_handler(w, "", ui::EventKind::Closing, on_winnt32_setup_window_closing);
    ui::bind_handler(w, "", ui::EventKind::Destroyed, on_winnt32_setup_window_destroyed);
    ui::bind_handler(w, "ok_button", ui::EventKind::Click, on_winnt32_ok_clicked);
    ui::bind_handler(w, "cancel_button", ui::EventKind::Click, on_winnt32_setup_cancel_clicked);
    ui::bind_handler(w, kTimer, ui::EventKind::Timer, winnt32_finish_tick);
}

}  // namespace qv
