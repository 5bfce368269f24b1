// The program entry and the start routines of the modules.
#pragma once

namespace qv {

// Runs the program on the seam that is installed (os().ui must be set): fresh program-wide
// state, the module start routines, MainWindow (whose Created handler is the start-up
// sequence), then the message loop. Returns the loop's exit code; 1 without a window runtime.
int run_program();

// The persistent console's start routine: the console is not running. Returns 0.
int init_console_flag();
void console_init_stub();

}  // namespace qv
