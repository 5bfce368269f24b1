#include "main_window/partition_columns.h"

namespace qv {

std::vector<PartitionColumn> partition_columns(PartitionListMode mode) {
    const char* first = mode == PartitionListMode::Backup    ? "备份"
                        : mode == PartitionListMode::Install ? "安装"
                                                             : "还原";
    return {{first, 39},  {"盘号", 47},   {"系统", 65},
            {"类型", 84}, {"总大小", 66}, {"可用空间", 66}};
}

}  // namespace qv
