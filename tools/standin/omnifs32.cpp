// Stand-in for Ghost's file-system utility: logs its command line and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"omnifs32");
    return standin::finish(0);
}
