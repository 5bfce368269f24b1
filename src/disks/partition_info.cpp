#include "disks/partition_info.h"

#include <cmath>

#include "base/helpers.h"
#include "base/shell_file_operations.h"
#include "disks/disk_manager.h"
#include "disks/drive_facts.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "platform/os_drives.h"
#include "ui/dialog_def.h"

namespace qv {

std::string g_info_drive;
std::string g_info_active_text;
std::string g_info_label;
std::string g_info_model;
std::string g_info_version_info;

namespace {

constexpr double kBytesPerGigabyte = 1073741824.0;

ui::WindowDef make_partition_info_window_def() {
    using ui::Kind;
    ui::WindowDef def = ui::dialog_window(kPartitionInfoWindowName, 295, 273, "", true);
    // The skin's caption label is the window's title line, written at load.
    for (ui::ControlDef& c : def.controls)
        if (c.role == "caption_label") c.unit = "透明标签1";
    ui::add_control(def, "info_edit", "编辑框1", Kind::Edit, "panel", 8, 7, 264, 184).flags =
        ui::kMultiLine | ui::kReadOnly | ui::kVScroll;
    ui::add_picture_button(def, "ok_button", "按钮2", "panel", 192, 200, 82, 26, "确定(C)",
                           "btn_ok");
    return def;
}

bool space_of(const std::string& drive, os::SpaceBytes& space) {
    return os::os().drives->space_bytes(drive, space);
}

std::string main_text(const char* role) {
    ui::Window* main = ui::main_window();
    return main != nullptr ? main->text(role) : std::string();
}

}  // namespace

const ui::WindowDef& partition_info_window_def() {
    static const ui::WindowDef def = make_partition_info_window_def();
    return def;
}

std::string gigabytes_text(std::uint64_t bytes) {
    return number_text(round_half_even(static_cast<double>(bytes) / kBytesPerGigabyte, 2));
}

int usage_percent_of(std::uint64_t used_bytes, std::uint64_t total_bytes) {
    // A volume whose size cannot be read has no share in use to show.
    if (total_bytes == 0) return 0;
    double share =
        round_half_even(static_cast<double>(used_bytes) / static_cast<double>(total_bytes), 2);
    return static_cast<int>(std::lround(share * 100.0));
}

std::string windows_long_name_for_version(const std::string& file_version) {
    static const struct {
        const char* key;
        const char* name;
    } kLongNames[] = {
        {"5.0.", "Windows 2000"}, {"5.1.", "Windows XP"},
        {"5.2.", "Windows 2003"}, {"6.0.", "Windows Vista"},
        {"6.1.", "Windows 7"},    {"6.2.", "Windows 8"},
        {"6.3.", "Windows 8.1"},  {"6.4.", "Windows 10技术预览版"},
        {"10.0", "Windows 10"},
    };
    std::string key = file_version.substr(0, 4);
    for (const auto& row : kLongNames)
        if (key == row.key) return row.name;
    return "未知的Windows版本";
}

std::string partition_info_text_of(const PartitionInfo& p) {
    return "盘符：" + p.root.substr(0, 1) + ":\\" + "\r\n位置：第 " + std::to_string(p.disk) +
           " 个硬盘的第 " + std::to_string(p.partition) + " 分区" + "\r\n总大小：" +
           gigabytes_text(p.total_bytes) + "GB " + "\r\n可用大小：" + gigabytes_text(p.free_bytes) +
           " GB" + "\r\n已用大小：" + gigabytes_text(p.used_bytes) + "GB " + "\r\n使用率：" +
           std::to_string(p.usage_percent) + "%" + "\r\n磁盘卷标：" + p.label + "\r\n操作系统：" +
           p.system_name + "\r\n文件系统：" + p.file_system + "\r\n磁盘类型：" + p.type_name +
           "\r\n活动分区：" + p.active_text + "\r\n磁盘型号：" + p.model;
}

std::uint64_t disk_total_bytes(const std::string& drive) {
    os::SpaceBytes space;
    if (!space_of(drive, space)) return 0;
    return static_cast<std::uint64_t>(space.total);
}

std::uint64_t disk_free_bytes(const std::string& drive) {
    os::SpaceBytes space;
    if (!space_of(drive, space)) return 0;
    return static_cast<std::uint64_t>(space.total_free);
}

std::uint64_t disk_used_bytes(const std::string& drive) {
    os::SpaceBytes space;
    if (!space_of(drive, space)) return 0;
    return static_cast<std::uint64_t>(space.total - space.total_free);
}

int disk_usage_percent(const std::string& drive) {
    std::string root = drive.substr(0, 1) + ":\\";
    return usage_percent_of(disk_used_bytes(root), disk_total_bytes(root));
}

std::string windows_version_name(const std::string& drive) {
    std::string cmd = drive.substr(0, 1) + ":\\windows\\system32\\CMD.EXE";
    if (!path_exists(cmd)) return "无";
    g_info_version_info = get_file_version(cmd);
    return windows_long_name_for_version(g_info_version_info);
}

std::string build_partition_info_text(const std::string& root) {
    g_info_drive = root;
    g_info_active_text = is_active_partition(root) ? "是" : "否";
    g_info_label = g_disk.get_volume_label(root);
    if (g_info_label.empty()) g_info_label = "空";
    PartitionInfo info;
    info.root = root;
    info.disk = disk_number_of(root);
    info.partition = partition_number_of(root);
    g_info_model = g_disk.get_disk_model_of_disk(info.disk);
    if (g_info_model.empty()) g_info_model = "未知型号";
    info.total_bytes = disk_total_bytes(root);
    info.free_bytes = disk_free_bytes(root);
    info.used_bytes = disk_used_bytes(root);
    info.usage_percent = disk_usage_percent(root);
    info.label = g_info_label;
    info.system_name = windows_version_name(root);
    info.file_system = volume_file_system(root);
    info.type_name = drive_type_name(root);
    info.active_text = g_info_active_text;
    info.model = g_info_model;
    return partition_info_text_of(info);
}

void partition_info_text(ui::Window& info_window) {
    info_window.append_text("info_edit",
                            build_partition_info_text(main_text("selected_drive_label")));
}

std::string existing_selected_drive(ui::Window& main) {
    std::string root = main.text("selected_drive_label");
    if (drive_exists(root)) return root;
    os::os().notices->message_box(main.text("selected_caption_label") + " 不存在！", "提示",
                                  os::kIconWarning);
    return {};
}

void open_partition_info_window(ui::Event& event) {
    if (existing_selected_drive(*event.window).empty()) return;
    os::os().ui->open_modal(partition_info_window_def(), event.window);
}

void show_partition_properties(ui::Event& event) {
    std::string root = existing_selected_drive(*event.window);
    if (root.empty()) return;
    show_properties(root, event.window);
}

void partition_info_window_load(ui::Event& event) {
    ui::Window& info = *event.window;
    info.set_picture("panel", ui::kDialogBackground);
    info.set_text("caption_label", main_text("selected_caption_label") + " 的分区信息");
    partition_info_text(info);
}

void on_partition_info_ok_clicked(ui::Event& event) {
    event.window->close();
}
void on_partition_info_close_clicked(ui::Event& event) {
    event.window->close();
}

void bind_partition_info_handlers() {
    const std::string main = ui::kMainWindowName;
    ui::bind_handler(main, "disk_menu_partition_info", ui::EventKind::Menu,
                     open_partition_info_window);
    ui::bind_handler(main, "disk_menu_properties", ui::EventKind::Menu, show_partition_properties);
    const std::string info = kPartitionInfoWindowName;
    ui::bind_handler(info, "", ui::EventKind::Created, partition_info_window_load);
    ui::bind_handler(info, "ok_button", ui::EventKind::Click, on_partition_info_ok_clicked);
    ui::bind_handler(info, "close_button", ui::EventKind::Click, on_partition_info_close_clicked);
}

}  // namespace qv
