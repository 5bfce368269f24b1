// PartitionInfoWindow: the facts of the partition chosen in the partition list as one text (drive,
// position, sizes, usage, label, installed Windows, file system, type, active flag, disk model),
// and the shell's properties sheet of that drive. Both open from the partition menu "磁盘".
#pragma once

#include <cstdint>
#include <string>

#include "ui/runtime.h"

namespace qv {

inline constexpr const char* kPartitionInfoWindowName = "PartitionInfoWindow";
const ui::WindowDef& partition_info_window_def();

// The pieces of the last text built; they keep their values after the window closes.
extern std::string g_info_drive;
extern std::string g_info_active_text;
extern std::string g_info_label;
extern std::string g_info_model;
extern std::string g_info_version_info;  // the FileVersion text of the drive's CMD.EXE

// The pieces of the text as they are shown.
struct PartitionInfo {
    std::string root;  // "C:\"
    int disk = -1;
    int partition = -1;
    std::uint64_t total_bytes = 0;
    std::uint64_t free_bytes = 0;
    std::uint64_t used_bytes = 0;
    int usage_percent = 0;
    std::string label;        // "空" for none
    std::string system_name;  // "Windows 7", "无", ...
    std::string file_system;
    std::string type_name;
    std::string active_text;  // "是" or "否"
    std::string model;        // "未知型号" for none
};

// The twelve lines joined, without a line break at the end.
std::string partition_info_text_of(const PartitionInfo& info);
// Bytes as GB rounded to two decimals, without trailing zeros ("59.99", "10.5", "60").
std::string gigabytes_text(std::uint64_t bytes);
// The used share rounded to two decimals, then in whole percent; 0 for a volume of no size.
int usage_percent_of(std::uint64_t used_bytes, std::uint64_t total_bytes);
// The long name for the FileVersion text of CMD.EXE (its first four characters).
std::string windows_long_name_for_version(const std::string& file_version);

// One free-space query of the volume each: its size, its free bytes (not the caller's quota) and
// the difference; 0 when the query fails.
std::uint64_t disk_total_bytes(const std::string& drive);
std::uint64_t disk_free_bytes(const std::string& drive);
std::uint64_t disk_used_bytes(const std::string& drive);
int disk_usage_percent(const std::string& drive);
// The long name of the Windows installed on the drive, "无" without its CMD.EXE.
std::string windows_version_name(const std::string& drive);

// Asks the system for every piece of the drive root's text (keeping them in the g_info_
// variables) and builds it.
std::string build_partition_info_text(const std::string& root);
// Builds the text of the selected partition and appends it to the window's text box.
void partition_info_text(ui::Window& info_window);

// The drive root of SelectedPartition when that drive exists; otherwise "" after the message
// with the partition's caption and " 不存在！".
std::string existing_selected_drive(ui::Window& main);

// Handlers.
void open_partition_info_window(ui::Event& event);  // "分区信息(&F)"
void show_partition_properties(ui::Event& event);   // "属    性(&R)"
void partition_info_window_load(ui::Event& event);
void on_partition_info_ok_clicked(ui::Event& event);
void on_partition_info_close_clicked(ui::Event& event);

void bind_partition_info_handlers();

}  // namespace qv
