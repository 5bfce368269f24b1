// The single-instance event and the desktop's top-level windows.
#pragma once

#include "platform/os_instance.h"

namespace qv::win32 {

os::InstanceEvents& win32_instance_events();
os::TopWindows& win32_top_windows();

}  // namespace qv::win32
