// The Win32 processes: CreateProcess, one anonymous pipe for output, Toolhelp snapshots.
#pragma once

#include "platform/os_process.h"

namespace qv::win32 {

os::Processes& win32_processes();

}  // namespace qv::win32
