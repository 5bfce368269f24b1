// Stand-in for the boot-record and boot-configuration editor: logs its command line and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"bootice");
    return standin::finish(0);
}
