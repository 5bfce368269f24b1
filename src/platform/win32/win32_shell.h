// Shell links through the "WScript.Shell" scripting object.
#pragma once

#include "platform/os_shell.h"

namespace qv::win32 {

os::Shell& win32_shell();

}  // namespace qv::win32
