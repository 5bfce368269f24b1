// Stand-in for the PE shell tool: logs its command line (SHUT, SHUT R) and exits.
#include "standin.h"

int wmain() {
    standin::begin(L"pecmd");
    return standin::finish(0);
}
