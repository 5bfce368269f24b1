#include "jobs/virtual_drive.h"

#include <map>

#include "base/helpers.h"
#include "base/power.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "disks/drive_facts.h"
#include "images/image_list.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv {

std::string g_iso_mount_letter;

namespace {

constexpr const char* kCaption = "Quennix虚拟光驱内嵌版";
constexpr const char* kAutomaticCaption = "Quennix虚拟光驱";
constexpr const char* kIsoCombo = "iso_combo";
constexpr const char* kLetterCombo = "letter_combo";

const char* const kLockedControls[] = {kIsoCombo,      "browse_button", "exit_button",
                                       "mount_button", "open_button",   kLetterCombo};

// Upper-case drive letter -> the ISO file mounted there by this run.
std::map<char, std::string> g_mounted_isos;

char drive_letter_of(const std::string& path) {
    if (path.empty()) return '\0';
    char c = upper_ascii(path.substr(0, 1))[0];
    return c >= 'A' && c <= 'Z' ? c : '\0';
}

std::string current_item(const ui::Window& w, const std::string& role) {
    return w.item_text(role, w.selected(role));
}

void set_locked(ui::Window& w, bool locked) {
    for (const char* role : kLockedControls) w.set_enabled(role, !locked);
}

ui::WindowDef make_virtual_drive_window_def() {
    using ui::Kind;
    ui::WindowDef def = ui::dialog_window(kVirtualDriveWindowName, 438, 156, kCaption, true);
    for (ui::ControlDef& c : def.controls) {
        if (c.role == "caption_label") c.unit = "透明标签3";
        // The window is lower than the shared skin's title band allows for: the inner box starts
        // just below the caption so that the lowest button stays inside it.
        if (c.role == "panel") {
            c.y = 24;
            c.h = 130;
        }
    }
    const std::string p = "panel";
    // The inner box starts below the caption, which leaves less room below the rows than the
    // window's height suggests: the rows sit kRaise pixels higher than their nominal places, so
    // that the lowest button keeps clear of the window's bottom edge.
    constexpr int kRaise = 6;
    ui::add_control(def, "iso_caption_label", "透明标签1", Kind::Label, p, 8, 8 - kRaise, 168, 24,
                    "请选择要加载的光盘镜像文件：");
    ui::add_control(def, kIsoCombo, "组合框1", Kind::DropList, p, 8, 32 - kRaise, 328, 20);
    ui::add_picture_button(def, "browse_button", "按钮1", p, 343, 31 - kRaise, 74, 26, "浏览(B)",
                           "btn_browse");
    // The letter combo starts far enough right to leave the caption before it room for its text
    // in the program's face.
    ui::add_control(def, "letter_caption_label", "透明标签2", Kind::Label, p, 8, 75 - kRaise, 96,
                    16, "虚拟光驱光盘：");
    ui::add_control(def, kLetterCombo, "组合框2", Kind::DropList, p, 104, 72 - kRaise, 72, 20);
    ui::add_picture_button(def, "mount_button", "按钮3", p, 256, 72 - kRaise, 74, 26, "加载(M)",
                           "btn_mount");
    ui::add_picture_button(def, "exit_button", "按钮2", p, 344, 72 - kRaise, 74, 26, "退出(X)",
                           "btn_exit_small");
    ui::add_picture_button(def, "open_button", "按钮4", p, 176, 104 - kRaise, 82, 26, "打开光驱(O)",
                           "btn_open_drive");
    ui::ControlDef& dialog = ui::add_control(def, "iso_dialog", "通用对话框1", Kind::OpenDialog, "",
                                             0, 0, 0, 0, "请选择光盘镜像文件");
    dialog.filter = "光盘镜像文件(*.ISO)|*.iso";
    dialog.visible = false;
    return def;
}

void leave_virtual_drive_window(ui::Window& w) {
    if (g_automatic_mode)
        end_program(0);
    else
        w.close();
}

}  // namespace

std::string virtual_drive_mount_command(const std::string& letter, const std::string& iso_path) {
    return "ISO.exe /D:" + letter + " /I:" + iso_path;
}

std::string virtual_drive_window_mount_command(const std::string& letter,
                                               const std::string& iso_path) {
    return "ISO.exe /D:" + letter + ":\\  /I:" + iso_path;
}

std::string list_mount_explorer_command(const std::string& letter) {
    return "explorer.exe " + letter + ":\\ ";
}

std::string drive_explorer_command(const std::string& letter) {
    return "EXPLORER.EXE " + letter + ":\\ ";
}

void remember_mounted_iso(const std::string& letter, const std::string& iso_path) {
    char key = drive_letter_of(letter);
    if (key == '\0') return;
    auto earlier = g_mounted_isos.find(key);
    bool replaced =
        earlier != g_mounted_isos.end() && !equals_ignore_case(earlier->second, iso_path);
    g_mounted_isos[key] = iso_path;
    // What the image combo took from the replaced disc names files that are gone: a restore of
    // such an entry would read the other disc, or nothing.
    if (replaced)
        if (ui::Window* main = ui::main_window()) ui::drop_images_on_drive(*main, letter);
}

std::string mounted_iso_behind(const std::string& path) {
    auto found = g_mounted_isos.find(drive_letter_of(path));
    return found == g_mounted_isos.end() ? std::string() : found->second;
}

bool source_lies_on_drive(const std::string& source, const std::string& target_root) {
    char target = drive_letter_of(target_root);
    if (target == '\0') return false;
    if (drive_letter_of(source) == target) return true;
    std::string iso = mounted_iso_behind(source);
    return !iso.empty() && drive_letter_of(iso) == target;
}

const ui::WindowDef& virtual_drive_window_def() {
    static const ui::WindowDef def = make_virtual_drive_window_def();
    return def;
}

void open_virtual_drive_window() {
    ui::Runtime* runtime = os::os().ui;
    if (runtime == nullptr) return;
    runtime->open_modal(virtual_drive_window_def(), g_automatic_mode ? nullptr : ui::main_window());
}

void mount_iso_from_list(ui::Window& main) {
    std::string letter = free_mount_letter();
    if (letter.empty())
        ui::show_notice(kNoMountLetterMessage, os::kIconError);
    else
        g_iso_mount_letter = letter;
    const std::string& l = g_iso_mount_letter;
    g_iso_mounted = true;
    std::string iso = current_item(main, "found_images_list");
    ui::show_notice_balloon("正在加载 " + iso + " 到 " + l + ":\\ ，请稍后.....");
    ui::lock_ui();
    run_hidden(virtual_drive_mount_command(l, iso), true);
    remember_mounted_iso(l, iso);
    ui::unlock_ui();
    run_shown(list_mount_explorer_command(l), false);
    ui::show_notice_balloon("加载 " + iso + " 到 " + l + ":\\ 完成！");
}

void lock_virtual_drive_window(ui::Window& window) {
    set_locked(window, true);
}
void unlock_virtual_drive_window(ui::Window& window) {
    set_locked(window, false);
}

void on_virtual_drive_menu_chosen(ui::Event&) {
    open_virtual_drive_window();
}

void on_image_list_menu_mount_selected(ui::Event& event) {
    mount_iso_from_list(*event.window);
}

void virtual_drive_window_load(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_picture("panel", ui::kDialogBackground);
    if (g_automatic_mode) w.set_text("caption_label", kAutomaticCaption);
    w.clear_items(kLetterCombo);
    for (char c = 'A'; c <= 'Z'; ++c) {
        std::string letter(1, c);
        if (!drive_exists(letter)) w.add_item(kLetterCombo, letter + ":\\");
    }
    // The free letter nearest to Z.
    int count = w.item_count(kLetterCombo);
    if (count > 0) w.select(kLetterCombo, count - 1);
}

void choose_iso_for_virtual_drive(ui::Event& event) {
    ui::Window& w = *event.window;
    std::string path = w.run_file_dialog("iso_dialog");
    if (!path.empty()) w.add_item(kIsoCombo, path);
    if (w.item_count(kIsoCombo) > 0) w.select(kIsoCombo, 0);
}

void mount_iso(ui::Event& event) {
    ui::Window& w = *event.window;
    std::string iso = current_item(w, kIsoCombo);
    if (iso.empty()) {
        ui::show_notice("请选中要加载的光盘镜像文件！", os::kIconWarning);
        return;
    }
    std::string letter_text = current_item(w, kLetterCombo);
    if (letter_text.empty()) {
        ui::show_notice("请输入虚拟光驱盘符！", os::kIconWarning);
        return;
    }
    if (!file_exists(iso)) {
        ui::show_notice("未找到 " + iso, os::kIconWarning);
        return;
    }
    lock_virtual_drive_window(w);
    ui::show_notice_balloon("正在加载：" + iso);
    run_hidden(virtual_drive_window_mount_command(letter_text.substr(0, 1), iso), true);
    remember_mounted_iso(letter_text.substr(0, 1), iso);
    unlock_virtual_drive_window(w);
}

void open_drive_in_explorer(ui::Event& event) {
    std::string letter = current_item(*event.window, kLetterCombo).substr(0, 1);
    if (drive_exists(letter))
        run_shown(drive_explorer_command(letter), false);
    else
        ui::show_notice(letter + ":\\ 不存在！", os::kIconWarning);
}

void on_virtual_drive_exit_clicked(ui::Event& event) {
    leave_virtual_drive_window(*event.window);
}

void on_virtual_drive_close_clicked(ui::Event& event) {
    leave_virtual_drive_window(*event.window);
}

// A "/gq" run has no other window: however this one goes away, the program must not stay
// behind without one.
void on_virtual_drive_window_destroyed(ui::Event&) {
    if (g_automatic_mode) end_program(0);
}

void bind_virtual_drive_handlers() {
    const std::string main = ui::kMainWindowName;
    ui::bind_handler(main, "main_menu_virtual_drive", ui::EventKind::Menu,
                     on_virtual_drive_menu_chosen);
    ui::bind_handler(main, "list_menu_mount", ui::EventKind::Menu,
                     on_image_list_menu_mount_selected);

    const std::string w = kVirtualDriveWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, virtual_drive_window_load);
    ui::bind_handler(w, "", ui::EventKind::Destroyed, on_virtual_drive_window_destroyed);
    ui::bind_handler(w, "browse_button", ui::EventKind::Click, choose_iso_for_virtual_drive);
    ui::bind_handler(w, "mount_button", ui::EventKind::Click, mount_iso);
    ui::bind_handler(w, "open_button", ui::EventKind::Click, open_drive_in_explorer);
    ui::bind_handler(w, "exit_button", ui::EventKind::Click, on_virtual_drive_exit_clicked);
    ui::bind_handler(w, "close_button", ui::EventKind::Click, on_virtual_drive_close_clicked);
}

void reset_virtual_drive_state() {
    g_iso_mount_letter.clear();
    g_mounted_isos.clear();
}

}  // namespace qv
