// A window runtime without windows: every control keeps its state in memory, events come from
// test helpers that do what a user does (click, select, choose a menu item, let time pass), and
// modal windows run a script that the test registers for them.
//
// Mistakes of the code under test fail the running test: a role the definition lacks, a call
// that does not fit the control's kind, a balloon text longer than the shell's field.
//
//   fakes::FakeOs os;
//   fakes::HeadlessRuntime ui(&os.clock);          // installs itself as os().ui
//   ui.on_modal("GhostRestoreWindow", [](ui::Window& w) { fakes::click(w, "ok_button"); });
//   ui::Window* main = ui.open(ui::main_window_def(), nullptr);
//   fakes::click(*main, "backup_radio");
//   ui.advance(500);                                 // due timers fire in order
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_os.h"
#include "ui/runtime.h"

namespace qv::fakes {

class HeadlessRuntime;

struct Balloon {
    std::string title;
    std::string text;
    int icon = 0;
    int timeout_ms = 0;
    bool accepted = false;  // the icon was in the notification area and the shell took it
};

struct Popup {
    std::string menu;  // the menu's role
    int x = 0, y = 0;
};

struct HotKey {
    int id = 0;
    unsigned modifiers = 0;
    unsigned key = 0;
};

struct DialogRun {
    std::string window;
    std::string role;
    std::string answer;  // empty: the user cancelled
    std::string title;   // what the dialog showed: its title, filter and starting file name
    std::string filter;
    std::string file_name;
    std::string folder;  // the folder it opened in
};

class HeadlessWindow : public ui::Window {
public:
    struct Control {
        const ui::ControlDef* def = nullptr;
        std::string text;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        ui::Rect rect;
        std::string picture;
        std::vector<std::string> items;
        int item_additions = 0;  // add_item and add_items calls: each a redraw of the list
        int selected = -1;
        std::vector<std::string> columns;
        std::vector<std::vector<std::string>> rows;
        int selected_row = -1;
        int progress = 0;
        std::string dialog_filter;  // dialogs: the title is `text`
        std::string dialog_file_name;
        std::string dialog_folder;
        bool timer_running = false;
        int timer_interval = 0;
        std::uint64_t timer_due = 0;
    };
    struct MenuItem {
        std::string menu;  // role of the menu that holds it
        bool checked = false;
        bool visible = true;
    };

    HeadlessWindow(HeadlessRuntime& runtime, const ui::WindowDef& def, HeadlessWindow* parent);

    // ui::Window
    const ui::WindowDef& def() const override { return def_; }
    bool alive() const override { return alive_; }
    void set_caption(const std::string& text) override;
    std::string caption() const override { return caption_; }
    void set_size(int w, int h) override;
    ui::Rect rect() const override { return rect_; }
    void show() override;
    void hide() override;
    void minimize() override;
    bool visible() const override { return visible_; }
    void set_topmost(bool topmost) override { topmost_ = topmost; }
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

    // What tests read and arrange.
    HeadlessRuntime& runtime() const { return runtime_; }
    HeadlessWindow* parent() const { return parent_; }
    bool has_control(const std::string& role) const { return controls_.count(role) != 0; }
    const Control& control(const std::string& role) const;
    int timer_interval(const std::string& role) const { return control(role).timer_interval; }
    bool has_menu_item(const std::string& item) const { return menu_items_.count(item) != 0; }
    const std::string& menu_of_item(const std::string& item) const;
    bool minimized() const { return minimized_; }
    const std::string& focused() const { return focused_; }  // role with the keyboard focus
    bool topmost() const { return topmost_; }
    bool drop_enabled() const { return drop_enabled_; }
    bool window_enabled() const { return window_enabled_; }  // false while a modal child runs
    bool tray_added() const { return tray_added_; }
    const std::string& tray_tip() const { return tray_tip_; }
    const std::vector<Balloon>& balloons() const { return balloons_; }
    const std::vector<Popup>& popups() const { return popups_; }
    const std::vector<HotKey>& hotkeys() const { return hotkeys_; }
    bool listening_for_device_changes() const { return device_changes_; }
    void place(int x, int y);  // moves the window on the screen

    // Delivers an event from this window through the handler table; false when none is bound.
    bool raise(ui::Event& event);
    bool raise(ui::EventKind kind, const std::string& role, int index = -1);

private:
    friend class HeadlessRuntime;

    Control* find(const std::string& role, const char* call);
    const Control* find(const std::string& role, const char* call) const;
    Control* find_kind(const std::string& role, const char* call,
                       std::initializer_list<ui::Kind> kinds);
    const Control* find_kind(const std::string& role, const char* call,
                             std::initializer_list<ui::Kind> kinds) const;
    MenuItem* find_item(const std::string& item, const char* call);
    const MenuItem* find_item(const std::string& item, const char* call) const;
    void note(const std::string& what);

    HeadlessRuntime& runtime_;
    const ui::WindowDef def_;  // a copy: the caller's definition may be a temporary
    HeadlessWindow* parent_;
    std::map<std::string, Control> controls_;
    std::vector<std::string> order_;  // roles in definition order (timers fire in this order)
    std::map<std::string, MenuItem> menu_items_;
    std::vector<std::string> menus_;  // roles of the menus
    std::string caption_;
    ui::Rect rect_;
    bool alive_ = true;
    bool closing_ = false;
    bool visible_ = false;
    bool hide_requested_ = false;
    bool minimized_ = false;
    bool topmost_ = false;
    bool window_enabled_ = true;
    bool drop_enabled_ = false;
    bool tray_added_ = false;
    std::string tray_tip_;
    std::string focused_;
    std::vector<Balloon> balloons_;
    std::vector<Popup> popups_;
    std::vector<HotKey> hotkeys_;
    bool device_changes_ = false;
};

class HeadlessRuntime : public ui::Runtime {
public:
    using Script = std::function<void(ui::Window&)>;

    // Installs itself as os().ui for its lifetime. With a clock, advance() moves it too.
    explicit HeadlessRuntime(ManualClock* clock = nullptr);
    ~HeadlessRuntime() override;
    HeadlessRuntime(const HeadlessRuntime&) = delete;
    HeadlessRuntime& operator=(const HeadlessRuntime&) = delete;

    // ui::Runtime
    ui::Window* open(const ui::WindowDef& def, ui::Window* parent) override;
    // Quitting: returns at once. Otherwise opens the window (its parent disabled meanwhile), runs
    // the script registered for it, then closes it if the script left it open; with no script
    // it closes at once, as a user closing it would.
    void open_modal(const ui::WindowDef& def, ui::Window* parent) override;
    ui::Window* find(const std::string& window_name) override;
    void pump() override;
    // Runs the run script (when set) and returns the exit code.
    int run() override;
    void quit(int exit_code) override;
    bool quitting() const override { return quitting_; }
    ui::Rect cursor() const override { return cursor_position; }

    // Scripts and answers.
    void on_modal(const std::string& window_name, Script script);
    void on_run(std::function<void()> script) { run_script_ = std::move(script); }
    // The next file dialogs answer these paths in order (empty = cancel); afterwards they cancel.
    void answer_file_dialog(const std::string& path) { dialog_answers_.push_back(path); }
    // The next popup menus choose these items in order; afterwards a popup chooses nothing.
    void answer_next_popup(const std::string& item) { popup_answers_.push_back(item); }

    // Switches of the simulated system.
    bool tray_add_succeeds = true;
    bool shell_accepts_balloons = true;
    bool hotkeys_succeed = true;
    ui::Rect cursor_position{300, 200, 0, 0};
    std::function<void()> pump_hook;
    std::function<void(HeadlessWindow&, const Balloon&)> balloon_hook;  // after recording

    // Time: timers due within `ms` fire in order of their due time.
    void advance(int ms);
    std::uint64_t now_ms() const { return now_ms_; }

    // Records.
    std::vector<HeadlessWindow*> windows() const;  // every window made, alive or not
    const std::vector<std::string>& modal_log() const { return modal_log_; }
    const std::vector<DialogRun>& dialog_runs() const { return dialog_runs_; }
    // One line per notable window call, "WindowName call detail", in the order they happened.
    const std::vector<std::string>& journal() const { return journal_; }
    // Index of the first journal line that contains `part`, or -1.
    int journal_index(const std::string& part) const;
    int exit_code() const { return exit_code_; }
    int pump_count() const { return pump_count_; }

private:
    friend class HeadlessWindow;

    std::vector<std::unique_ptr<HeadlessWindow>> windows_;
    std::map<std::string, Script> modal_scripts_;
    std::function<void()> run_script_;
    std::deque<std::string> dialog_answers_;
    std::deque<std::string> popup_answers_;
    std::vector<std::string> modal_log_;
    std::vector<DialogRun> dialog_runs_;
    std::vector<std::string> journal_;
    ManualClock* clock_;
    std::uint64_t now_ms_ = 0;
    bool quitting_ = false;
    int exit_code_ = 0;
    int pump_count_ = 0;
};

HeadlessWindow& headless(ui::Window& window);
const HeadlessWindow& headless(const ui::Window& window);
// The texts of the balloons the window showed, in order.
std::vector<std::string> balloon_texts(const ui::Window& window);
// The main window's hidden labels of the selected partition as choosing its row leaves them: the
// root, "disk:partition" and the caption root(disk:partition).
void set_selected_partition(ui::Window& main, const std::string& root,
                            const std::string& disk_partition);

// What a user can see and reach. `shown`: the control's own flag, every container's and the
// window's. `in_view`: shown and inside the visible area of each container (the panel clips).
bool shown(const ui::Window& window, const std::string& role);
bool in_view(const ui::Window& window, const std::string& role);

// What a user does. Each returns false, raising nothing, when the user could not do it (the
// control is hidden or disabled, the window is disabled or gone, the item is hidden, the timer
// is stopped, ...). Mouse events carry the runtime's cursor position.
// A check box toggles and a radio sets itself (clearing the other radios of its container)
// before Click is raised.
bool click(ui::Window& window, const std::string& role);
// Combo or list box: the item becomes current, then SelChange. A list view row: as select_row.
bool select(ui::Window& window, const std::string& role, int index);
// List view rows: the row becomes current (SelChange when it changed), then Click / DoubleClick.
bool click_row(ui::Window& window, const std::string& role, int row);
bool double_click(ui::Window& window, const std::string& role, int row);
// RButtonDown, then RButtonUp (the tray icon answers on release; it must be in the tray).
bool right_click(ui::Window& window, const std::string& role, int index = -1);
// LButtonDown (labels).
bool press(ui::Window& window, const std::string& role);
// Types into an edit box (its text becomes `text`; edit boxes raise no event).
bool type_text(ui::Window& window, const std::string& role, const std::string& text);
bool choose_menu_item(ui::Window& window, const std::string& item);
bool fire_timer(ui::Window& window, const std::string& role);
// Drop: only while the window accepts files; the event's role is the drop target's role.
bool drop_files(ui::Window& window, const std::vector<std::string>& files);
bool send_hotkey(ui::Window& window, int id);           // only a registered id
bool send_device_change(ui::Window& window, int code);  // only while listening
// Closing (a handler may cancel), then the window closes; returns whether it closed.
bool request_close(ui::Window& window);

}  // namespace qv::fakes
