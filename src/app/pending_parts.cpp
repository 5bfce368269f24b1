#include "app/pending_parts.h"


namespace qv {

void open_ghost_restore_window_modal() {}
void open_virtual_drive_window() {}

}  // namespace qv
