// The single-instance guard, and the window and process look-ups that come with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/os_instance.h"

namespace qv {

// The message a second copy shows: "请勿重复运行" + maker + "Velquist" + edition word + "！".
std::string second_copy_message();

// Claims the instance event of `name` (empty: the program's own path with "/" for "\"). When
// another copy holds it, shows the message (when asked; "对不起,该进程已打开!" when none is
// given) under "提示" with the style, brings the first copy's window forward (when asked), ends
// the program (exit code 0) and returns false. Returns true when this copy may run on; also when
// the event can be neither made nor found, the program then runs without a guard.
bool ensure_single_instance(const std::string& name, bool show_message = false,
                            const std::string& message = "", int style = 0,
                            bool bring_forward = false);

// A message box; the result is the button code minus 1 (OK gives 0).
int show_message_box(const std::string& text, int style = os::kIconInfo,
                     const std::string& caption = "友情提醒");

// The desktop's top-level windows in enumeration order; the count.
int collect_top_windows(std::vector<os::WindowEntry>& out);
// The first visible window of the process whose title and class contain the parts (case
// ignored; an empty part matches any), or 0.
std::uintptr_t find_process_windows(std::uint32_t process_id, const std::string& title_part = "",
                                    const std::string& class_part = "");
// -1 when no process of that executable name runs, else its first visible window or 0.
std::intptr_t find_process_window_by_name(const std::string& exe_name);
void activate_window(std::uintptr_t window, bool topmost = false);

}  // namespace qv
