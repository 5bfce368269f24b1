#include "disks/partition_rows.h"

#include <cmath>
#include <cstdio>

#include "base/helpers.h"
#include "base/state.h"
#include "disks/drive_facts.h"
#include "platform/os.h"
#include "platform/os_drives.h"

namespace qv {

// clang-format off
const char* const kNoPartitionsMessage =
    "程序未检测到可用的硬盘分区！\r\n"
    "请检查WinPE是否正确识别到硬盘驱动器且已分区或硬盘\r\n"
    "驱动器是否有故障！\r\n"
    "\r\n"
    "注意：如磁盘已分区且确定无故障，则说明是由于WinPE缺少\r\n"
    "自带磁盘驱动程序，导致无法识别磁盘分区。\r\n"
    "建议更换更高版本的WinPE即可，推荐使用Win8PE。";
// clang-format on

const char* const kRefreshingText = "正在刷新列表，请稍候.....";
const char* const kRefreshDoneText = "刷新列表完成！";

namespace {

const char* const kSizeUnreadable = "获取失败";

// Two decimals, half away from zero; the nudge keeps values that are a binary hair below a half
// (1.005 and the like) from rounding down.
std::string two_decimals(double value) {
    double magnitude = std::fabs(value) * 100.0 + 1e-12;
    auto cents = static_cast<std::int64_t>(std::floor(magnitude + 0.5));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%lld.%02lld", value < 0 && cents > 0 ? "-" : "",
                  static_cast<long long>(cents / 100), static_cast<long long>(cents % 100));
    return buf;
}

bool row_is_dropped(const DriveFacts& facts) {
    return facts.disk < 0 || facts.partition < 0 || facts.root.compare(0, 3, "X:\\") == 0;
}

DriveFacts basic_facts(const std::string& root) {
    DriveFacts facts;
    facts.root = root;
    facts.disk = disk_number_of(root);
    facts.partition = partition_number_of(root);
    os::SpaceBytes space;
    if (os::os().drives->space_bytes(root, space)) {
        facts.total_kib = space.total / 1024;
        facts.free_kib = space.free_to_caller / 1024;
    }
    facts.type = os::os().drives->drive_type(root);
    return facts;
}

std::vector<PartitionRow> rows_of(int selector) {
    std::vector<PartitionRow> rows;
    for (const std::string& root : list_drives(selector)) {
        PartitionRow row;
        if (partition_row_for(root, row)) rows.push_back(row);
    }
    return rows;
}

// "m:n" split into its two numbers' texts; false unless there is exactly one colon.
bool split_disk_partition(const std::string& text, std::string& disk, std::string& partition) {
    std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) return false;
    disk = text.substr(0, colon);
    partition = text.substr(colon + 1);
    return true;
}

}  // namespace

std::vector<std::string> PartitionRow::cells() const {
    return {root, disk_partition, system, type_name, total, free};
}

std::string partition_size_text(std::int64_t kib) {
    double k = static_cast<double>(kib);
    if (k / 1048576.0 - 1024.0 > 0.0000001) return two_decimals(k / 1073741824.0) + " TB";
    if (k / 1024.0 - 1024.0 > 0.0000001) return two_decimals(k / 1048576.0) + " GB";
    return two_decimals(k / 1024.0) + " MB";
}

std::string partition_system_text(bool active, const std::string& short_name) {
    if (short_name.empty()) return active ? "A" : "";
    return active ? "A," + short_name : short_name;
}

bool make_partition_row(const DriveFacts& facts, PartitionRow& row) {
    if (row_is_dropped(facts)) return false;
    row.root = facts.root;
    row.disk_partition = disk_partition_text(facts.disk, facts.partition);
    row.total = partition_size_text(facts.total_kib);
    row.free = partition_size_text(facts.free_kib);
    row.type_name = drive_type_name_of(facts.type);
    if (facts.total_kib == -1 || row.total.compare(0, 4, "0.00") == 0) {
        row.total = kSizeUnreadable;
        row.free = kSizeUnreadable;
    }
    row.system = partition_system_text(facts.active, facts.short_name);
    return true;
}

bool partition_row_for(const std::string& root, PartitionRow& row) {
    DriveFacts facts = basic_facts(root);
    if (row_is_dropped(facts)) return false;
    facts.active = is_active_partition(root);
    facts.short_name = windows_short_name(root);
    return make_partition_row(facts, row);
}

std::vector<PartitionRow> partition_rows_fixed() {
    load_partition_info();
    return rows_of(kFixedDrives);
}

std::vector<PartitionRow> partition_rows_removable() {
    return rows_of(kRemovableDrives);
}

std::vector<PartitionRow> build_partition_list() {
    std::vector<PartitionRow> rows = partition_rows_fixed();
    std::vector<PartitionRow> removable = partition_rows_removable();
    rows.insert(rows.end(), removable.begin(), removable.end());
    return rows;
}

bool disk_partition_matches(const std::string& cell, const std::string& sought) {
    std::string cell_disk, cell_part, want_disk, want_part;
    if (!split_disk_partition(cell, cell_disk, cell_part) ||
        !split_disk_partition(sought, want_disk, want_part)) {
        return false;
    }
    return (want_disk.empty() || want_disk == cell_disk) && want_part == cell_part;
}

int find_partition_row(const std::vector<PartitionRow>& rows, const std::string& sought) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (disk_partition_matches(rows[i].disk_partition, sought)) return static_cast<int>(i);
    return -1;
}

int default_partition_row(const std::vector<PartitionRow>& rows) {
    for (const char* sought : {"1:1", "1:2", ":1"}) {
        int row = find_partition_row(rows, sought);
        if (row != -1) return row;
    }
    return -1;
}

SelectedPartition selected_partition_of(const PartitionRow* row) {
    SelectedPartition chosen;
    if (row == nullptr) {
        chosen.caption = "()";
        return chosen;
    }
    chosen.caption = row->root + "(" + row->disk_partition + ")";
    chosen.disk_partition = row->disk_partition;
    chosen.root = row->root;
    chosen.system = row->system;
    chosen.type_name = row->type_name;
    return chosen;
}

PartitionClick partition_click_of(const SelectedPartition& chosen, const std::string& total_cell) {
    PartitionClick click;
    click.start_enabled = total_cell != kSizeUnreadable;
    click.show_menu = click.start_enabled && !chosen.type_name.empty();
    click.show_remove = click.show_menu && chosen.type_name == "可移动驱动器";
    return click;
}

bool check_partitions_found(std::size_t row_count) {
    g_no_partitions = row_count == 0;
    if (g_no_partitions)
        os::os().notices->message_box(kNoPartitionsMessage, "提示", os::kIconWarning);
    return !g_no_partitions;
}

namespace {
bool g_refreshing_partitions = false;
}

PartitionRefreshGuard::PartitionRefreshGuard(bool window_locked) {
    if (window_locked || g_refreshing_partitions) return;
    g_refreshing_partitions = true;
    entered_ = true;
}

PartitionRefreshGuard::~PartitionRefreshGuard() {
    if (entered_) g_refreshing_partitions = false;
}

std::string cd_drive_item(const std::string& root, std::int64_t total_kib,
                          const std::string& file_system) {
    if (total_kib <= 0) return root + " 请插入系统光盘！";
    double mb = round_half_even(static_cast<double>(total_kib) / 1024.0, 2);
    return root + " 总大小：" + number_text(mb) + " MB，文件系统：" + file_system;
}

std::vector<std::string> cd_drive_items() {
    std::vector<std::string> items;
    for (const std::string& root : list_drives(kOpticalDrives)) {
        os::SpaceBytes space;
        std::int64_t total_kib =
            os::os().drives->space_bytes(root, space) ? space.total / 1024 : -1;
        items.push_back(
            cd_drive_item(root, total_kib, total_kib > 0 ? volume_file_system(root) : ""));
    }
    if (items.empty()) items.push_back("未检测到光盘驱动器");
    return items;
}

}  // namespace qv
