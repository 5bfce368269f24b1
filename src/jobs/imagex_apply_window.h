// ImagexApplyWindow as data, and the picture sets of its cancel button.
#pragma once

#include <string>

#include "ui/runtime.h"

namespace qv {

// Format combo items, by index.
enum : int { kFormatDialog = 0, kFormatNtfs = 1, kFormatFat = 2, kFormatSkip = 3 };
// The status label's height; its width changes with the job.
inline constexpr int kImagexApplyStatusHeight = 16;

const ui::WindowDef& imagex_apply_window_def();

// The cancel button's three picture sets (the backup window uses them too).
void set_apply_running_pictures(ui::Window& window, const std::string& button);
void set_apply_done_pictures(ui::Window& window, const std::string& button);
void set_apply_stopped_pictures(ui::Window& window, const std::string& button);

}  // namespace qv
