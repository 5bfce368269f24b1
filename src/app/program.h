// The program as a whole: what wWinMain runs once the platform seam is installed.
#pragma once

namespace qv::app {

// Runs the program from start-up to its end on the installed seam; returns the exit code.
int run_program();

}  // namespace qv::app
