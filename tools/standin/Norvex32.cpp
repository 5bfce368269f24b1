// Stand-in for the Ghost cloning tool: logs its command line and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"norvex32");
    return standin::finish(0);
}
