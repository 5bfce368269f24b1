// The carried files: RCDATA resources of the program file, named by their file names.
#pragma once

#include "platform/os_carried.h"

namespace qv::win32 {

os::CarriedFiles& win32_carried_files();

}  // namespace qv::win32
