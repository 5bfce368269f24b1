#include "jobs/image_inspection.h"

#include <cstdint>
#include <vector>

#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "disks/partition_list.h"
#include "images/image_list.h"
#include "images/image_scan.h"
#include "jobs/virtual_drive.h"
#include "main_window/lock_ui.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv {

FileVersionInfo g_winnt32_version_info;

namespace {

constexpr const char* kCombo = "image_combo";
constexpr const char* kDiscImages = "disc_images_list";
constexpr const char* kWimTypeLine = "类型： WIM 映像文件";

std::vector<std::string> items_of(const ui::Window& w, const std::string& role) {
    std::vector<std::string> items;
    int count = w.item_count(role);
    for (int i = 0; i < count; ++i) items.push_back(w.item_text(role, i));
    return items;
}

// The combo's own prefix search: the first item that begins with the text, case ignored.
int find_item_starting_with(const ui::Window& w, const std::string& role, const std::string& text) {
    int count = w.item_count(role);
    for (int i = 0; i < count; ++i)
        if (starts_with_ignore_case(w.item_text(role, i), text)) return i;
    return -1;
}

// Selects the first item that begins with the text, or appends the text without selecting it.
void select_or_append(ui::Window& main, const std::string& text) {
    int found = find_item_starting_with(main, kCombo, text);
    if (found >= 0)
        main.select(kCombo, found);
    else
        main.add_item(kCombo, text);
}

// The four detail lines of the combo's current item, with the type line the caller names.
void describe_current_image(ui::Window& main, const std::string& type_line) {
    ImageDetails details = image_details(main.text(kCombo));
    details.type = type_line;
    ui::show_image_details(main, details);
}

// An image file: chosen (or made current) when it holds at least 1 KB.
void take_image_file(ui::Window& main, const std::string& path, const char* type_line,
                     const char* invalid_text) {
    if (file_size(path) <= 0) {
        ui::show_notice(invalid_text, os::kIconWarning);
        return;
    }
    ui::choose_or_add_image(main, path);
    describe_current_image(main, type_line);
}

void load_failed(const std::string& text) {
    ui::show_notice_balloon(text);
    ui::show_notice(text, os::kIconError);
}

// The images the mounted disc holds, in the image combo; install.wim first, else a Ghost image.
void take_disc_images(ui::Window& main, const std::string& letter) {
    for (const std::string& image : items_of(main, kDiscImages)) main.add_item(kCombo, image);
    std::vector<std::string> kept = drop_small_images(items_of(main, kCombo));
    main.clear_items(kCombo);
    for (const std::string& item : kept) main.add_item(kCombo, item);
    int chosen = find_item_starting_with(main, kCombo, letter + ":\\sources\\install.wim");
    if (chosen < 0) {
        pick_first_gho_item(kept);
        chosen = choose_scanned_item(kept, g_preferred_image);
    }
    if (chosen >= 0) main.select(kCombo, chosen);
    // The disc's kind is not told apart here: the line names a WIM image whatever was chosen.
    describe_current_image(main, kWimTypeLine);
}

// The disc holds no image: an XP or Server 2003 disc offers its I386 folder.
void take_setup_folder(ui::Window& main, const std::string& letter, const std::string& iso) {
    const std::string setup = letter + ":\\I386\\WINNT32.EXE";
    if (file_exists(setup)) {
        g_winnt32_version_info = read_file_version_info(setup);
        if (is_winnt32_setup_program(g_winnt32_version_info)) {
            select_or_append(main, letter + ":\\I386");
            ui::show_notice_balloon("加载：" + iso + "成功！");
        } else {
            load_failed("错误或不支持的Windows安装镜像，请选择正确的Windows安装镜像！");
        }
    } else if (drive_exists(letter)) {
        ui::show_notice_balloon("加载：" + iso + "失败！");
        ui::show_notice("无效或不支持的ISO映像文件，请选择正确的Windows安装镜像！",
                        os::kIconWarning);
    } else {
        load_failed("加载组件出现错误，请重试！");
    }
}

void inspect_iso(ui::Window& main, const std::string& iso) {
    // Even an image refused here counts: the end of the run unmounts whatever may be mounted.
    g_iso_mounted = true;
    if (file_size(iso) <= 0) {
        ui::show_notice("无效的ISO镜像文件，请选择正确的ISO镜像文件！", os::kIconWarning);
        return;
    }
    const std::string letter = g_virtual_drive_letter;
    ui::lock_ui();
    main.clear_items(kDiscImages);
    ui::show_notice_balloon("正在加载：" + iso);
    // Without a free letter at start-up there is nowhere to mount: the tool is not asked to
    // mount on no letter at all, and the search below finds no drive.
    if (!letter.empty()) {
        run_hidden(virtual_drive_mount_command(letter, iso), true);
        remember_mounted_iso(letter, iso);
        for (const char* pattern : {"*.Gho", "*.Wim"})
            for (const std::string& image :
                 find_files_recursive(letter + ":\\", pattern, true, "", false, true))
                main.add_item(kDiscImages, image);
    }
    if (main.item_count(kDiscImages) == 0) {
        take_setup_folder(main, letter, iso);
    } else {
        take_disc_images(main, letter);
        ui::show_notice_balloon("加载：" + iso + "成功！");
    }
    ui::unlock_ui();
}

void take_setup_program(ui::Window& main, const std::string& path) {
    g_ghost_version_info = read_file_version_info(path);
    if (is_winnt32_setup_program(g_ghost_version_info))
        select_or_append(main, path);
    else
        ui::show_notice("您选择的不是 WinNT5.X 安装程序，请重新选择！ ", os::kIconWarning);
}

// The first three characters of the program's folder: its drive root.
std::string run_drive_root() {
    return os::os().program->run_folder().substr(0, 3);
}

// The generator of the platform's C runtime, seeded as the preset name wants it.
int draw_from_seed(std::uint32_t seed, int low, int high) {
    std::uint32_t state = seed * 214013u + 2531011u;
    int value = static_cast<int>((state >> 16) & 0x7FFFu);
    return low + value % (high - low + 1);
}

void choose_backup_path(ui::Window& main) {
    int row = main.selected_row("partition_list");
    std::string row_root = row >= 0 ? main.cell("partition_list", row, 0) : std::string();
    std::string name = backup_preset_name(main.text("backup_path_combo"), row >= 0, row_root);
    const ui::ControlDef* dialog = main.def().control("backup_save_dialog");
    if (dialog != nullptr)
        main.set_file_dialog(dialog->role, dialog->caption, dialog->filter, name);
    main.set_dialog_folder("backup_save_dialog", run_drive_root());
    std::string path = main.run_file_dialog("backup_save_dialog");
    if (path.empty()) return;
    main.add_item("backup_path_combo", path);
    int found = find_item_starting_with(main, "backup_path_combo", path);
    if (found >= 0) main.select("backup_path_combo", found);
}

}  // namespace

FileVersionInfo read_file_version_info(const std::string& path) {
    os::FileSystem& files = *os::os().files;
    FileVersionInfo info;
    info.file_version = files.file_version(path);
    info.file_description = files.file_description(path);
    return info;
}

bool is_winnt32_setup_program(const FileVersionInfo& info) {
    return upper_ascii(info.file_description) == "STUB LOADER FOR WINNT32 SETUP PROGRAM";
}

int backup_name_number() {
    return draw_from_seed(9999, 10, 9999);
}

std::string backup_preset_name(const std::string& backup_path, bool row_selected,
                               const std::string& row_root) {
    if (!backup_path.empty()) return get_file_title(backup_path, true);
    if (row_selected)
        return row_root.substr(0, 1) + "_BAK" + std::to_string(backup_name_number()) + ".GHO";
    return {};
}

void inspect_chosen_image(ui::Window& main, const std::string& path, InspectionSource source) {
    const bool dropped = source == InspectionSource::Drop;
    const std::string ext = upper_ascii(path_extension(path));
    if (ext == ".ISO") {
        inspect_iso(main, path);
    } else if (ext == ".WIM") {
        take_image_file(main, path, kWimTypeLine, "无效的WIM映像文件，请选择正确的WIM映像文件！");
    } else if (ext == ".GHO") {
        // A dropped Ghost image replaces the whole list; an invalid one leaves the list alone.
        if (dropped && file_size(path) > 0) main.clear_items(kCombo);
        take_image_file(main, path, "类型： Ghost 映像文件",
                        "无效的Ghost映像文件，请选择正确的Ghost映像文件！");
    } else if (upper_ascii(get_file_title(path, true)) == "WINNT32.EXE") {
        take_setup_program(main, path);
    } else if (ext == ".SWM") {
        take_image_file(main, path, "类型： SWM 分卷映像文件",
                        "无效的SWM分卷映像文件，请选择正确的SWM分卷映像文件！");
    } else if (dropped) {
        ui::show_notice("不支持的文件格式！", os::kIconError);
    }
}

void open_image_file(ui::Window& main, const std::string& dropped_name) {
    if (main.checked("restore_radio"))
        inspect_chosen_image(main, dropped_name, InspectionSource::Drop);
}

void show_disc_install_panel(ui::Window& main) {
    if (!main.checked("disc_install_radio")) return;
    main.set_visible("browse_button", false);
    for (const char* role :
         {"noide_check", "integrity_check", "password_check", "custom_ghost_check",
          "crcignore_check", "split_combo", "compression_combo", "password_edit"})
        main.set_enabled(role, false);
    main.set_text("password_edit", "");
    main.set_checked("password_check", false);
    main.set_visible("image_combo", false);
    main.set_visible("backup_path_combo", false);
    main.set_visible("optical_drive_combo", true);
    main.clear_items("optical_drive_combo");
    main.set_drop_enabled(false);
    list_cd_drives(main);
    main.set_text("image_caption_label", "请选择系统光盘盘符：");
    show_partition_list_mode(main, PartitionListMode::Install);
}

void on_image_chosen(ui::Event& event) {
    ui::Window& main = *event.window;
    main.set_focus("partition_list");
    if (!main.checked("restore_radio")) {
        choose_backup_path(main);
        return;
    }
    main.set_dialog_folder("image_open_dialog", run_drive_root());
    std::string path = main.run_file_dialog("image_open_dialog");
    if (!path.empty()) inspect_chosen_image(main, path, InspectionSource::Browse);
}

void on_image_file_dropped(ui::Event& event) {
    // The window takes drops while a long action such as the image search holds its lock: the
    // browse button is locked then, and a drop is refused like it, since opening the image
    // would hand the controls back in the middle of that action.
    if (ui::ui_locked()) return;
    // Several files dropped at once: the first one is taken.
    if (!event.files.empty()) open_image_file(*event.window, event.files.front());
}

void on_disc_install_radio_clicked(ui::Event& event) {
    show_disc_install_panel(*event.window);
}

void bind_image_inspection_handlers() {
    const std::string main = ui::kMainWindowName;
    ui::bind_handler(main, "browse_button", ui::EventKind::Click, on_image_chosen);
    ui::bind_handler(main, "drop_target", ui::EventKind::Drop, on_image_file_dropped);
    ui::bind_handler(main, "disc_install_radio", ui::EventKind::Click,
                     on_disc_install_radio_clicked);
}

void reset_image_inspection_state() {
    g_winnt32_version_info = {};
    g_ghost_version_info = {};
}

}  // namespace qv
