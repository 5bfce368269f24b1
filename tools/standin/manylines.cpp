// A test helper for the output runners: prints QV_MANYLINES_COUNT numbered lines (5000 when
// unset), pauses QV_MANYLINES_TAIL_MS (300 ms when unset) so a reader finds the pipe empty,
// then prints "last line" and ends at once.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "standin.h"

int wmain() {
    standin::begin(L"manylines");
    // The lines carry their own "\r\n"; the C runtime must not add a second "\r".
    _setmode(_fileno(stdout), _O_BINARY);
    int count = standin::tool_switch_int(L"COUNT", 5000);
    for (int i = 1; i <= count; ++i) standin::print(L"line " + std::to_wstring(i) + L"\r\n");
    Sleep(static_cast<DWORD>(standin::tool_switch_int(L"TAIL_MS", 300)));
    standin::print(L"last line\r\n");
    return standin::finish(0);
}
