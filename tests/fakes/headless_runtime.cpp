#include "fakes/headless_runtime.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/os.h"

namespace qv::fakes {
namespace {

using ui::Kind;

// The system's shortest timer interval: a timer never fires more often than this.
constexpr int kMinimumTimerMs = 10;

const char* kind_name(Kind kind) {
    switch (kind) {
        case Kind::PictureBox:
            return "PictureBox";
        case Kind::PictureButton:
            return "PictureButton";
        case Kind::Label:
            return "Label";
        case Kind::Radio:
            return "Radio";
        case Kind::Check:
            return "Check";
        case Kind::Edit:
            return "Edit";
        case Kind::DropList:
            return "DropList";
        case Kind::ListBox:
            return "ListBox";
        case Kind::ListView:
            return "ListView";
        case Kind::Image:
            return "Image";
        case Kind::TrayIcon:
            return "TrayIcon";
        case Kind::DropTarget:
            return "DropTarget";
        case Kind::Timer:
            return "Timer";
        case Kind::ProgressBar:
            return "ProgressBar";
        case Kind::OpenDialog:
            return "OpenDialog";
        case Kind::SaveDialog:
            return "SaveDialog";
    }
    return "?";
}

bool valid_index(int index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// HeadlessWindow

HeadlessWindow::HeadlessWindow(HeadlessRuntime& runtime, const ui::WindowDef& def,
                               HeadlessWindow* parent)
    : runtime_(runtime), def_(def), parent_(parent), caption_(def.caption) {
    rect_ = {100, 100, def_.w, def_.h};
    for (const ui::ControlDef& cd : def_.controls) {
        if (cd.role.empty()) continue;
        if (controls_.count(cd.role) != 0) {
            ADD_FAILURE() << def.name << ": role " << cd.role << " is defined twice";
            continue;
        }
        if (!cd.parent.empty()) {
            auto container = controls_.find(cd.parent);
            if (container == controls_.end() || container->second.def->kind != Kind::PictureBox)
                ADD_FAILURE() << def.name << ": " << cd.role << " sits in " << cd.parent
                              << ", which is no picture box defined before it";
        }
        Control c;
        c.def = &cd;
        c.text = cd.caption;
        c.checked = cd.checked;
        c.enabled = cd.enabled;
        c.visible = cd.visible;
        c.rect = {cd.x, cd.y, cd.w, cd.h};
        c.picture = cd.picture;
        if (cd.kind == Kind::ListView)
            c.columns = cd.items;
        else
            c.items = cd.items;
        c.selected = valid_index(cd.selected, c.items.size()) ? cd.selected : -1;
        c.dialog_filter = cd.filter;
        if (cd.kind == Kind::TrayIcon) tray_tip_ = cd.caption;
        if (cd.kind == Kind::DropTarget) drop_enabled_ = cd.enabled;
        controls_.emplace(cd.role, std::move(c));
        order_.push_back(cd.role);
    }
    for (const ui::MenuDef& menu : def_.menus) {
        menus_.push_back(menu.role);
        for (const ui::MenuItemDef& item : menu.items) {
            if (item.role.empty()) continue;
            if (menu_items_.count(item.role) != 0)
                ADD_FAILURE() << def.name << ": menu item " << item.role << " is defined twice";
            menu_items_[item.role] = MenuItem{menu.role, false, !item.hidden};
        }
    }
}

void HeadlessWindow::note(const std::string& what) {
    runtime_.journal_.push_back(def_.name + " " + what);
}

HeadlessWindow::Control* HeadlessWindow::find(const std::string& role, const char* call) {
    auto found = controls_.find(role);
    if (found != controls_.end()) return &found->second;
    ADD_FAILURE() << def_.name << "." << call << ": no control with the role \"" << role << "\"";
    return nullptr;
}

const HeadlessWindow::Control* HeadlessWindow::find(const std::string& role,
                                                    const char* call) const {
    return const_cast<HeadlessWindow*>(this)->find(role, call);
}

HeadlessWindow::Control* HeadlessWindow::find_kind(const std::string& role, const char* call,
                                                   std::initializer_list<Kind> kinds) {
    Control* c = find(role, call);
    if (c == nullptr) return nullptr;
    if (std::find(kinds.begin(), kinds.end(), c->def->kind) == kinds.end()) {
        ADD_FAILURE() << def_.name << "." << call << ": \"" << role << "\" is a "
                      << kind_name(c->def->kind);
        return nullptr;
    }
    return c;
}

const HeadlessWindow::Control* HeadlessWindow::find_kind(const std::string& role, const char* call,
                                                         std::initializer_list<Kind> kinds) const {
    return const_cast<HeadlessWindow*>(this)->find_kind(role, call, kinds);
}

HeadlessWindow::MenuItem* HeadlessWindow::find_item(const std::string& item, const char* call) {
    auto found = menu_items_.find(item);
    if (found != menu_items_.end()) return &found->second;
    ADD_FAILURE() << def_.name << "." << call << ": no menu item with the role \"" << item << "\"";
    return nullptr;
}

const HeadlessWindow::MenuItem* HeadlessWindow::find_item(const std::string& item,
                                                          const char* call) const {
    return const_cast<HeadlessWindow*>(this)->find_item(item, call);
}

const HeadlessWindow::Control& HeadlessWindow::control(const std::string& role) const {
    static const Control missing;
    const Control* c = find(role, "control");
    return c == nullptr ? missing : *c;
}

const std::string& HeadlessWindow::menu_of_item(const std::string& item) const {
    static const std::string none;
    const MenuItem* m = find_item(item, "menu_of_item");
    return m == nullptr ? none : m->menu;
}

void HeadlessWindow::set_caption(const std::string& text) {
    caption_ = text;
    note("set_caption " + text);
}

void HeadlessWindow::set_size(int w, int h) {
    rect_.w = w;
    rect_.h = h;
    note("set_size " + std::to_string(w) + "x" + std::to_string(h));
}

void HeadlessWindow::show() {
    visible_ = true;
    hide_requested_ = false;
    note("show");
}

void HeadlessWindow::hide() {
    visible_ = false;
    hide_requested_ = true;
    note("hide");
}

void HeadlessWindow::minimize() {
    minimized_ = true;
    note("minimize");
}

void HeadlessWindow::place(int x, int y) {
    rect_.x = x;
    rect_.y = y;
}

void HeadlessWindow::close() {
    if (!alive_ || closing_) return;
    closing_ = true;
    note("close");
    raise(ui::EventKind::Destroyed, "");
    alive_ = false;
    visible_ = false;
    tray_added_ = false;
    for (auto& entry : controls_) entry.second.timer_running = false;
}

void HeadlessWindow::set_text(const std::string& role, const std::string& text) {
    Control* c = find(role, "set_text");
    if (c == nullptr) return;
    if (c->def->kind == Kind::DropList) {
        // A drop-down list shows its current item: the text can only pick an item it holds.
        auto found = std::find(c->items.begin(), c->items.end(), text);
        if (found != c->items.end()) c->selected = static_cast<int>(found - c->items.begin());
        return;
    }
    c->text = text;
}

std::string HeadlessWindow::text(const std::string& role) const {
    const Control* c = find(role, "text");
    if (c == nullptr) return {};
    if (c->def->kind == Kind::DropList)
        return valid_index(c->selected, c->items.size()) ? c->items[c->selected] : std::string();
    return c->text;
}

void HeadlessWindow::append_text(const std::string& role, const std::string& text) {
    if (Control* c = find_kind(role, "append_text", {Kind::Edit})) c->text += text;
}

void HeadlessWindow::set_checked(const std::string& role, bool on) {
    if (Control* c = find_kind(role, "set_checked", {Kind::Check, Kind::Radio})) c->checked = on;
}

bool HeadlessWindow::checked(const std::string& role) const {
    const Control* c = find_kind(role, "checked", {Kind::Check, Kind::Radio});
    return c != nullptr && c->checked;
}

void HeadlessWindow::set_enabled(const std::string& role, bool on) {
    if (Control* c = find(role, "set_enabled")) c->enabled = on;
}

bool HeadlessWindow::enabled(const std::string& role) const {
    const Control* c = find(role, "enabled");
    return c != nullptr && c->enabled;
}

void HeadlessWindow::set_visible(const std::string& role, bool on) {
    if (Control* c = find(role, "set_visible")) c->visible = on;
}

bool HeadlessWindow::control_visible(const std::string& role) const {
    const Control* c = find(role, "control_visible");
    return c != nullptr && c->visible;
}

void HeadlessWindow::move_control(const std::string& role, int x, int y) {
    if (Control* c = find(role, "move_control")) {
        c->rect.x = x;
        c->rect.y = y;
    }
}

void HeadlessWindow::resize_control(const std::string& role, int w, int h) {
    if (Control* c = find(role, "resize_control")) {
        c->rect.w = w;
        c->rect.h = h;
    }
}

ui::Rect HeadlessWindow::control_rect(const std::string& role) const {
    const Control* c = find(role, "control_rect");
    return c == nullptr ? ui::Rect{} : c->rect;
}

void HeadlessWindow::set_picture(const std::string& role, const std::string& picture) {
    if (Control* c = find(role, "set_picture")) c->picture = picture;
}

std::string HeadlessWindow::picture(const std::string& role) const {
    const Control* c = find(role, "picture");
    return c == nullptr ? std::string() : c->picture;
}

void HeadlessWindow::set_focus(const std::string& role) {
    if (find(role, "set_focus") == nullptr) return;
    focused_ = role;
    note("set_focus " + role);
}

int HeadlessWindow::add_item(const std::string& role, const std::string& text) {
    Control* c = find_kind(role, "add_item", {Kind::DropList, Kind::ListBox});
    if (c == nullptr) return -1;
    c->items.push_back(text);
    ++c->item_additions;
    return static_cast<int>(c->items.size()) - 1;
}

void HeadlessWindow::add_items(const std::string& role, const std::vector<std::string>& texts) {
    Control* c = find_kind(role, "add_items", {Kind::DropList, Kind::ListBox});
    if (c == nullptr || texts.empty()) return;
    c->items.insert(c->items.end(), texts.begin(), texts.end());
    ++c->item_additions;
}

void HeadlessWindow::remove_item(const std::string& role, int index) {
    Control* c = find_kind(role, "remove_item", {Kind::DropList, Kind::ListBox});
    if (c == nullptr || !valid_index(index, c->items.size())) return;
    c->items.erase(c->items.begin() + index);
    // As the system's lists do: the current item's removal leaves none current.
    if (c->selected == index)
        c->selected = -1;
    else if (c->selected > index)
        --c->selected;
}

void HeadlessWindow::clear_items(const std::string& role) {
    if (Control* c = find_kind(role, "clear_items", {Kind::DropList, Kind::ListBox})) {
        c->items.clear();
        c->selected = -1;
    }
}

int HeadlessWindow::item_count(const std::string& role) const {
    const Control* c = find_kind(role, "item_count", {Kind::DropList, Kind::ListBox});
    return c == nullptr ? 0 : static_cast<int>(c->items.size());
}

std::string HeadlessWindow::item_text(const std::string& role, int index) const {
    const Control* c = find_kind(role, "item_text", {Kind::DropList, Kind::ListBox});
    if (c == nullptr || !valid_index(index, c->items.size())) return {};
    return c->items[index];
}

int HeadlessWindow::selected(const std::string& role) const {
    const Control* c = find_kind(role, "selected", {Kind::DropList, Kind::ListBox});
    return c == nullptr ? -1 : c->selected;
}

void HeadlessWindow::select(const std::string& role, int index) {
    if (Control* c = find_kind(role, "select", {Kind::DropList, Kind::ListBox}))
        c->selected = valid_index(index, c->items.size()) ? index : -1;
}

void HeadlessWindow::set_column_caption(const std::string& role, int column,
                                        const std::string& text) {
    Control* c = find_kind(role, "set_column_caption", {Kind::ListView});
    if (c == nullptr) return;
    if (!valid_index(column, c->columns.size())) {
        ADD_FAILURE() << def_.name << ".set_column_caption: " << role << " has no column "
                      << column;
        return;
    }
    c->columns[column] = text;
}

std::string HeadlessWindow::column_caption(const std::string& role, int column) const {
    const Control* c = find_kind(role, "column_caption", {Kind::ListView});
    if (c == nullptr || !valid_index(column, c->columns.size())) return {};
    return c->columns[column];
}

int HeadlessWindow::add_row(const std::string& role, const std::vector<std::string>& cells) {
    Control* c = find_kind(role, "add_row", {Kind::ListView});
    if (c == nullptr) return -1;
    c->rows.push_back(cells);
    return static_cast<int>(c->rows.size()) - 1;
}

void HeadlessWindow::clear_rows(const std::string& role) {
    if (Control* c = find_kind(role, "clear_rows", {Kind::ListView})) {
        c->rows.clear();
        c->selected_row = -1;
    }
}

int HeadlessWindow::row_count(const std::string& role) const {
    const Control* c = find_kind(role, "row_count", {Kind::ListView});
    return c == nullptr ? 0 : static_cast<int>(c->rows.size());
}

std::string HeadlessWindow::cell(const std::string& role, int row, int column) const {
    const Control* c = find_kind(role, "cell", {Kind::ListView});
    if (c == nullptr || !valid_index(row, c->rows.size())) return {};
    const std::vector<std::string>& cells = c->rows[row];
    return valid_index(column, cells.size()) ? cells[column] : std::string();
}

int HeadlessWindow::selected_row(const std::string& role) const {
    const Control* c = find_kind(role, "selected_row", {Kind::ListView});
    return c == nullptr ? -1 : c->selected_row;
}

void HeadlessWindow::select_row(const std::string& role, int row) {
    Control* c = find_kind(role, "select_row", {Kind::ListView});
    if (c == nullptr) return;
    int now = valid_index(row, c->rows.size()) ? row : -1;
    if (now == c->selected_row) return;  // the list reports changes only
    c->selected_row = now;
    raise(ui::EventKind::SelChange, role, now);
}

void HeadlessWindow::set_menu_checked(const std::string& item, bool on) {
    if (MenuItem* m = find_item(item, "set_menu_checked")) m->checked = on;
}

bool HeadlessWindow::menu_checked(const std::string& item) const {
    const MenuItem* m = find_item(item, "menu_checked");
    return m != nullptr && m->checked;
}

void HeadlessWindow::set_menu_visible(const std::string& item, bool on) {
    if (MenuItem* m = find_item(item, "set_menu_visible")) m->visible = on;
}

bool HeadlessWindow::menu_visible(const std::string& item) const {
    const MenuItem* m = find_item(item, "menu_visible");
    return m != nullptr && m->visible;
}

void HeadlessWindow::popup_menu(const std::string& menu, int x, int y) {
    if (std::find(menus_.begin(), menus_.end(), menu) == menus_.end()) {
        ADD_FAILURE() << def_.name << ".popup_menu: no menu with the role \"" << menu << "\"";
        return;
    }
    popups_.push_back({menu, x, y});
    note("popup_menu " + menu + " " + std::to_string(x) + "," + std::to_string(y));
    if (runtime_.popup_answers_.empty()) return;
    // The popup is modal: the chosen item's handler runs before popup_menu returns.
    std::string item = runtime_.popup_answers_.front();
    runtime_.popup_answers_.pop_front();
    if (menu_of_item(item) != menu)
        ADD_FAILURE() << def_.name << ": the answer " << item << " is not in the menu " << menu;
    else if (!choose_menu_item(*this, item))
        ADD_FAILURE() << def_.name << ": the answer " << item << " is hidden";
}

void HeadlessWindow::set_progress(const std::string& role, int percent) {
    if (Control* c = find_kind(role, "set_progress", {Kind::ProgressBar}))
        c->progress = std::clamp(percent, 0, 100);
}

int HeadlessWindow::progress(const std::string& role) const {
    const Control* c = find_kind(role, "progress", {Kind::ProgressBar});
    return c == nullptr ? 0 : c->progress;
}

std::string HeadlessWindow::run_file_dialog(const std::string& role) {
    const Control* c = find_kind(role, "run_file_dialog", {Kind::OpenDialog, Kind::SaveDialog});
    if (c == nullptr) return {};
    std::string answer;
    if (!runtime_.dialog_answers_.empty()) {
        answer = runtime_.dialog_answers_.front();
        runtime_.dialog_answers_.pop_front();
    }
    runtime_.dialog_runs_.push_back({def_.name, role, answer, c->text, c->dialog_filter,
                                     c->dialog_file_name, c->dialog_folder});
    note("run_file_dialog " + role);
    return answer;
}

void HeadlessWindow::set_file_dialog(const std::string& role, const std::string& title,
                                     const std::string& filter, const std::string& file_name) {
    Control* c = find_kind(role, "set_file_dialog", {Kind::OpenDialog, Kind::SaveDialog});
    if (c == nullptr) return;
    c->text = title;
    c->dialog_filter = filter;
    c->dialog_file_name = file_name;
}

void HeadlessWindow::set_dialog_folder(const std::string& role, const std::string& folder) {
    if (Control* c = find_kind(role, "set_dialog_folder", {Kind::OpenDialog, Kind::SaveDialog}))
        c->dialog_folder = folder;
}

void HeadlessWindow::start_timer(const std::string& role, int interval_ms) {
    Control* c = find_kind(role, "start_timer", {Kind::Timer});
    if (c == nullptr) return;
    c->timer_running = true;
    c->timer_interval = interval_ms;
    c->timer_due =
        runtime_.now_ms_ + static_cast<std::uint64_t>(std::max(interval_ms, kMinimumTimerMs));
    note("start_timer " + role + " " + std::to_string(interval_ms));
}

void HeadlessWindow::stop_timer(const std::string& role) {
    if (Control* c = find_kind(role, "stop_timer", {Kind::Timer})) {
        if (c->timer_running) note("stop_timer " + role);
        c->timer_running = false;
    }
}

bool HeadlessWindow::timer_running(const std::string& role) const {
    const Control* c = find_kind(role, "timer_running", {Kind::Timer});
    return c != nullptr && c->timer_running;
}

bool HeadlessWindow::tray_add() {
    tray_added_ = runtime_.tray_add_succeeds;
    note(std::string("tray_add ") + (tray_added_ ? "ok" : "failed"));
    return tray_added_;
}

void HeadlessWindow::tray_remove() {
    tray_added_ = false;
    note("tray_remove");
}

void HeadlessWindow::set_tray_tip(const std::string& tip) {
    tray_tip_ = tip;
    note("set_tray_tip " + tip);
}

bool HeadlessWindow::tray_balloon(const std::string& title, const std::string& text, int icon,
                                  int timeout_ms) {
    // The shell's fields hold 63 and 255 bytes; a longer text would be cut short on screen.
    EXPECT_LE(title.size(), 63u) << "balloon title too long: " << title;
    EXPECT_LE(text.size(), 255u) << "balloon text too long: " << text;
    Balloon b{title, text, icon, timeout_ms, tray_added_ && runtime_.shell_accepts_balloons};
    balloons_.push_back(b);
    note("tray_balloon " + title);
    if (runtime_.balloon_hook) runtime_.balloon_hook(*this, b);
    return b.accepted;
}

void HeadlessWindow::set_drop_enabled(bool on) {
    drop_enabled_ = on;
    note(std::string("set_drop_enabled ") + (on ? "on" : "off"));
}

bool HeadlessWindow::register_hotkey(int id, unsigned modifiers, unsigned key) {
    note("register_hotkey " + std::to_string(id));
    if (!runtime_.hotkeys_succeed) return false;
    hotkeys_.push_back({id, modifiers, key});
    return true;
}

void HeadlessWindow::listen_for_device_changes() {
    device_changes_ = true;
    note("listen_for_device_changes");
}

bool HeadlessWindow::raise(ui::Event& event) {
    event.window = this;
    return ui::dispatch(event);
}

bool HeadlessWindow::raise(ui::EventKind kind, const std::string& role, int index) {
    ui::Event event;
    event.kind = kind;
    event.role = role;
    event.index = index;
    event.x = runtime_.cursor_position.x;
    event.y = runtime_.cursor_position.y;
    return raise(event);
}

// ---------------------------------------------------------------------------------------------
// HeadlessRuntime

HeadlessRuntime::HeadlessRuntime(ManualClock* clock) : clock_(clock) {
    os::os().ui = this;
}

HeadlessRuntime::~HeadlessRuntime() {
    if (os::os().ui == this) os::os().ui = nullptr;
}

ui::Window* HeadlessRuntime::open(const ui::WindowDef& def, ui::Window* parent) {
    HeadlessWindow* parent_window = parent == nullptr ? nullptr : &headless(*parent);
    windows_.push_back(std::make_unique<HeadlessWindow>(*this, def, parent_window));
    HeadlessWindow* window = windows_.back().get();
    window->note("open");
    window->raise(ui::EventKind::Created, "");
    if (window->alive() && !window->hide_requested_ && !quitting_) window->visible_ = true;
    return window;
}

void HeadlessRuntime::open_modal(const ui::WindowDef& def, ui::Window* parent) {
    if (quitting_) return;
    modal_log_.push_back(def.name);
    HeadlessWindow* owner = parent == nullptr ? nullptr : &headless(*parent);
    bool owner_was_enabled = owner != nullptr && owner->window_enabled_;
    if (owner != nullptr) owner->window_enabled_ = false;
    ui::Window* window = open(def, parent);
    auto script = modal_scripts_.find(def.name);
    if (window->alive() && !quitting_ && script != modal_scripts_.end()) {
        Script run = script->second;  // the script may register another for this window
        run(*window);
    }
    if (window->alive()) window->close();
    if (owner != nullptr) owner->window_enabled_ = owner_was_enabled;
}

ui::Window* HeadlessRuntime::find(const std::string& window_name) {
    for (const auto& window : windows_)
        if (window->alive() && window->def().name == window_name) return window.get();
    return nullptr;
}

void HeadlessRuntime::pump() {
    ++pump_count_;
    if (pump_hook) pump_hook();
}

int HeadlessRuntime::run() {
    if (run_script_) run_script_();
    return exit_code_;
}

void HeadlessRuntime::quit(int exit_code) {
    if (!quitting_) exit_code_ = exit_code;
    quitting_ = true;
    journal_.push_back("quit " + std::to_string(exit_code));
}

void HeadlessRuntime::on_modal(const std::string& window_name, Script script) {
    modal_scripts_[window_name] = std::move(script);
}

void HeadlessRuntime::advance(int ms) {
    const std::uint64_t end = now_ms_ + static_cast<std::uint64_t>(std::max(ms, 0));
    for (;;) {
        HeadlessWindow* due_window = nullptr;
        std::string due_role;
        std::uint64_t due = end + 1;
        for (const auto& window : windows_) {
            if (!window->alive()) continue;
            for (const std::string& role : window->order_) {
                const HeadlessWindow::Control& c = window->controls_.at(role);
                if (c.timer_running && c.timer_due < due) {
                    due = c.timer_due;
                    due_window = window.get();
                    due_role = role;
                }
            }
        }
        if (due_window == nullptr) break;
        if (clock_ != nullptr) clock_->ticks += static_cast<std::uint32_t>(due - now_ms_);
        now_ms_ = due;
        HeadlessWindow::Control& c = due_window->controls_.at(due_role);
        c.timer_due = due + static_cast<std::uint64_t>(std::max(c.timer_interval, kMinimumTimerMs));
        due_window->raise(ui::EventKind::Timer, due_role);
    }
    if (clock_ != nullptr) clock_->ticks += static_cast<std::uint32_t>(end - now_ms_);
    now_ms_ = end;
}

std::vector<HeadlessWindow*> HeadlessRuntime::windows() const {
    std::vector<HeadlessWindow*> all;
    for (const auto& window : windows_) all.push_back(window.get());
    return all;
}

int HeadlessRuntime::journal_index(const std::string& part) const {
    for (std::size_t i = 0; i < journal_.size(); ++i)
        if (journal_[i].find(part) != std::string::npos) return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------------------------------------
// What a user does

std::vector<std::string> balloon_texts(const ui::Window& window) {
    std::vector<std::string> out;
    for (const Balloon& b : headless(window).balloons()) out.push_back(b.text);
    return out;
}

void set_selected_partition(ui::Window& main, const std::string& root,
                            const std::string& disk_partition) {
    main.set_text("selected_drive_label", root);
    main.set_text("selected_disk_partition_label", disk_partition);
    main.set_text("selected_caption_label", root + "(" + disk_partition + ")");
}

HeadlessWindow& headless(ui::Window& window) {
    return static_cast<HeadlessWindow&>(window);
}

const HeadlessWindow& headless(const ui::Window& window) {
    return static_cast<const HeadlessWindow&>(window);
}

namespace {

// The control's role and every container above it, innermost first.
std::vector<std::string> chain(const HeadlessWindow& window, const std::string& role) {
    std::vector<std::string> roles;
    std::string at = role;
    while (!at.empty() && window.has_control(at) && roles.size() < 16) {
        roles.push_back(at);
        at = window.control(at).def->parent;
    }
    return roles;
}

// Whether a user can reach the control at all: the window is there and enabled, the control and
// its containers are shown and enabled. The tray icon is reachable while it is in the tray.
bool reachable(ui::Window& window, const std::string& role) {
    HeadlessWindow& w = headless(window);
    if (!w.alive() || !w.window_enabled()) return false;
    if (!w.has_control(role)) {
        ADD_FAILURE() << w.def().name << ": no control with the role \"" << role << "\"";
        return false;
    }
    if (w.control(role).def->kind == Kind::TrayIcon) return w.tray_added();
    if (!shown(window, role)) return false;
    for (const std::string& r : chain(w, role))
        if (!w.control(r).enabled) return false;
    return true;
}

}  // namespace

bool shown(const ui::Window& window, const std::string& role) {
    const HeadlessWindow& w = headless(window);
    if (!w.alive() || !w.visible()) return false;
    if (!w.has_control(role)) {
        ADD_FAILURE() << w.def().name << ": no control with the role \"" << role << "\"";
        return false;
    }
    for (const std::string& r : chain(w, role))
        if (!w.control(r).visible) return false;
    return true;
}

bool in_view(const ui::Window& window, const std::string& role) {
    if (!shown(window, role)) return false;
    const HeadlessWindow& w = headless(window);
    for (const std::string& r : chain(w, role)) {
        ui::Rect box = w.control(r).rect;
        const std::string& container = w.control(r).def->parent;
        ui::Rect area = container.empty() ? w.rect() : w.control(container).rect;
        if (box.x >= area.w || box.y >= area.h || box.x + box.w <= 0 || box.y + box.h <= 0)
            return false;
    }
    return true;
}

bool click(ui::Window& window, const std::string& role) {
    if (!reachable(window, role)) return false;
    HeadlessWindow& w = headless(window);
    const ui::ControlDef& def = *w.control(role).def;
    if (def.kind == Kind::Check) {
        w.set_checked(role, !w.checked(role));
    } else if (def.kind == Kind::Radio) {
        for (const ui::ControlDef& other : w.def().controls)
            if (other.kind == Kind::Radio && other.parent == def.parent && other.role != role)
                w.set_checked(other.role, false);
        w.set_checked(role, true);
    }
    w.raise(ui::EventKind::Click, role);
    return true;
}

bool select(ui::Window& window, const std::string& role, int index) {
    if (!reachable(window, role)) return false;
    HeadlessWindow& w = headless(window);
    if (w.control(role).def->kind == Kind::ListView) {
        w.select_row(role, index);
        return true;
    }
    w.select(role, index);
    w.raise(ui::EventKind::SelChange, role, w.selected(role));
    return true;
}

bool click_row(ui::Window& window, const std::string& role, int row) {
    if (!reachable(window, role)) return false;
    HeadlessWindow& w = headless(window);
    w.select_row(role, row);
    w.raise(ui::EventKind::Click, role, w.selected_row(role));
    return true;
}

bool double_click(ui::Window& window, const std::string& role, int row) {
    if (!reachable(window, role)) return false;
    HeadlessWindow& w = headless(window);
    w.select_row(role, row);
    w.raise(ui::EventKind::DoubleClick, role, w.selected_row(role));
    return true;
}

bool right_click(ui::Window& window, const std::string& role, int index) {
    if (!reachable(window, role)) return false;
    HeadlessWindow& w = headless(window);
    w.raise(ui::EventKind::RButtonDown, role, index);
    // The down handler may have closed the window (a menu item chosen from a popup).
    if (w.alive()) w.raise(ui::EventKind::RButtonUp, role, index);
    return true;
}

bool press(ui::Window& window, const std::string& role) {
    if (!reachable(window, role)) return false;
    headless(window).raise(ui::EventKind::LButtonDown, role);
    return true;
}

bool type_text(ui::Window& window, const std::string& role, const std::string& text) {
    if (!reachable(window, role)) return false;
    HeadlessWindow& w = headless(window);
    if (w.control(role).def->kind != Kind::Edit) {
        ADD_FAILURE() << w.def().name << ": cannot type into " << role;
        return false;
    }
    w.set_text(role, text);
    return true;
}

bool choose_menu_item(ui::Window& window, const std::string& item) {
    HeadlessWindow& w = headless(window);
    if (!w.alive() || !w.menu_visible(item)) return false;
    w.raise(ui::EventKind::Menu, item);
    return true;
}

bool fire_timer(ui::Window& window, const std::string& role) {
    HeadlessWindow& w = headless(window);
    if (!w.alive() || !w.timer_running(role)) return false;
    w.raise(ui::EventKind::Timer, role);
    return true;
}

bool drop_files(ui::Window& window, const std::vector<std::string>& files) {
    HeadlessWindow& w = headless(window);
    if (!w.alive() || !w.drop_enabled()) return false;
    ui::Event event;
    event.kind = ui::EventKind::Drop;
    for (const ui::ControlDef& c : w.def().controls)
        if (c.kind == Kind::DropTarget) {
            event.role = c.role;
            break;
        }
    event.files = files;
    event.x = w.runtime().cursor_position.x;
    event.y = w.runtime().cursor_position.y;
    w.raise(event);
    return true;
}

bool send_hotkey(ui::Window& window, int id) {
    HeadlessWindow& w = headless(window);
    if (!w.alive()) return false;
    const auto& keys = w.hotkeys();
    if (std::none_of(keys.begin(), keys.end(), [id](const HotKey& k) { return k.id == id; }))
        return false;
    ui::Event event;
    event.kind = ui::EventKind::HotKey;
    event.code = id;
    w.raise(event);
    return true;
}

bool send_device_change(ui::Window& window, int code) {
    HeadlessWindow& w = headless(window);
    if (!w.alive() || !w.listening_for_device_changes()) return false;
    ui::Event event;
    event.kind = ui::EventKind::DeviceChange;
    event.code = code;
    w.raise(event);
    return true;
}

bool request_close(ui::Window& window) {
    HeadlessWindow& w = headless(window);
    if (!w.alive()) return false;
    ui::Event event;
    event.kind = ui::EventKind::Closing;
    w.raise(event);
    if (event.cancel || !w.alive()) return !w.alive();
    w.close();
    return true;
}

}  // namespace qv::fakes
