#include "app/pending_parts.h"


namespace qv {

void open_ghost_restore_window_modal() {}
void open_virtual_drive_window() {}
void quick_restore_hd3() {}
void quick_restore_hd4() {}
void quick_restore_hd5() {}
void show_selected_partition() {}

}  // namespace qv
