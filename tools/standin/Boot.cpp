// Stand-in for the boot-repair package: logs its command line and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"boot");
    return standin::finish(0);
}
