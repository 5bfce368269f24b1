#include "app/pending_parts.h"

namespace qv {

std::vector<std::string>& pending_part_calls() {
    static std::vector<std::string> calls;
    return calls;
}

void open_virtual_drive_window() { pending_part_calls().push_back("VirtualDriveWindow"); }
void open_winnt32_setup_window() { pending_part_calls().push_back("Winnt32SetupWindow"); }

}  // namespace qv
