// Stand-in for the Windows imaging tool: logs its command line and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"imagex");
    return standin::finish(0);
}
