#include "images/image_file_operations.h"

#include "base/helpers.h"
#include "base/shell_file_operations.h"
#include "base/tool_runner.h"
#include "images/image_scan.h"
#include "main_window/main_window_def.h"
#include "platform/os.h"

namespace qv::ui {
namespace {

constexpr const char* kFound = "found_images_list";
constexpr const char* kCombo = "image_combo";
constexpr const char* kDialog = "file_operation_dialog";

// The shell shows its own progress and overwrite prompt, but no error box: the failure message
// is ours.
constexpr int kShellOption = 2;

struct ImageKind {
    const char* extension;
    const char* filter;
};

const ImageKind kImageKinds[] = {
    {".GHO", "Ghost映像文件(*.Gho)|*.Gho"},
    {".ISO", "光盘镜像文件(*.ISO)|*.ISO"},
    {".WIM", "WIM映像文件(*.WIM)|*.WIM"},
    {".SWM", "WIM分卷映像文件(*.SWM)|*.SWM"},
};

const ImageKind* image_kind_of(const std::string& path) {
    std::string ext = upper_ascii(path_extension(path));
    for (const ImageKind& kind : kImageKinds)
        if (ext == kind.extension) return &kind;
    return nullptr;
}

// Move and export differ only in their words and the shell operation.
struct Transfer {
    const char* title;
    bool (*run)(const std::string& source, const std::string& destination, int option);
    const char* done;
    const char* failed;
};

const Transfer kMove{"移动文件", shell_move_file, " 移动成功！", " 移动失败！"};
const Transfer kExport{"导出文件", shell_copy_file, " 导出成功！", " 导出失败！"};

int notify(const std::string& text, int style) {
    return os::os().notices->message_box(text, "提示", style);
}

// The chosen entry when it is an image file; empty otherwise.
std::string chosen_image(const Window& main) {
    std::string entry = main.item_text(kFound, main.selected(kFound));
    return is_found_image_kind(entry) ? entry : std::string();
}

// The shell would refuse a file onto itself at best; it is never asked to try.
bool same_file(const std::string& a, const std::string& b) {
    return equals_ignore_case(full_path(a), full_path(b));
}

void transfer_chosen_image(Window& main, const Transfer& transfer) {
    std::string image = chosen_image(main);
    if (image.empty()) return;
    if (!file_exists(image)) {
        notify(missing_file_text(image), os::kIconWarning);
        return;
    }
    main.set_file_dialog(kDialog, transfer.title, image_file_filter(image),
                         get_file_title(image, true));
    std::string destination = main.run_file_dialog(kDialog);
    if (destination.empty()) return;
    if (same_file(image, destination) || !transfer.run(image, destination, kShellOption)) {
        notify(image + transfer.failed, os::kIconError);
        return;
    }
    notify(image + transfer.done, os::kIconInfo);
    open_folder_select_item(destination, false);
}

// The deleted file leaves the image combo wherever it stands there; the user's current image
// stays current unless it was that file, and then the first image is.
void drop_deleted_image_from_combo(Window& main, const std::string& path) {
    int current = main.selected(kCombo);
    bool current_removed = false;
    for (int i = main.item_count(kCombo) - 1; i >= 0; --i) {
        if (!equals_ignore_case(main.item_text(kCombo, i), path)) continue;
        if (i == current) current_removed = true;
        if (i < current) --current;
        main.remove_item(kCombo, i);
    }
    if (current_removed)
        main.select(kCombo, main.item_count(kCombo) > 0 ? 0 : -1);
    else if (current >= 0)
        main.select(kCombo, current);
}

// The last line of the list is the search's summary; it counts the images still listed.
void recount_search_summary(Window& main) {
    int count = main.item_count(kFound);
    if (count == 0) return;
    main.remove_item(kFound, count - 1);
    main.add_item(kFound, search_summary_line(main.text("depth_edit"), count - 1,
                                              main.text("search_pattern_combo")));
}

}  // namespace

bool is_found_image_kind(const std::string& path) {
    return image_kind_of(path) != nullptr;
}

std::string image_file_filter(const std::string& path) {
    const ImageKind* kind = image_kind_of(path);
    return kind == nullptr ? std::string() : kind->filter;
}

std::string missing_file_text(const std::string& path) {
    return path + " 不存在！";
}

std::string delete_image_question(const std::string& path) {
    return "是否删除 " + path + " ？";
}

std::string explorer_command_line(const std::string& root) {
    return "EXPLORER.EXE " + root;
}

void on_image_list_right_click(Event& event) {
    Window& main = *event.window;
    main.set_menu_visible("list_menu_mount", false);
    main.set_menu_visible("list_menu_mount_separator", false);
    if (main.item_count(kFound) == 0) return;
    main.set_focus(kFound);
    // The press itself does not move the selection: the menu acts on the entry chosen before.
    int index = main.selected(kFound);
    if (index < 0) return;
    std::string entry = main.item_text(kFound, index);
    if (upper_ascii(path_extension(entry)) == ".ISO") {
        main.set_menu_visible("list_menu_mount", true);
        main.set_menu_visible("list_menu_mount_separator", true);
    }
    if (!is_found_image_kind(entry)) return;
    Rect cursor = os::os().ui->cursor();
    main.popup_menu("list_menu", cursor.x, cursor.y);
}

void open_image_location(Event& event) {
    std::string image = chosen_image(*event.window);
    if (image.empty()) return;
    if (file_exists(image))
        open_folder_select_item(image, false);
    else
        notify(missing_file_text(image), os::kIconWarning);
}

void export_image_file(Event& event) {
    transfer_chosen_image(*event.window, kExport);
}

void move_image_file(Event& event) {
    transfer_chosen_image(*event.window, kMove);
}

void delete_found_image(Event& event) {
    Window& main = *event.window;
    int index = main.selected(kFound);
    std::string image = chosen_image(main);
    if (image.empty()) return;
    if (!file_exists(image)) {
        notify(missing_file_text(image), os::kIconWarning);
        return;
    }
    if (notify(delete_image_question(image), os::kBoxYesNo | os::kIconInfo) != os::kIdYes) return;
    if (!os::os().files->delete_file(image)) {
        notify(image + " 删除失败！", os::kIconError);
        return;
    }
    main.remove_item(kFound, index);
    drop_deleted_image_from_combo(main, image);
    recount_search_summary(main);
    notify(image + " 删除成功！", os::kIconInfo);
}

void show_image_properties(Event& event) {
    Window& main = *event.window;
    std::string image = chosen_image(main);
    if (image.empty()) return;
    if (file_exists(image))
        show_properties(image, &main);
    else
        notify(missing_file_text(image), os::kIconWarning);
}

void open_folder(Event& event) {
    Window& main = *event.window;
    std::string root = main.text("selected_drive_label");
    if (drive_exists(root))
        run_shown(explorer_command_line(root));
    else
        notify(missing_file_text(main.text("selected_caption_label")), os::kIconWarning);
}

void bind_image_file_operation_handlers() {
    const std::string w = kMainWindowName;
    ui::bind_handler(w, kFound, EventKind::RButtonDown, on_image_list_right_click);
    ui::bind_handler(w, "list_menu_browse", EventKind::Menu, open_image_location);
    ui::bind_handler(w, "list_menu_export", EventKind::Menu, export_image_file);
    ui::bind_handler(w, "list_menu_move", EventKind::Menu, move_image_file);
    ui::bind_handler(w, "list_menu_delete", EventKind::Menu, delete_found_image);
    ui::bind_handler(w, "list_menu_properties", EventKind::Menu, show_image_properties);
    ui::bind_handler(w, "disk_menu_open", EventKind::Menu, open_folder);
}

}  // namespace qv::ui
