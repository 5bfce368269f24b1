#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "shell/program.h"
#include "win32_os.h"
#include "win32_runtime.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Probing an empty floppy or optical drive must fail quietly, never raise the system's box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // OLE for the drop target (it also initialises COM for the thread).
    HRESULT ole = OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    qv::win32::install_win32_os();
    qv::win32::install_win32_runtime();
    int code = qv::run_program();
    if (SUCCEEDED(ole)) OleUninitialize();
    return code;
}
