#include <gtest/gtest.h>

#include <set>

#include "main_window/main_window_def.h"

namespace qv {
namespace {

TEST(MainWindowDef, EveryUnitOnceAndWorkFieldsOutOfSight) {
    const ui::WindowDef& def = ui::main_window_def();
    EXPECT_EQ(def.caption, "QuennixVelquistPE版 V1.7.3");
    EXPECT_EQ(def.w, 666);
    EXPECT_EQ(def.h, 448);
    std::set<std::string> units;
    for (const ui::ControlDef& c : def.controls) EXPECT_TRUE(units.insert(c.unit).second) << c.unit;
    for (const char* unit : {"透明标签2", "透明标签3", "透明标签4", "透明标签7", "透明标签9",
                             "编辑框3", "编辑框4", "列表框2"}) {
        const ui::ControlDef* field = nullptr;
        for (const ui::ControlDef& c : def.controls)
            if (c.unit == unit) field = &c;
        ASSERT_NE(field, nullptr) << unit;
        EXPECT_FALSE(field->visible) << unit;
        EXPECT_TRUE(field->parent.empty()) << unit;
        EXPECT_GE(field->y, def.h) << unit;
    }
}

TEST(MainWindowDef, OnlyTheConditionalMenuItemsStartHidden) {
    const ui::WindowDef& def = ui::main_window_def();
    std::vector<std::string> names, hidden;
    for (const ui::MenuDef& menu : def.menus) {
        names.push_back(menu.name);
        for (std::size_t i = 0; i < menu.items.size(); ++i) {
            const ui::MenuItemDef& item = menu.items[i];
            if (item.hidden) hidden.push_back(item.role);
            // A submenu opens under a head without a handler of its own.
            if (i > 0 && item.level > menu.items[i - 1].level) {
                EXPECT_TRUE(menu.items[i - 1].role.empty()) << menu.items[i - 1].caption;
                EXPECT_FALSE(menu.items[i - 1].caption.empty());
            }
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"菜单", "列表菜单", "磁盘"}));
    EXPECT_EQ(hidden, (std::vector<std::string>{"list_menu_mount", "list_menu_mount_separator",
                                                "disk_menu_remove_separator", "disk_menu_remove"}));
}

}  // namespace
}  // namespace qv
