// The popup menus of a window. Each menu of the definition is built once into a popup menu and
// built again whenever an item is hidden or shown; check marks are set on the built menu and kept
// in the item's state, so a rebuilt menu keeps them.
#include <windows.h>

#include "encoding.h"
#include "win32_window.h"

namespace qv::win32 {

int Win32Window::menu_id(int menu, int item) const {
    return menu_first_id_[static_cast<size_t>(menu)] + item;
}

void Win32Window::build_menus() {
    menus_.clear();
    menu_first_id_.clear();
    menu_items_.clear();
    int next = kMenuIdBase;
    for (size_t m = 0; m < def_.menus.size(); ++m) {
        menu_first_id_.push_back(next);
        const auto& items = def_.menus[m].items;
        for (size_t i = 0; i < items.size(); ++i) {
            MenuItemState state;
            state.menu = static_cast<int>(m);
            state.item = static_cast<int>(i);
            state.hidden = items[i].hidden;
            menu_items_.push_back(state);
        }
        next += static_cast<int>(items.size());
    }
    menus_.resize(def_.menus.size());
    menu_needs_rebuild_.assign(def_.menus.size(), false);
    for (size_t m = 0; m < def_.menus.size(); ++m) rebuild_menu(static_cast<int>(m));
}

void Win32Window::rebuild_menu(int menu) {
    // A menu on screen must not be destroyed under the user: it is rebuilt after it closes.
    if (tracking_menu_) {
        menu_needs_rebuild_[static_cast<size_t>(menu)] = true;
        return;
    }
    size_t item = 0;
    menus_[static_cast<size_t>(menu)].reset(build_menu_level(menu, item, 0));
    menu_needs_rebuild_[static_cast<size_t>(menu)] = false;
}

HMENU Win32Window::build_menu_level(int menu, size_t& item, int level) {
    const auto& items = def_.menus[static_cast<size_t>(menu)].items;
    HMENU built = CreatePopupMenu();
    while (item < items.size() && items[item].level >= level) {
        const size_t self = item++;
        const ui::MenuItemDef& d = items[self];
        // The items one level deeper that follow an item form its submenu.
        HMENU submenu = item < items.size() && items[item].level > level
                            ? build_menu_level(menu, item, level + 1)
                            : nullptr;
        const MenuItemState& state =
            menu_items_[static_cast<size_t>(menu_id(menu, static_cast<int>(self)) - kMenuIdBase)];
        if (state.hidden) {
            if (submenu != nullptr) DestroyMenu(submenu);
            continue;
        }
        std::wstring caption = widen(d.caption);
        if (d.caption.empty()) {
            AppendMenuW(built, MF_SEPARATOR, 0, nullptr);
            if (submenu != nullptr) DestroyMenu(submenu);
        } else if (submenu != nullptr) {
            AppendMenuW(built, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                        caption.c_str());
        } else {
            UINT flags = MF_STRING | (state.checked ? MF_CHECKED : MF_UNCHECKED);
            AppendMenuW(built, flags, static_cast<UINT_PTR>(menu_id(menu, static_cast<int>(self))),
                        caption.c_str());
        }
    }
    return built;
}

const MenuItemState* Win32Window::menu_item_state_by_id(int id) const {
    int flat = id - kMenuIdBase;
    if (flat < 0 || flat >= static_cast<int>(menu_items_.size())) return nullptr;
    return &menu_items_[static_cast<size_t>(flat)];
}

const ui::MenuItemDef* Win32Window::menu_item_def(const MenuItemState& state) const {
    return &def_.menus[static_cast<size_t>(state.menu)].items[static_cast<size_t>(state.item)];
}

HMENU Win32Window::menu_handle(const std::string& menu_role) const {
    for (size_t m = 0; m < def_.menus.size(); ++m)
        if (def_.menus[m].role == menu_role) return menus_[m].get();
    return nullptr;
}

void Win32Window::set_menu_checked(const std::string& item, bool on) {
    if (item.empty()) return;
    for (size_t flat = 0; flat < menu_items_.size(); ++flat) {
        MenuItemState& state = menu_items_[flat];
        if (menu_item_def(state)->role != item) continue;
        state.checked = on;
        CheckMenuItem(menus_[static_cast<size_t>(state.menu)].get(),
                      static_cast<UINT>(kMenuIdBase + flat),
                      MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    }
}

bool Win32Window::menu_checked(const std::string& item) const {
    for (const MenuItemState& state : menu_items_)
        if (!item.empty() && menu_item_def(state)->role == item) return state.checked;
    return false;
}

void Win32Window::set_menu_visible(const std::string& item, bool on) {
    if (item.empty()) return;
    std::vector<bool> changed(menus_.size(), false);
    for (MenuItemState& state : menu_items_) {
        if (menu_item_def(state)->role != item || state.hidden == !on) continue;
        state.hidden = !on;
        changed[static_cast<size_t>(state.menu)] = true;
    }
    for (size_t m = 0; m < changed.size(); ++m)
        if (changed[m]) rebuild_menu(static_cast<int>(m));
}

bool Win32Window::menu_visible(const std::string& item) const {
    for (const MenuItemState& state : menu_items_)
        if (!item.empty() && menu_item_def(state)->role == item) return !state.hidden;
    return false;
}

void Win32Window::popup_menu(const std::string& menu, int x, int y) {
    HMENU handle = menu_handle(menu);
    if (handle == nullptr || !alive()) return;
    // Without the foreground the menu of a tray icon would not close when the user clicks
    // elsewhere; the posted WM_NULL lets the next popup open at once.
    SetForegroundWindow(hwnd_);
    tracking_menu_ = true;
    int chosen = static_cast<int>(
        TrackPopupMenu(handle, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y,
                       0, hwnd_, nullptr));
    tracking_menu_ = false;
    if (alive()) PostMessageW(hwnd_, WM_NULL, 0, 0);
    for (size_t m = 0; m < menu_needs_rebuild_.size(); ++m)
        if (menu_needs_rebuild_[m]) rebuild_menu(static_cast<int>(m));
    if (chosen != 0) choose_menu_command(chosen);
}

void Win32Window::choose_menu_command(int id) {
    const MenuItemState* state = menu_item_state_by_id(id);
    if (state == nullptr) return;
    const ui::MenuItemDef* d = menu_item_def(*state);
    if (d->role.empty()) return;
    raise_simple(ui::EventKind::Menu, d->role);
}

int Win32Window::menu_command_by_caption(const std::string& path) const {
    // "A > B > item": the last part is the item's caption, the parts before it name the menu or
    // the submenu heads above the item, outermost first.
    std::vector<std::string> parts;
    const std::string separator = " > ";
    size_t start = 0;
    for (size_t at; (at = path.find(separator, start)) != std::string::npos;
         start = at + separator.size())
        parts.push_back(path.substr(start, at - start));
    parts.push_back(path.substr(start));
    const std::string& caption = parts.back();
    for (size_t m = 0; m < def_.menus.size(); ++m) {
        const auto& items = def_.menus[m].items;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].caption != caption || items[i].caption.empty()) continue;
            // Only what the menu shows can be chosen: hidden items are not in the built menu.
            const int id = menu_id(static_cast<int>(m), static_cast<int>(i));
            if (GetMenuState(menus_[m].get(), static_cast<UINT>(id), MF_BYCOMMAND) ==
                static_cast<UINT>(-1))
                continue;
            // The chain of names above the item: menu name, then each head, outermost first.
            std::vector<std::string> chain;
            int level = items[i].level;
            for (size_t j = i; j-- > 0 && level > 0;)
                if (items[j].level < level) {
                    chain.insert(chain.begin(), items[j].caption);
                    level = items[j].level;
                }
            chain.insert(chain.begin(), def_.menus[m].name);
            // Each given qualifier must appear in the chain, in order.
            bool matches = true;
            for (size_t q = 0, f = 0; q + 1 < parts.size() && matches; ++q) {
                while (f < chain.size() && chain[f] != parts[q]) ++f;
                if (f == chain.size())
                    matches = false;
                else
                    ++f;
            }
            if (matches) return id;
        }
    }
    return 0;
}

}  // namespace qv::win32
