#include "app/pending_parts.h"


namespace qv {

void open_ghost_restore_window_modal() {}
void quick_restore_hd3() {}
void quick_restore_hd4() {}
void quick_restore_hd5() {}

}  // namespace qv
