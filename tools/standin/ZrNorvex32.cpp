// Stand-in for the self-extracting archive of the Ghost tool: unpacks "Norvex32.exe" beside itself.
#include "sfx.h"

int wmain() {
    standin::begin(L"zrnorvex32");
    return standin::finish(standin::unpack_carried_tool(L"Norvex32.exe"));
}
