// Moving and copying files through the shell, Explorer on a file, the properties sheet.
//
// In a build with test hooks, while notices go to the test log (QV_NOTICE_LOG), the two calls
// that would leave a window behind (Explorer on the folder, the properties sheet) append a line
// to that log instead: "select<TAB>path<TAB>rename|" and "properties<TAB>path<TAB>owned|".
#pragma once

#include "platform/os_shell_files.h"

namespace qv::win32 {

os::ShellFiles& win32_shell_files();

}  // namespace qv::win32
