#include "ui/window_def.h"

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

}  // namespace qv::ui
