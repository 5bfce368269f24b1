// Stand-in for Ghost's file-system utility. Started with "info", it prints a partition report:
// the bytes of the file named by QV_OMNIFS32_REPORT, else of omnifs32-report.txt beside the
// program, else a small built-in report in which C: is the active partition. The program reads
// only the active partition's mark from it: the upper-case letter followed by ":\] Active".
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "standin.h"

namespace {

std::wstring own_folder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    size_t slash = folder.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

const char* const kBuiltInReport =
    "Partition report\r\n"
    "Disk 1\r\n"
    "  [1] C:\\] Active   NTFS\r\n"
    "  [2] D:\\]          NTFS\r\n";

}  // namespace

int wmain() {
    standin::begin(L"omnifs32");
    std::vector<std::wstring> args = standin::arguments();
    if (args.size() != 1 || standin::upper(args[0]) != L"INFO") return standin::finish(1);
    // The report's bytes go out exactly as they are, line ends included.
    _setmode(_fileno(stdout), _O_BINARY);
    std::wstring fixture = standin::tool_switch(L"REPORT");
    if (fixture.empty()) fixture = own_folder() + L"omnifs32-report.txt";
    std::string report;
    if (!standin::read_file(fixture, report)) report = kBuiltInReport;
    standin::print_bytes(report);
    return standin::finish(0);
}
