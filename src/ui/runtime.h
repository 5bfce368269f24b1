// The window runtime: living windows made from definitions, the events they raise and the handler
// table that answers them. Handlers talk only to `Window`; the Win32 runtime and the headless
// runtime of the tests both implement it.
#pragma once

#include <string>
#include <vector>

#include "ui/window_def.h"

namespace qv::ui {

class Window;

enum class EventKind {
    Created,    // the window exists, before it is first shown
    Closing,    // the system asks the window to close (Alt+F4, a frame's X); set `cancel` to refuse
    Destroyed,  // the window is going away
    Click,      // buttons, radios (after they are set), check boxes (after their state changed)
    LButtonDown,  // labels and lists
    RButtonDown,
    RButtonUp,     // the tray icon
    DoubleClick,   // list view rows
    SelChange,     // combo, list box or list view: the current item changed, however it changed
    Menu,          // a menu item was chosen (role = the item's role)
    Timer,         // a timer control fired
    Drop,          // files were dropped (files)
    HotKey,        // a registered hot key (code = its id); role is empty
    DeviceChange,  // WM_DEVICECHANGE (code = its event number); role is empty
};

struct Event {
    Window* window = nullptr;
    std::string role;
    EventKind kind = EventKind::Click;
    int x = 0, y = 0;                // screen position where it matters (mouse events)
    int index = -1;                  // item or row index where it matters
    int code = 0;                    // hot-key id, device-change event
    std::vector<std::string> files;  // dropped files
    bool cancel = false;             // Closing: the handler refuses the close
};

using Handler = void (*)(Event&);

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Balloon icon kinds of the notification area.
enum : int { kBalloonNone = 0, kBalloonInfo = 1, kBalloonWarning = 2, kBalloonError = 3 };

// A living window. Every method is called on the user-interface thread only; work done on other
// threads hands its results over through the caller's own buffers, read from a timer.
class Window {
public:
    virtual ~Window() = default;

    virtual const WindowDef& def() const = 0;
    virtual bool alive() const = 0;

    // Caption, size, place and state of the window itself.
    virtual void set_caption(const std::string& text) = 0;
    virtual std::string caption() const = 0;
    virtual void set_size(int w, int h) = 0;
    virtual Rect rect() const = 0;  // screen position and size
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void minimize() = 0;
    virtual bool visible() const = 0;
    virtual void set_topmost(bool topmost) = 0;
    virtual void close() = 0;  // destroys the window (Destroyed runs)

    // Controls, by role.
    virtual void set_text(const std::string& role, const std::string& text) = 0;
    virtual std::string text(const std::string& role) const = 0;
    // Appends to an edit box's text and keeps the caret at the end.
    virtual void append_text(const std::string& role, const std::string& text) = 0;
    virtual void set_checked(const std::string& role, bool on) = 0;  // raises no event
    virtual bool checked(const std::string& role) const = 0;
    virtual void set_enabled(const std::string& role, bool on) = 0;
    virtual bool enabled(const std::string& role) const = 0;
    virtual void set_visible(const std::string& role, bool on) = 0;
    virtual bool control_visible(const std::string& role) const = 0;  // its own flag
    virtual void move_control(const std::string& role, int x, int y) = 0;
    virtual void resize_control(const std::string& role, int w, int h) = 0;
    virtual Rect control_rect(const std::string& role) const = 0;  // inside its container
    virtual void set_picture(const std::string& role, const std::string& picture) = 0;
    virtual std::string picture(const std::string& role) const = 0;
    // Gives the control the keyboard focus.
    virtual void set_focus(const std::string& role) = 0;

    // Combos and list boxes. Selecting from code raises no event.
    virtual int add_item(const std::string& role, const std::string& text) = 0;
    // Appends the texts in order, as add_item would one by one, with the control redrawn once
    // for all of them instead of after each: thousands of items go in without a repaint apiece.
    virtual void add_items(const std::string& role, const std::vector<std::string>& texts) = 0;
    virtual void remove_item(const std::string& role, int index) = 0;
    virtual void clear_items(const std::string& role) = 0;
    virtual int item_count(const std::string& role) const = 0;
    virtual std::string item_text(const std::string& role, int index) const = 0;
    virtual int selected(const std::string& role) const = 0;
    virtual void select(const std::string& role, int index) = 0;

    // The report list view.
    virtual void set_column_caption(const std::string& role, int column,
                                    const std::string& text) = 0;
    virtual std::string column_caption(const std::string& role, int column) const = 0;
    virtual int add_row(const std::string& role, const std::vector<std::string>& cells) = 0;
    virtual void clear_rows(const std::string& role) = 0;
    virtual int row_count(const std::string& role) const = 0;
    virtual std::string cell(const std::string& role, int row, int column) const = 0;
    virtual int selected_row(const std::string& role) const = 0;
    virtual void select_row(const std::string& role, int row) = 0;  // raises SelChange

    // Menus of the window: items by role.
    virtual void set_menu_checked(const std::string& item, bool on) = 0;
    virtual bool menu_checked(const std::string& item) const = 0;
    virtual void set_menu_visible(const std::string& item, bool on) = 0;
    virtual bool menu_visible(const std::string& item) const = 0;
    // Pops up a menu (by its role) at a screen position; the chosen item raises Menu.
    virtual void popup_menu(const std::string& menu, int x, int y) = 0;

    // Progress bars, 0 to 100.
    virtual void set_progress(const std::string& role, int percent) = 0;
    virtual int progress(const std::string& role) const = 0;

    // File dialogs (controls of kind OpenDialog or SaveDialog): the chosen path, or empty when
    // the user cancelled.
    virtual std::string run_file_dialog(const std::string& role) = 0;
    // Title, filter ("description|pattern|...") and the file name a dialog opens with, for its
    // next runs; a dialog reused for different files sets them before each run.
    virtual void set_file_dialog(const std::string& role, const std::string& title,
                                 const std::string& filter, const std::string& file_name) = 0;
    // The folder a dialog's next runs open in; empty leaves it to the system.
    virtual void set_dialog_folder(const std::string& role, const std::string& folder) = 0;

    // Timers (controls of kind Timer).
    virtual void start_timer(const std::string& role, int interval_ms) = 0;
    virtual void stop_timer(const std::string& role) = 0;
    virtual bool timer_running(const std::string& role) const = 0;

    // The notification-area icon of the window.
    virtual bool tray_add() = 0;
    virtual void tray_remove() = 0;
    virtual void set_tray_tip(const std::string& tip) = 0;
    virtual bool tray_balloon(const std::string& title, const std::string& text, int icon,
                              int timeout_ms) = 0;

    // Files dropped on the window, and system-wide notices delivered to it.
    virtual void set_drop_enabled(bool on) = 0;
    virtual bool register_hotkey(int id, unsigned modifiers, unsigned key) = 0;
    virtual void listen_for_device_changes() = 0;
};

class Runtime {
public:
    virtual ~Runtime() = default;
    // Creates the window, raises Created, then shows it unless the handler hid or closed it.
    // The window lives until it is closed; the pointer is valid while `alive()` is true, and the
    // runtime keeps the object (dead) until the program ends, so a stale pointer is never dangling.
    virtual Window* open(const WindowDef& def, Window* parent) = 0;
    // The same, then runs a message loop of its own until the window is gone or the program
    // ends; the parent (when given) is disabled meanwhile. The headless runtime runs the test's
    // script for that window instead of a loop (see tests/fakes).
    virtual void open_modal(const WindowDef& def, Window* parent) = 0;
    // The first open window made from the definition of that name, or null.
    virtual Window* find(const std::string& window_name) = 0;
    // Processes the messages that are waiting, then returns.
    virtual void pump() = 0;
    // Runs until the program ends; returns the exit code.
    virtual int run() = 0;
    // Ends the program: every message loop returns and no further start-up step runs.
    virtual void quit(int exit_code) = 0;
    virtual bool quitting() const = 0;
    // The mouse cursor in screen coordinates.
    virtual Rect cursor() const = 0;
};

// The handler table: (window, role, event) -> handler. Both runtimes dispatch through it. (Not
// named "bind": with text arguments an unqualified call would find std::bind instead.)
void bind_handler(const std::string& window, const std::string& role, EventKind kind,
                  Handler handler);
Handler bound_handler(const std::string& window, const std::string& role, EventKind kind);
void clear_bindings();
// Runs the bound handler, when there is one; returns whether one ran.
bool dispatch(Event& event);

}  // namespace qv::ui
