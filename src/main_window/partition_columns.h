// The columns of the main window's partition list, in the three panels it serves.
#pragma once

#include <string>
#include <vector>

namespace qv {

// The list's column layout; column 0 is titled by the panel the list serves.
enum class PartitionListMode { Restore, Backup, Install };
struct PartitionColumn {
    std::string caption;
    int width = 0;
};
std::vector<PartitionColumn> partition_columns(PartitionListMode mode);

}  // namespace qv
