#include "main_window/info_windows.h"

#include "base/identity.h"
#include "base/power.h"
#include "base/state.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv::ui {
namespace {

// The maker's texts are placeholders of this edition: no real contact is carried.
constexpr const char* kSupportText = "技术支持：示例工作室  电话：000-0000-0000（示例）";
constexpr const char* kMakerLine = "Quennix 出品";

constexpr const char* kHelpGuide =
    "使用方法：\r\n"
    "1、安装Windows XP：选择XP安装版ISO映像，选择目标分区，点击“确定(C)”。\r\n"
    "2、安装Windows Vista至Windows 10：选择安装版ISO映像，在弹出的窗口中选择要安装的版本和"
    "引导方式，再选择目标分区并确定。\r\n"
    "3、安装Ghost版系统：选择.Gho文件和目标分区，点击“确定(C)”。\r\n"
    "4、Ghost版系统的ISO映像：直接选择该ISO映像，程序加载后找出其中的.Gho文件，无需解压。\r\n"
    "5、WIM映像：选择.WIM文件（分卷映像选择第一个.SWM文件），选择版本和目标分区后确定。\r\n"
    "6、光盘安装：选择“光盘安装(&G)”，放入Windows XP至Windows 10的安装光盘，选择目标分区后"
    "确定。\r\n"
    "7、备份为Gho：选择“备份分区(&B)”，选择要备份的分区和保存位置，点击“确定(C)”。\r\n"
    "8、备份为WIM：同上，保存的文件名须以“.WIM”结尾。\r\n"
    "\r\n"
    "名称解释：\r\n"
    "Gho：Ghost制作的分区映像文件。\r\n"
    "WIM：Windows安装映像，由imagex制作和还原。\r\n"
    "SWM：分卷保存的WIM映像。\r\n"
    "ISO：光盘映像，可以是原版安装盘，也可以是Ghost版系统盘。\r\n"
    "\r\n"
    "安装注意：\r\n"
    "1、请选择盘号为1:1的分区，它通常就是C盘；若1:1是很小的隐藏分区，请选择1:2。\r\n"
    "2、安装后系统无法启动时，请使用PE自带的引导修复工具修复。\r\n"
    "3、Ghost还原失败时，可勾选“自定义Ghost32”，改用Ghost 8.3或11.2。\r\n"
    "\r\n"
    "技术服务：示例工作室  电话：000-0000-0000（示例）";

constexpr const char* kParameterHelp =
    "【DEVICE】\r\n"
    "/DEVICE=[m:n | X:]  目标分区：m为磁盘号（从1开始），n为分区号；也可直接写盘符。\r\n"
    "\r\n"
    "【还原 操作】\r\n"
    "/Load=映像  启动时加载指定的Gho或WIM映像；不写盘符时在各分区根目录查找。\r\n"
    "例：QuennixVelquist.exe /Load=D:\\Win7.gho\r\n"
    "/install=映像 /DEVICE=分区  不经操作，把Gho映像直接还原到指定分区。\r\n"
    "例：QuennixVelquist.exe /install=D:\\Win7.gho /DEVICE=1:1\r\n"
    "/config  从程序同名的.ini配置文件读取要加载的映像。\r\n"
    "例：QuennixVelquist.exe /config\r\n"
    "\r\n"
    "【备份 操作】\r\n"
    "/backup=完整路径  启动时转到备份界面，并填入保存位置（须写完整路径）。\r\n"
    "例：QuennixVelquist.exe /backup=D:\\Backup\\Win7.gho\r\n"
    "\r\n"
    "【自动分区 操作】\r\n"
    "/HDD3、/HDD4、/HDD5  把第一块硬盘一键分为3、4、5个分区（仅限Windows PE）。\r\n"
    "例：QuennixVelquist.exe /HDD3\r\n"
    "\r\n"
    "【其他参数】\r\n"
    "/E  在桌面创建快捷方式后退出。例：QuennixVelquist.exe /E\r\n"
    "/Q  启动时不搜索映像文件。例：QuennixVelquist.exe /Q\r\n"
    "/r  任务完成后自动重启（须小写）。例：QuennixVelquist.exe /Load=D:\\Win7.gho /r\r\n"
    "/s  任务完成后自动关机（须小写）。例：QuennixVelquist.exe /Load=D:\\Win7.gho /s\r\n"
    "/GQ  只打开虚拟光驱窗口。例：QuennixVelquist.exe /GQ\r\n"
    "注意：路径中不可含有空格，参数不可超过8个。\r\n"
    "\r\n"
    "【/config参数配置文件示例】\r\n"
    "文件：QuennixVelquist.ini，与程序放在同一目录。\r\n"
    "[config]\r\n"
    "Path=Win7.gho\r\n"
    "Path为映像在程序所在分区根目录下MarluneOS文件夹中的路径。";

constexpr const char* kPeOnlyNotice =
    "本软件只能在Windows PE环境中运行，请进入Windows PE后再使用。\r\n"
    "支持功能：\r\n"
    "1、Ghost与imagex一键备份；\r\n"
    "2、Ghost版系统映像、安装版ISO映像及安装光盘快速安装；\r\n"
    "3、支持Gho、WIM、SWM、ISO映像。";

WindowDef make_about_window_def() {
    WindowDef def = dialog_window(kAboutWindowName, 336, 235, "关于", true);
    add_control(def, "title_label", "透明标签1", Kind::Label, "panel", 0, 8, 318, 20).flags = kBold;
    add_control(def, "welcome_label", "透明标签2", Kind::Label, "panel", 12, 36, 294, 16);
    add_control(def, "description_label", "透明标签3", Kind::Label, "panel", 12, 58, 294, 50);
    add_control(def, "support_label", "透明标签4", Kind::Label, "panel", 12, 112, 294, 16,
                kSupportText);
    add_control(def, "maker_label", "透明标签5", Kind::Label, "panel", 12, 134, 294, 16,
                kMakerLine);
    add_picture_button(def, "ok_button", "按钮1", "panel", 118, 160, 82, 26, "确定(C)", "btn_ok");
    return def;
}

WindowDef make_help_window_def() {
    WindowDef def = dialog_window(kHelpWindowName, 460, 485, "帮助", true);
    add_control(def, "guide_edit", "编辑框1", Kind::Edit, "panel", 8, 8, 424, 383, kHelpGuide)
        .flags = kMultiLine | kReadOnly | kVScroll;
    add_picture_button(def, "parameters_button", "按钮2", "panel", 8, 403, 140, 26,
                       "命令行参数调用说明", "btn_parameter_help");
    add_picture_button(def, "ok_button", "按钮1", "panel", 350, 403, 82, 26, "确定(C)", "btn_ok");
    return def;
}

WindowDef make_parameter_help_window_def() {
    WindowDef def = dialog_window(kParameterHelpWindowName, 440, 363, "调用参数说明", true);
    add_control(def, "parameters_edit", "编辑框1", Kind::Edit, "panel", 8, 8, 408, 263,
                kParameterHelp)
        .flags = kMultiLine | kReadOnly | kVScroll;
    add_picture_button(def, "ok_button", "按钮1", "panel", 334, 283, 82, 26, "确定(C)", "btn_ok");
    return def;
}

WindowDef make_pe_only_notice_window_def() {
    WindowDef def = dialog_window(kPeOnlyNoticeWindowName, 414, 265, "提示", true);
    add_control(def, "notice_icon", "图片框3", Kind::Image, "panel", 8, 8, 48, 48).picture =
        "notice_mark";
    add_control(def, "notice_label", "透明标签1", Kind::Label, "panel", 64, 8, 324, 128,
                kPeOnlyNotice);
    add_control(def, "advert_label", "透明标签2", Kind::Label, "panel", 64, 140, 324, 16,
                "可提供付费定制版本，价格请咨询示例工作室（示例）。");
    add_control(def, "contact_label", "透明标签3", Kind::Label, "panel", 64, 160, 200, 16,
                "电话：000-0000-0000（示例）");
    add_control(def, "contact_link_label", "透明标签4", Kind::Label, "panel", 272, 160, 80, 16,
                "联系作者");
    add_picture_button(def, "ok_button", "按钮1", "panel", 157, 188, 82, 26, "确定(C)", "btn_ok");
    return def;
}

Window* live(const char* name) {
    Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return nullptr;
    Window* window = runtime->find(name);
    return window != nullptr && window->alive() ? window : nullptr;
}

void set_ghost_restore_window_topmost(bool on) {
    if (!g_automatic_mode) return;
    if (Window* restore = live(kGhostRestoreWindowName)) restore->set_topmost(on);
}

void open_modal(const WindowDef& def, Window* parent) {
    if (Runtime* runtime = os::os().ui) runtime->open_modal(def, parent);
}

// Modal with MainWindow as parent, or without one in automatic mode (after taking the Ghost
// restore window off always-on-top).
void open_over_main_window(const WindowDef& def) {
    if (g_automatic_mode) {
        lower_ghost_restore_window();
        open_modal(def, nullptr);
    } else {
        open_modal(def, main_window());
    }
}

void set_background(Event& event) {
    event.window->set_picture("panel", kDialogBackground);
}

void close_restoring_topmost(Event& event) {
    raise_ghost_restore_window();
    event.window->close();
}

void close_parameter_help(Event& event) {
    if (g_end_after_help) {
        end_program(0);
        return;
    }
    raise_ghost_restore_window();
    event.window->close();
}

// However the window goes away: with the wrong-option flag, or the notice outside Windows PE,
// the program must not go on.
void on_parameter_help_destroyed(Event&) {
    if (g_end_after_help) end_program(0);
}

void on_pe_only_notice_destroyed(Event&) {
    end_program(0);
}

}  // namespace

const WindowDef& about_window_def() {
    static const WindowDef def = make_about_window_def();
    return def;
}

const WindowDef& help_window_def() {
    static const WindowDef def = make_help_window_def();
    return def;
}

const WindowDef& parameter_help_window_def() {
    static const WindowDef def = make_parameter_help_window_def();
    return def;
}

const WindowDef& pe_only_notice_window_def() {
    static const WindowDef def = make_pe_only_notice_window_def();
    return def;
}

void lower_ghost_restore_window() {
    set_ghost_restore_window_topmost(false);
}
void raise_ghost_restore_window() {
    set_ghost_restore_window_topmost(true);
}

void open_about_window(Event&) {
    open_over_main_window(about_window_def());
}

void open_parameter_help_from_menu(Event&) {
    open_over_main_window(parameter_help_window_def());
}

void open_help_from_menu(Event&) {
    lower_ghost_restore_window();
    open_modal(help_window_def(), nullptr);
}

void on_help_window_parameters_clicked(Event&) {
    open_modal(parameter_help_window_def(), main_window());
}

void open_help_window() {
    open_modal(help_window_def(), nullptr);
}
void open_parameter_help_window() {
    open_modal(parameter_help_window_def(), nullptr);
}
void open_pe_only_notice_window() {
    open_modal(pe_only_notice_window_def(), nullptr);
}

std::string customisation_notice_text() {
    return "本软件可提供付费定制版本：名称、图标和功能均可按需调整。\r\n"
           "联系方式：示例工作室  电话：000-0000-0000（示例）";
}

void show_customisation_notice(Event&) {
    lower_ghost_restore_window();
    os::os().notices->message_box(customisation_notice_text(), "定制软件", os::kIconInfo);
    raise_ghost_restore_window();
}

std::string about_welcome_text(const std::string& file_version) {
    return "欢迎使用 " + product_title() + " V" + short_version(file_version);
}

void show_about(Event& event) {
    Window& about = *event.window;
    set_background(event);
    about.set_text("title_label", product_title());
    about.set_text("welcome_label", about_welcome_text(program_file_version()));
    about.set_text("description_label",
                   product_title() +
                       "是一款Windows XP至Windows 10的系统安装工具，能识别各种Windows安装文件，"
                       "无需安装知识即可使用。");
}

void help_window_load(Event& event) {
    set_background(event);
}
void parameter_help_window_load(Event& event) {
    set_background(event);
}
// The maker's web page is not carried by this edition, so nothing is opened here.
void pe_only_notice_window_load(Event& event) {
    set_background(event);
}

void on_about_ok_clicked(Event& event) {
    close_restoring_topmost(event);
}
void on_about_close_clicked(Event& event) {
    close_restoring_topmost(event);
}
void on_help_window_ok_clicked(Event& event) {
    close_restoring_topmost(event);
}
void on_help_window_close_clicked(Event& event) {
    close_restoring_topmost(event);
}
void on_parameter_help_ok_clicked(Event& event) {
    close_parameter_help(event);
}
void on_parameter_help_close_clicked(Event& event) {
    close_parameter_help(event);
}
void on_pe_only_notice_ok_clicked(Event&) {
    end_program(0);
}
void on_pe_only_notice_close_clicked(Event&) {
    end_program(0);
}

void bind_info_window_handlers() {
    const std::string main = kMainWindowName;
    bind_handler(main, "main_menu_about", EventKind::Menu, open_about_window);
    bind_handler(main, "main_menu_help", EventKind::Menu, open_help_from_menu);
    bind_handler(main, "main_menu_parameter_help", EventKind::Menu, open_parameter_help_from_menu);
    bind_handler(main, "main_menu_customisation", EventKind::Menu, show_customisation_notice);

    const std::string about = kAboutWindowName;
    bind_handler(about, "", EventKind::Created, show_about);
    bind_handler(about, "ok_button", EventKind::Click, on_about_ok_clicked);
    bind_handler(about, "close_button", EventKind::Click, on_about_close_clicked);

    const std::string help = kHelpWindowName;
    bind_handler(help, "", EventKind::Created, help_window_load);
    bind_handler(help, "parameters_button", EventKind::Click, on_help_window_parameters_clicked);
    bind_handler(help, "ok_button", EventKind::Click, on_help_window_ok_clicked);
    bind_handler(help, "close_button", EventKind::Click, on_help_window_close_clicked);

    const std::string parameters = kParameterHelpWindowName;
    bind_handler(parameters, "", EventKind::Created, parameter_help_window_load);
    bind_handler(parameters, "ok_button", EventKind::Click, on_parameter_help_ok_clicked);
    bind_handler(parameters, "close_button", EventKind::Click, on_parameter_help_close_clicked);
    bind_handler(parameters, "", EventKind::Destroyed, on_parameter_help_destroyed);

    const std::string notice = kPeOnlyNoticeWindowName;
    bind_handler(notice, "", EventKind::Created, pe_only_notice_window_load);
    bind_handler(notice, "ok_button", EventKind::Click, on_pe_only_notice_ok_clicked);
    bind_handler(notice, "close_button", EventKind::Click, on_pe_only_notice_close_clicked);
    bind_handler(notice, "", EventKind::Destroyed, on_pe_only_notice_destroyed);
}

}  // namespace qv::ui
