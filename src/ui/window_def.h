// Windows as data: a window is a definition of its controls and menus. The runtime (Win32 or
// headless) turns a definition into a living window. Code names controls by role
// ("image_combo"); the definition also carries the unit name ("组合框1"), the name the window's
// layout gives the control, so that a reader can go from a control's unit to the code and back.
#pragma once

#include <string>
#include <vector>

namespace qv::ui {

enum class Kind {
    PictureBox,  // a container with a picture (PNG skin or JPEG background); drags the window when
                 // skin
    PictureButton,  // owner-drawn button: four pictures (normal, hot, pressed, disabled) in one
                    // strip
    Label,          // transparent label: text drawn over the parent's picture
    Radio,          // auto radio button; radios with the same container form one group
    Check,          // auto check box
    Edit,           // edit box (flags: multi-line, read-only, password)
    DropList,       // drop-down list combo
    ListBox,
    ListView,     // report list view; `items` are the column captions, `widths` their widths
    Image,        // a fixed picture (icon) without a role of its own
    TrayIcon,     // notification-area icon of the window; `caption` is its tip
    DropTarget,   // accepts files dropped on the window
    Timer,        // a window timer; started and stopped by code
    ProgressBar,  // a progress bar, 0 to 100
    OpenDialog,   // a file-open dialog: `caption` its title, `filter` and `default_ext`
    SaveDialog,   // a file-save dialog, the same fields
};

// Control flags.
enum : unsigned {
    kMultiLine = 1u << 0,
    kReadOnly = 1u << 1,
    kPassword = 1u << 2,
    kVScroll = 1u << 3,
    kSkin = 1u << 4,       // picture box that is the window's skin: pressing on it drags the window
    kBold = 1u << 5,       // label drawn in a bold face
    kWhiteText = 1u << 6,  // label drawn in white (on a dark skin)
    kLink = 1u << 7,       // label drawn as a link
};

struct ControlDef {
    std::string role;  // the name code uses
    std::string unit;  // the control's unit name in the window's layout ("组合框1")
    Kind kind = Kind::Label;
    std::string parent;  // role of the container; empty = the window itself
    int x = 0, y = 0, w = 0, h = 0;
    std::string caption;  // window text; for picture buttons the caption drawn in their picture
    std::vector<std::string> items;  // combo and list items, list-view column captions
    std::vector<int> widths;         // list-view column widths
    std::string picture;  // picture name (see pictures.h); buttons: a strip of four states
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    int selected = -1;  // initial item of a combo or list
    unsigned flags = 0;
    std::string filter;       // dialogs: description|pattern pairs separated by '|'
    std::string default_ext;  // dialogs: ".Gho"
};

struct MenuItemDef {
    std::string role;     // empty for separators and submenu heads without a handler
    std::string caption;  // empty = separator
    int level = 0;        // 0 = top level; 1 = inside the submenu opened by the item above it
    bool hidden = false;
};

struct MenuDef {
    std::string name;  // "菜单"
    std::string role;  // "main_menu"
    std::vector<MenuItemDef> items;
};

struct WindowDef {
    std::string name;  // "MainWindow"
    int w = 0, h = 0;
    std::string caption;
    bool frameless = true;  // skinned: no standard frame is drawn
    std::vector<ControlDef> controls;
    std::vector<MenuDef> menus;

    const ControlDef* control(const std::string& role) const;
    const MenuItemDef* menu_item(const std::string& role) const;
    const MenuDef* menu(const std::string& role) const;
};

// Appends a control and returns it; the reference is good until the next control is added.
ControlDef& add_control(std::vector<ControlDef>& controls, std::string role, std::string unit,
                        Kind kind, std::string parent, int x, int y, int w, int h,
                        std::string caption = {});
ControlDef& add_control(WindowDef& def, std::string role, std::string unit, Kind kind,
                        std::string parent, int x, int y, int w, int h, std::string caption = {});
// A window timer: no place on screen, never shown.
ControlDef& add_timer(std::vector<ControlDef>& controls, std::string role, std::string unit);
ControlDef& add_timer(WindowDef& def, std::string role, std::string unit);

}  // namespace qv::ui
