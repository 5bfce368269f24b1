#include "app/pending_parts.h"

namespace qv {

std::vector<std::string>& pending_part_calls() {
    static std::vector<std::string> calls;
    return calls;
}

void open_ghost_backup_window() { pending_part_calls().push_back("GhostBackupWindow"); }
void open_imagex_capture_window() { pending_part_calls().push_back("ImagexCaptureWindow"); }

}  // namespace qv
