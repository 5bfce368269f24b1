// A living window made from a window definition: a top-level window with one real child window
// per visible control. The methods of this class are spread over files by concern:
// win32_window.cpp (creation, window procedures, events, the window itself), window_controls.cpp
// (texts, states, items, rows), control_painting.cpp (pictures under transparent controls, skinned
// buttons and labels), menus.cpp, tray_icon.cpp, drop_target.cpp and file_dialogs.cpp.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "gdi.h"
#include "ui/runtime.h"

namespace qv::win32 {

class Win32Runtime;
class FileDropTarget;

// A window's text as code-page-936 bytes.
std::string text_of_window(HWND hwnd);
// The program's own small icon (the first icon group), or the system's application icon.
HICON program_icon_for_tray();

enum : UINT {
    kTrayMessage = WM_APP + 1,  // notification-area icon callbacks
    kDropMessage = WM_APP + 2,  // files dropped through OLE, handed over after the drag has ended
};

enum : int {
    kControlIdBase = 1000,  // control ids: base + index in the definition
    kMenuIdBase = 0x4000,   // menu command ids: base + index over all items of all menus
};

struct ControlState {
    const ui::ControlDef* def = nullptr;
    HWND hwnd = nullptr;  // null for controls without a window (timers, dialogs, tray, drop)
    int container = -1;   // index of the containing picture box; -1 = the window itself
    std::string picture;
    std::string text;       // controls without a window: their text (the tray icon's tip)
    std::string filter;     // file dialogs: the filter and the file name they open with; the
    std::string file_name;  // title is `text`
    std::string folder;     // file dialogs: the folder they open in
    bool enabled = true;    // controls without a window: their own flags
    bool visible = true;
    bool hot = false;  // picture buttons: the mouse is over the button
    bool timer_running = false;
    bool auto_size =
        false;              // labels, check boxes and radios defined without a size fit their text
    bool building = false;  // being created: a definition whose containers form a ring ends here
    ATOM unit_atom = 0;     // the unit name as a global atom, the window property for automation
};

struct MenuItemState {
    int menu = 0;
    int item = 0;
    bool checked = false;
    bool hidden = false;
};

// The composed pictures of a window (window face, picture boxes, images) in window client
// coordinates. Transparent controls paint their background from it.
struct Backdrop {
    Bitmap bitmap;
    MemoryDc dc;
    Brush brush;
    int w = 0;
    int h = 0;
    bool dirty = true;
};

class Win32Window : public ui::Window {
public:
    Win32Window(Win32Runtime& runtime, const ui::WindowDef& def);
    ~Win32Window() override;

    // Creates the window and its controls (hidden); false when the window cannot be created.
    bool create(HWND owner);
    // Raises Created, then shows the window unless the handler hid or closed it.
    void run_created_and_show();
    // A modal window disables its owner until it goes away.
    void set_modal_owner(HWND owner);
    void release_modal_owner();
    // Destroys the window without raising events (the runtime going away).
    void destroy_silently();

    HWND hwnd() const { return hwnd_; }
    int control_index(const std::string& role) const;
    int control_index_by_unit(const std::string& unit) const;
    const ControlState& control_at(int index) const {
        return controls_[static_cast<size_t>(index)];
    }
    int control_count() const { return static_cast<int>(controls_.size()); }
    HMENU menu_handle(const std::string& menu_role) const;
    // The command id of the first menu item with that caption ("菜单 > 关    于(&G)" may name the
    // menu and submenu heads first); 0 when there is none.
    int menu_command_by_caption(const std::string& path) const;
    // Hands dropped files to the Drop handler when the window accepts files.
    void deliver_drop(std::vector<std::string> files);

    // ui::Window
    const ui::WindowDef& def() const override { return def_; }
    bool alive() const override;
    void set_caption(const std::string& text) override;
    std::string caption() const override;
    void set_size(int w, int h) override;
    ui::Rect rect() const override;
    void show() override;
    void hide() override;
    void minimize() override;
    bool visible() const override;
    void set_topmost(bool topmost) override;
    void close() override;
    void set_text(const std::string& role, const std::string& text) override;
    std::string text(const std::string& role) const override;
    void append_text(const std::string& role, const std::string& text) override;
    void set_checked(const std::string& role, bool on) override;
    bool checked(const std::string& role) const override;
    void set_enabled(const std::string& role, bool on) override;
    bool enabled(const std::string& role) const override;
    void set_visible(const std::string& role, bool on) override;
    bool control_visible(const std::string& role) const override;
    void move_control(const std::string& role, int x, int y) override;
    void resize_control(const std::string& role, int w, int h) override;
    ui::Rect control_rect(const std::string& role) const override;
    void set_picture(const std::string& role, const std::string& picture) override;
    std::string picture(const std::string& role) const override;
    void set_focus(const std::string& role) override;
    int add_item(const std::string& role, const std::string& text) override;
    void add_items(const std::string& role, const std::vector<std::string>& texts) override;
    void remove_item(const std::string& role, int index) override;
    void clear_items(const std::string& role) override;
    int item_count(const std::string& role) const override;
    std::string item_text(const std::string& role, int index) const override;
    int selected(const std::string& role) const override;
    void select(const std::string& role, int index) override;
    void set_column_caption(const std::string& role, int column, const std::string& text) override;
    std::string column_caption(const std::string& role, int column) const override;
    int add_row(const std::string& role, const std::vector<std::string>& cells) override;
    void clear_rows(const std::string& role) override;
    int row_count(const std::string& role) const override;
    std::string cell(const std::string& role, int row, int column) const override;
    int selected_row(const std::string& role) const override;
    void select_row(const std::string& role, int row) override;
    void set_menu_checked(const std::string& item, bool on) override;
    bool menu_checked(const std::string& item) const override;
    void set_menu_visible(const std::string& item, bool on) override;
    bool menu_visible(const std::string& item) const override;
    void popup_menu(const std::string& menu, int x, int y) override;
    void set_progress(const std::string& role, int percent) override;
    int progress(const std::string& role) const override;
    std::string run_file_dialog(const std::string& role) override;
    void set_file_dialog(const std::string& role, const std::string& title,
                         const std::string& filter, const std::string& file_name) override;
    void set_dialog_folder(const std::string& role, const std::string& folder) override;
    void start_timer(const std::string& role, int interval_ms) override;
    void stop_timer(const std::string& role) override;
    bool timer_running(const std::string& role) const override;
    bool tray_add() override;
    void tray_remove() override;
    void set_tray_tip(const std::string& tip) override;
    bool tray_balloon(const std::string& title, const std::string& text, int icon,
                      int timeout_ms) override;
    void set_drop_enabled(bool on) override;
    bool register_hotkey(int id, unsigned modifiers, unsigned key) override;
    void listen_for_device_changes() override;

private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK picture_box_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK control_subclass_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                                  UINT_PTR id, DWORD_PTR data);
    friend class Win32Runtime;

    LRESULT handle_message(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle_picture_box_message(HWND box, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT handle_subclassed_message(HWND control, int index, UINT msg, WPARAM wp, LPARAM lp);
    // Messages that controls send to their container, whichever window contains them.
    bool handle_child_message(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    void on_command(int index, int code);
    void on_notify(const NMHDR& header);
    void on_destroy();
    void on_nc_destroy();

    bool raise(ui::Event& event);
    void raise_simple(ui::EventKind kind, const std::string& role, int index = -1);

    // Creation (win32_window.cpp).
    void create_control(int index);
    void fit_to_text(int index);
    void fill_list_view_columns(int index);
    void put_pictures_at_the_bottom();

    // Lookups.
    const ControlState* control(const std::string& role) const;
    ControlState* control(const std::string& role);
    HWND control_hwnd(const std::string& role, ui::Kind kind) const;
    int index_of_hwnd(HWND hwnd) const;

    // Painting (control_painting.cpp).
    void invalidate_backdrop();
    void ensure_backdrop();
    void compose_backdrop();
    void compose_picture_control(HDC dc, int index);
    bool visible_in_tree(int index) const;
    POINT origin_in_window(HWND hwnd) const;
    void blit_backdrop(HDC dc, HWND target, const RECT& area);
    // Paint, erase and print-client of the window or a picture box, all drawn from the backdrop.
    bool paint_from_backdrop(HWND target, UINT msg, WPARAM wp, LRESULT* result);
    void paint_label(const DRAWITEMSTRUCT& item, int index);
    void paint_picture_button(const DRAWITEMSTRUCT& item, int index);
    LRESULT color_transparent_control(HDC dc, HWND control, int index);
    HFONT font_for(int index) const;

    // Menus (menus.cpp).
    void build_menus();
    void rebuild_menu(int menu);
    HMENU build_menu_level(int menu, size_t& item, int level);
    int menu_id(int menu, int item) const;
    const MenuItemState* menu_item_state_by_id(int id) const;
    const ui::MenuItemDef* menu_item_def(const MenuItemState& state) const;
    void choose_menu_command(int id);

    // Tray icon (tray_icon.cpp).
    void fill_tray_data();
    void remove_tray_icon();

    // Drop target (drop_target.cpp).
    void apply_drop_state();
    void revoke_drop();
    void on_drop_files(HDROP drop);

    Win32Runtime& runtime_;
    ui::WindowDef def_;
    HWND hwnd_ = nullptr;
    HWND modal_owner_ = nullptr;
    bool silent_ = false;
    bool in_created_ = false;
    bool hidden_in_created_ = false;
    std::vector<ControlState> controls_;
    std::map<std::string, int> roles_;
    Backdrop backdrop_;

    std::vector<MenuHandle> menus_;
    std::vector<int> menu_first_id_;
    std::vector<MenuItemState> menu_items_;
    bool tracking_menu_ = false;
    std::vector<bool> menu_needs_rebuild_;

    int tray_index_ = -1;
    bool tray_added_ = false;
    NOTIFYICONDATAW tray_data_{};

    FileDropTarget* drop_target_ = nullptr;
    bool drop_enabled_ = false;
    bool drop_registered_ = false;
    bool drop_accepting_files_ = false;
    std::vector<std::vector<std::string>> pending_drops_;

    std::vector<int> hotkeys_;
    bool listening_for_devices_ = false;
};

}  // namespace qv::win32
