// Stand-in for the boot-file creation tool: "bcdboot <windows folder> [/l <language>] /s <device>".
// It creates <device>Boot\BCD (a small text file) when the Windows folder exists and prints
// "Boot files successfully created."; QV_BCDBOOT_FAIL=1, a missing Windows folder or a missing
// "/s" prints the tool's failure line instead and writes nothing. It never touches a disk.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "standin.h"

namespace {

int fail() {
    standin::print_bytes("Failure when attempting to copy boot files.\r\n");
    return standin::finish(1);
}

}  // namespace

int wmain() {
    standin::begin(L"bcdboot");
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::wstring> args = standin::arguments();
    std::wstring windows, device;
    for (size_t i = 0; i < args.size(); ++i) {
        std::wstring a = standin::upper(args[i]);
        if ((a == L"/S" || a == L"/L") && i + 1 < args.size()) {
            if (a == L"/S") device = args[i + 1];
            ++i;
        } else if (windows.empty()) {
            windows = args[i];
        }
    }
    if (standin::tool_switch_int(L"FAIL", 0) != 0 || windows.empty() || device.empty() ||
        GetFileAttributesW(windows.c_str()) == INVALID_FILE_ATTRIBUTES)
        return fail();
    if (device.back() != L'\\') device += L'\\';
    CreateDirectoryW((device + L"Boot").c_str(), nullptr);
    if (!standin::write_file(device + L"Boot\\BCD", "stand-in boot configuration for " +
                                                        standin::to_utf8(windows) + "\r\n"))
        return fail();
    standin::print_bytes("Boot files successfully created.\r\n");
    return standin::finish(0);
}
