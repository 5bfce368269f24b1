// The program shell's handlers: exit and power, the information windows, the hot keys and device
// notices, the finish countdown, the start button, the Ghost restore window, the imagex restore
// window, the found-images list's file menu, the boot tools, the whole-disk layouts, the hand-run
// and the custom Ghost, the virtual drive, the image inspection and the XP setup window.
#pragma once

namespace qv {

void bind_shell_handlers();
// A fresh run: no hot keys registered, the end-of-run unmount still to come.
void reset_shell_state();

}  // namespace qv
