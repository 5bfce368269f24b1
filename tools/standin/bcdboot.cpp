// Stand-in for the boot-file creation tool: logs its command line and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"bcdboot");
    return standin::finish(0);
}
