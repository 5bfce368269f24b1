// Stand-in for the boot-record and boot-configuration editor: logs its command line, takes a
// little while (200 ms, or QV_BOOTICE_DELAY_MS) so that runs that overlap show in the log, and
// exits. It never touches a disk.
#include <windows.h>

#include "standin.h"

int wmain() {
    standin::begin(L"bootice");
    if (standin::tool_switch(L"DELAY_MS").empty()) Sleep(200);
    return standin::finish(0);
}
