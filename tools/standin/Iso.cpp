// Stand-in for the virtual-drive tool: logs its command line and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"iso");
    return standin::finish(0);
}
