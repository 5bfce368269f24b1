#include "ui/window_def.h"

#include <utility>

namespace qv::ui {

const ControlDef* WindowDef::control(const std::string& role) const {
    for (const ControlDef& c : controls)
        if (c.role == role) return &c;
    return nullptr;
}

const MenuItemDef* WindowDef::menu_item(const std::string& role) const {
    if (role.empty()) return nullptr;
    for (const MenuDef& m : menus)
        for (const MenuItemDef& item : m.items)
            if (item.role == role) return &item;
    return nullptr;
}

const MenuDef* WindowDef::menu(const std::string& role) const {
    for (const MenuDef& m : menus)
        if (m.role == role) return &m;
    return nullptr;
}

ControlDef& add_control(std::vector<ControlDef>& controls, std::string role, std::string unit,
                        Kind kind, std::string parent, int x, int y, int w, int h,
                        std::string caption) {
    ControlDef c;
    c.role = std::move(role);
    c.unit = std::move(unit);
    c.kind = kind;
    c.parent = std::move(parent);
    c.x = x;
    c.y = y;
    c.w = w;
    c.h = h;
    c.caption = std::move(caption);
    controls.push_back(std::move(c));
    return controls.back();
}

ControlDef& add_control(WindowDef& def, std::string role, std::string unit, Kind kind,
                        std::string parent, int x, int y, int w, int h, std::string caption) {
    return add_control(def.controls, std::move(role), std::move(unit), kind, std::move(parent), x,
                       y, w, h, std::move(caption));
}

ControlDef& add_timer(std::vector<ControlDef>& controls, std::string role, std::string unit) {
    ControlDef& c =
        add_control(controls, std::move(role), std::move(unit), Kind::Timer, "", 0, 0, 0, 0);
    c.visible = false;
    return c;
}

ControlDef& add_timer(WindowDef& def, std::string role, std::string unit) {
    return add_timer(def.controls, std::move(role), std::move(unit));
}

}  // namespace qv::ui
