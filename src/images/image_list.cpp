#include "images/image_list.h"

#include <vector>

#include "base/helpers.h"
#include "base/message_pacer.h"
#include "disks/drive_facts.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"

namespace qv::ui {
namespace {

constexpr const char* kCombo = "image_combo";
constexpr const char* kFound = "found_images_list";

const char* const kSearchControls[] = {kFound, "depth_edit", "search_pattern_combo",
                                       "search_button"};

std::vector<std::string> items_of(const Window& main, const std::string& role) {
    std::vector<std::string> items;
    int count = main.item_count(role);
    for (int i = 0; i < count; ++i) items.push_back(main.item_text(role, i));
    return items;
}

std::string chosen_item(const Window& main, const std::string& role) {
    return main.item_text(role, main.selected(role));
}

void set_search_controls_enabled(Window& main, bool on) {
    for (const char* role : kSearchControls) main.set_enabled(role, on);
}

// The detail lines follow the combo's current image in the restore panel.
void describe_chosen_image(Window& main) {
    if (!main.checked("restore_radio")) return;
    main.set_visible("image_size_label", true);
    main.set_visible("image_time_label", true);
    std::string path = chosen_item(main, kCombo);
    if (is_described_in_combo(path)) show_image_details(main, image_details(path));
}

// Items for a list or a combo handed over in batches: a batch is one redraw of the control, where
// an item at a time would repaint the list thousands of times.
class ItemFeed {
public:
    ItemFeed(Window& window, const char* role) : window_(window), role_(role) {}
    void add(const std::string& text) {
        pending_.push_back(text);
        if (pending_.size() >= kBatch) flush();
    }
    void flush() {
        if (pending_.empty()) return;
        window_.add_items(role_, pending_);
        pending_.clear();
    }

private:
    static constexpr std::size_t kBatch = 256;
    Window& window_;
    const char* role_;
    std::vector<std::string> pending_;
};

}  // namespace

void show_image_details(Window& main, const ImageDetails& details) {
    main.set_text("image_location_label", details.location);
    main.set_text("image_type_label", details.type);
    main.set_text("image_size_label", details.size);
    main.set_text("image_time_label", details.time);
    main.set_visible("image_size_label", true);
    main.set_visible("image_time_label", true);
}

void scan_images_into_combo(Window& main) {
    ItemFeed feed(main, kCombo);
    MessagePacer pacer([&feed] { feed.flush(); });
    ImageScan scan = scan_drives_for_images(items_of(main, kCombo), &pacer);
    main.clear_items(kCombo);
    for (const std::string& item : scan.items) {
        feed.add(item);
        pacer.pace();
    }
    feed.flush();
    if (scan.chosen >= 0) main.select(kCombo, scan.chosen);
    if (scan.described) show_image_details(main, scan.details);
}

void choose_or_add_image(Window& main, const std::string& path) {
    int count = main.item_count(kCombo);
    for (int i = 0; i < count; ++i) {
        if (starts_with_ignore_case(main.item_text(kCombo, i), path)) {
            main.select(kCombo, i);
            return;
        }
    }
    main.select(kCombo, main.add_item(kCombo, path));
}

void search_image_files(Window& main) {
    // The walk processes messages: while it runs, the lock keeps a second search (however it is
    // asked for) and anything else the main window starts from beginning.
    ScopedUiLock lock;
    if (!lock.held()) return;
    main.clear_items(kFound);
    set_search_controls_enabled(main, false);
    show_tray_balloon("提示", kSearchingText, kBalloonInfo, 0);
    main.add_item(kFound, kSearchingText);

    ItemFeed feed(main, kFound);
    MessagePacer pacer([&feed] { feed.flush(); });
    std::vector<std::string> found;
    std::string pattern, depth_text;
    auto read_choice = [&] {
        pattern = chosen_item(main, "search_pattern_combo");
        depth_text = main.text("depth_edit");
    };
    read_choice();
    for (const std::string& root : list_drives(kAllDrives)) {
        read_choice();  // for each drive, as the user left them
        walk_directory(
            root,
            [&](const std::string& path) {
                found.push_back(path);
                feed.add(path);
            },
            pattern, true, parse_search_depth(depth_text), true, &pacer);
    }
    feed.flush();

    std::vector<std::string> lines = search_result_lines_for(found, pattern, depth_text, &pacer);
    main.clear_items(kFound);
    for (const std::string& line : lines) {
        feed.add(line);
        pacer.pace();
    }
    feed.flush();
    lock.release();
    set_search_controls_enabled(main, true);
    show_tray_balloon("提示", kSearchDoneText, kBalloonInfo, 0);
}

void drop_images_on_drive(Window& main, const std::string& drive) {
    if (drive.empty()) return;
    const std::string root = drive.substr(0, 1) + ":";
    int current = main.selected(kCombo);
    bool current_dropped = false;
    for (int i = main.item_count(kCombo) - 1; i >= 0; --i) {
        if (!starts_with_ignore_case(main.item_text(kCombo, i), root)) continue;
        if (i == current) current_dropped = true;
        if (i < current) --current;
        main.remove_item(kCombo, i);
    }
    if (!current_dropped) {
        if (current >= 0) main.select(kCombo, current);
        return;
    }
    if (main.item_count(kCombo) == 0) return;
    main.select(kCombo, 0);
    describe_chosen_image(main);
}

void show_selected_image_details(Event& event) {
    describe_chosen_image(*event.window);
}

void on_image_selected(Event& event) {
    Window& main = *event.window;
    std::string path = chosen_item(main, kFound);
    std::string ext = upper_ascii(path_extension(path));
    if (ext == ".ISO") {
        // A disc image is mounted from the list's menu; it never goes into the combo.
        show_image_details(main, image_details(path));
    } else if (ext == ".GHO" || ext == ".WIM" || ext == ".SWM") {
        show_image_details(main, image_details(path));
        if (main.checked("restore_radio")) choose_or_add_image(main, path);
    }
}

void on_search_button_clicked(Event& event) {
    search_image_files(*event.window);
}

void bind_image_list_handlers() {
    const std::string w = kMainWindowName;
    ui::bind_handler(w, kCombo, EventKind::SelChange, show_selected_image_details);
    ui::bind_handler(w, kFound, EventKind::SelChange, on_image_selected);
    ui::bind_handler(w, "search_button", EventKind::Click, on_search_button_clicked);
}

}  // namespace qv::ui
