// Stand-in for a Ghost executable that a user picks as the custom Ghost: it carries the version
// resource the program checks (CustomGhost32.rc), logs its command line, takes QV_CUSTOMGHOST32_
// DELAY_MS to run for a while as a hand-run Ghost would, and exits. It touches nothing.
#include "standin.h"

int wmain() {
    standin::begin(L"customghost32");
    return standin::finish(0);
}
