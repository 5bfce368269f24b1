#include "jobs/imagex_apply_window.h"

#include "jobs/imagex_apply.h"
#include "jobs/imagex_job.h"
#include "jobs/wim_editions.h"
#include "ui/dialog_def.h"

namespace qv {
namespace {

void set_button_pictures(ui::Window& w, const std::string& button, const char* picture,
                         const char* caption) {
    w.set_picture(button, picture);
    w.set_text(button, caption);
}

ui::WindowDef make_imagex_apply_window_def() {
    using ui::Kind;
    ui::WindowDef def =
        ui::dialog_window(kImagexApplyWindowName, 440, 241, kImagexWindowCaption, false);
    def.controls.reserve(40);
    const std::string p = "panel";
    ui::add_control(def, "title_label", "透明标签1", Kind::Label, p, 80, 8, 334, 16);
    ui::add_control(def, "hint_label", "透明标签2", Kind::Label, p, 80, 28, 334, 16,
                    "点击“确定(&C)”立即开始，点击“取消(&X)”返回主界面。");
    ui::add_control(def, "edition_caption_label", "透明标签3", Kind::Label, p, 8, 54, 100, 16,
                    "请选择系统版本：");
    ui::add_control(def, "edition_combo", "组合框1", Kind::DropList, p, 108, 50, 306, 24);
    ui::add_control(def, "format_caption_label", "透明标签4", Kind::Label, p, 8, 82, 64, 16,
                    "分区格式：");
    ui::ControlDef* c =
        &ui::add_control(def, "format_combo", "组合框2", Kind::DropList, p, 72, 78, 100, 24);
    c->items = {"手动 Format", "自动 NTFS", "自动 FAT32", "跳过 None"};
    c->selected = kFormatNtfs;
    c = &ui::add_control(def, "add_boot_check", "选择框1", Kind::Check, p, 182, 82, 76, 16,
                         "添加引导：");
    c->checked = true;
    c = &ui::add_control(def, "boot_mode_combo", "组合框3", Kind::DropList, p, 258, 78, 84, 24);
    c->items = {"自动 Auto", "跳过 None"};
    c->selected = 0;
    c = &ui::add_control(def, "unattended_check", "选择框2", Kind::Check, p, 348, 82, 70, 16,
                         "无人值守");
    c->checked = true;
    ui::add_control(def, "progress_caption_label", "透明标签5", Kind::Label, p, 8, 110, 64, 16,
                    "还原进度：");
    c = &ui::add_control(def, "percent_label", "透明标签6", Kind::Label, p, 72, 110, 40, 16,
                         kImagexZeroPercent);
    c->visible = false;
    ui::add_control(def, "elapsed_label", "透明标签7", Kind::Label, p, 120, 110, 140, 16,
                    "已用时间：00:00:00");
    ui::add_control(def, "remaining_label", "透明标签8", Kind::Label, p, 270, 110, 144, 16,
                    kImagexRemainingReset);
    ui::add_control(def, "progress_bar", "进度条1", Kind::ProgressBar, p, 8, 132, 408, 18);
    ui::add_control(def, "status_label", "透明标签9", Kind::Label, p, 8, 172, 232,
                    kImagexApplyStatusHeight);
    ui::add_picture_button(def, "ok_button", "图形按钮1", p, 248, 166, 82, 26, "确定(C)", "btn_ok");
    ui::add_picture_button(def, "cancel_button", "图形按钮2", p, 334, 166, 82, 26, "取消(X)",
                           "btn_job_stopped");
    add_imagex_console_box(def, "编辑框1");
    add_imagex_run_timers(def);
    ui::add_timer(def, "image_watch_timer", "时钟4");
    ui::add_timer(def, "disc_watch_timer", "时钟5");
    return def;
}

}  // namespace

const ui::WindowDef& imagex_apply_window_def() {
    static const ui::WindowDef def = make_imagex_apply_window_def();
    return def;
}

void set_apply_running_pictures(ui::Window& window, const std::string& button) {
    set_button_pictures(window, button, "btn_job_running", "停止(X)");
}

void set_apply_done_pictures(ui::Window& window, const std::string& button) {
    set_button_pictures(window, button, "btn_job_done", "完成(X)");
}

void set_apply_stopped_pictures(ui::Window& window, const std::string& button) {
    set_button_pictures(window, button, "btn_job_stopped", "取消(X)");
}

}  // namespace qv
