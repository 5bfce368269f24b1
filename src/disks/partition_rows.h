// The rows of the partition list: one PartitionRow per fixed or removable drive that has a letter
// and readable disk and partition numbers, the size texts, the default row, the captions by
// mode, what SelectedPartition shows, and the items of the optical-drive combo.
//
// Everything here works on plain values; the main window copies them into its controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// What the list needs to know of one drive. Sizes are whole KiB, -1 when the query failed.
struct DriveFacts {
    std::string root;
    int type = 0;
    int disk = -1;
    int partition = -1;
    std::int64_t total_kib = -1;
    std::int64_t free_kib = -1;
    bool active = false;
    std::string short_name;
};

struct PartitionRow {
    std::string root;            // "C:\"
    std::string disk_partition;  // "1:1"
    std::string system;          // "A,Win7", "Win7", "A" or empty
    std::string type_name;       // "硬盘驱动器"
    std::string total;           // "465.76 GB" or "获取失败"
    std::string free;
    std::vector<std::string> cells() const;
};

// A KiB count as the list writes it: MB, GB or TB with exactly two decimals.
std::string partition_size_text(std::int64_t kib);
std::string partition_system_text(bool active, const std::string& short_name);

// The row of a drive, or false when the drive does not belong in the list (no disk or partition
// number, or the running system's own drive X:).
bool make_partition_row(const DriveFacts& facts, PartitionRow& row);

// Asks the system for a root's row, in the list's order of questions: numbers, sizes and type
// first, the active mark and the installed Windows only for a row that stays.
bool partition_row_for(const std::string& root, PartitionRow& row);

// The rows of the fixed drives (loading the partition report first) and of the removable drives
// (with the report already loaded), each in letter order.
std::vector<PartitionRow> partition_rows_fixed();
std::vector<PartitionRow> partition_rows_removable();
// The whole list as start-up and a refresh fill it: fixed drives, then removable ones.
std::vector<PartitionRow> build_partition_list();

// Whether a "disk:partition" cell is the one sought. The comparison is of whole numbers: "1:1"
// finds neither "11:1" nor "1:10"; a pattern without a disk (":1") takes partition 1 of any disk.
bool disk_partition_matches(const std::string& cell, const std::string& sought);
// The first row whose disk:partition matches, or -1.
int find_partition_row(const std::vector<PartitionRow>& rows, const std::string& sought);
// The start-up row: the first 1:1, else the first 1:2, else the first partition 1 of any disk.
int default_partition_row(const std::vector<PartitionRow>& rows);

// The five hidden texts of the chosen target.
struct SelectedPartition {
    std::string caption;         // "C:\(1:1)", "()" with no row
    std::string disk_partition;  // what Ghost command lines use
    std::string root;
    std::string system;
    std::string type_name;
};
SelectedPartition selected_partition_of(const PartitionRow* row);

// Re-entry guard of the list refresh: a refresh runs only when no other refresh runs and no long
// action holds the main window's lock; otherwise it does nothing at all.
class PartitionRefreshGuard {
public:
    explicit PartitionRefreshGuard(bool window_locked);
    ~PartitionRefreshGuard();
    PartitionRefreshGuard(const PartitionRefreshGuard&) = delete;
    PartitionRefreshGuard& operator=(const PartitionRefreshGuard&) = delete;
    bool entered() const { return entered_; }

private:
    bool entered_ = false;
};

// What a click on the list allows: the start button only for a row whose size could be read; a
// right click pops up the disk menu for a row with a type, offering removal for removable drives.
struct PartitionClick {
    bool start_enabled = false;
    bool show_menu = false;
    bool show_remove = false;
};
PartitionClick partition_click_of(const SelectedPartition& chosen, const std::string& total_cell);

// The empty-list check: sets g_no_partitions and, for an empty list, shows the warning. Returns
// whether the list has rows.
bool check_partitions_found(std::size_t row_count);

// The balloons around a refresh.
extern const char* const kRefreshingText;
extern const char* const kRefreshDoneText;

// The optical-drive combo: one item per optical drive, or the single "none" item.
std::string cd_drive_item(const std::string& root, std::int64_t total_kib,
                          const std::string& file_system);
std::vector<std::string> cd_drive_items();

// The empty-list message of start-up and refresh.
extern const char* const kNoPartitionsMessage;

}  // namespace qv
