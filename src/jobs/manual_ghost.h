// The hand-run Ghost: "手动运行Ghost32(&M)" starts the Ghost tool with its own interface and stays
// ticked while it runs; manual_ghost_timer (10 ms) unticks it once that Ghost has ended. The
// manual run leaves g_busy alone.
#pragma once

#include "ui/runtime.h"

namespace qv {

// The box's Click handler, reading the box's state after the click.
void start_ghost32(ui::Event& event);
// manual_ghost_timer's tick.
void watch_manual_ghost32(ui::Event& event);

void bind_manual_ghost_handlers();
// Forgets the Ghost that the box started (a new run of the program in tests).
void reset_manual_ghost_state();

}  // namespace qv
