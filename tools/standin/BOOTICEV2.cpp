// Stand-in for the self-extracting archive of BOOTICE: unpacks "BOOTICE.exe" beside itself.
#include "sfx.h"

int wmain() {
    standin::begin(L"booticev2");
    return standin::finish(standin::unpack_carried_tool(L"BOOTICE.exe"));
}
