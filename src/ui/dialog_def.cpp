#include "ui/dialog_def.h"

#include <utility>

namespace qv::ui {
namespace {

constexpr int kTitleBand = 31;  // the skin's title band and the gap below it
constexpr int kMargin = 8;

}  // namespace

ControlDef& add_picture_button(WindowDef& def, std::string role, std::string unit,
                               std::string parent, int x, int y, int w, int h, std::string caption,
                               std::string picture) {
    ControlDef& c = add_control(def, std::move(role), std::move(unit), Kind::PictureButton,
                                std::move(parent), x, y, w, h, std::move(caption));
    c.picture = std::move(picture);
    return c;
}

WindowDef dialog_window(const std::string& name, int w, int h, const std::string& caption,
                        bool close_button) {
    WindowDef def;
    def.name = name;
    def.w = w;
    def.h = h;
    def.caption = caption;
    def.frameless = true;
    def.controls.reserve(16);
    const int skin_w = w - 2, skin_h = h - 2;
    ControlDef* c =
        &add_control(def, "skin", "图片框1", Kind::PictureBox, "", 1, 1, skin_w, skin_h);
    c->picture = "dialog_skin";
    c->flags = kSkin;
    c = &add_control(def, "caption_label", "标题标签", Kind::Label, "skin", 8, 5, skin_w - 48, 16,
                     caption);
    c->flags = kBold;
    // The background is set when the window is created.
    add_control(def, "panel", "图片框2", Kind::PictureBox, "skin", kMargin, kTitleBand,
                skin_w - 2 * kMargin, skin_h - kTitleBand - kMargin);
    if (close_button)
        add_picture_button(def, "close_button", "图形按钮1", "", w - 30, 1, 29, 24, "关闭",
                           "btn_close");
    return def;
}

}  // namespace qv::ui
