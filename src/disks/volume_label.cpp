#include "disks/volume_label.h"

#include "disks/disk_manager.h"
#include "disks/partition_info.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "ui/dialog_def.h"

namespace qv {

std::string g_old_volume_label;

namespace {

ui::WindowDef make_volume_label_window_def() {
    using ui::Kind;
    ui::WindowDef def = ui::dialog_window(kVolumeLabelWindowName, 232, 153, "更改卷标", true);
    for (ui::ControlDef& c : def.controls)
        if (c.role == "caption_label") c.unit = "透明标签3";
    ui::add_control(def, "old_label_label", "透明标签1", Kind::Label, "panel", 8, 8, 192, 24,
                    "原卷标：");
    ui::add_control(def, "new_label_caption", "透明标签2", Kind::Label, "panel", 8, 40, 48, 24,
                    "新卷标：");
    ui::add_control(def, "new_label_edit", "编辑框1", Kind::Edit, "panel", 56, 40, 144, 24);
    ui::add_picture_button(def, "ok_button", "按钮2", "panel", 8, 80, 82, 26, "确定(C)", "btn_ok");
    ui::add_picture_button(def, "cancel_button", "按钮1", "panel", 120, 80, 82, 26, "取消",
                           "btn_cancel");
    return def;
}

std::string main_text(const char* role) {
    ui::Window* main = ui::main_window();
    return main != nullptr ? main->text(role) : std::string();
}

}  // namespace

const ui::WindowDef& volume_label_window_def() {
    static const ui::WindowDef def = make_volume_label_window_def();
    return def;
}

std::string old_label_line(const std::string& label) {
    return label.empty() ? "原卷标： 无" : "原卷标： " + label;
}

std::string label_changed_text(const std::string& caption) {
    return "更改 " + caption + " 的卷标成功！";
}

std::string label_not_changed_text(const std::string& caption) {
    return "更改 " + caption + " 的卷标失败！";
}

void open_volume_label_window(ui::Event& event) {
    if (existing_selected_drive(*event.window).empty()) return;
    os::os().ui->open_modal(volume_label_window_def(), event.window);
}

void volume_label_window_load(ui::Event& event) {
    ui::Window& w = *event.window;
    w.set_picture("panel", ui::kDialogBackground);
    g_old_volume_label = g_disk.get_volume_label(main_text("selected_drive_label"));
    w.set_text("old_label_label", old_label_line(g_old_volume_label));
}

// The window stays open and shows the label it was opened with; the list is not refreshed.
void change_volume_label(ui::Event& event) {
    std::string root = main_text("selected_drive_label");
    std::string caption = main_text("selected_caption_label");
    if (g_disk.set_volume_label(root, event.window->text("new_label_edit")))
        os::os().notices->message_box(label_changed_text(caption), "提示", os::kIconInfo);
    else
        os::os().notices->message_box(label_not_changed_text(caption), "提示", os::kIconError);
}

void on_volume_label_cancel_clicked(ui::Event& event) {
    event.window->close();
}
void on_volume_label_close_clicked(ui::Event& event) {
    event.window->close();
}

void bind_volume_label_handlers() {
    ui::bind_handler(ui::kMainWindowName, "disk_menu_volume_label", ui::EventKind::Menu,
                     open_volume_label_window);
    const std::string w = kVolumeLabelWindowName;
    ui::bind_handler(w, "", ui::EventKind::Created, volume_label_window_load);
    ui::bind_handler(w, "ok_button", ui::EventKind::Click, change_volume_label);
    ui::bind_handler(w, "cancel_button", ui::EventKind::Click, on_volume_label_cancel_clicked);
    ui::bind_handler(w, "close_button", ui::EventKind::Click, on_volume_label_close_clicked);
}

}  // namespace qv
