// A stand-in of the formatting library: its two format entries format nothing and only report,
// through the caller's routine, a format that went to 100 % and ended well; its compression entry
// changes nothing and answers success. Every entry counts its calls, which StandinCalls gives.
// The Wine tests put it where a real system keeps the library, to show that a test build never
// reaches it.
#include <windows.h>

namespace {

using Report = BOOLEAN(WINAPI*)(int command, DWORD sub_action, PVOID action_info);

constexpr int kProgress = 0;
constexpr int kDone = 11;

LONG g_calls = 0;

void report_finished_format(Report report) {
    if (report == nullptr) return;
    DWORD percent = 100;
    if (!report(kProgress, 0, &percent)) return;
    BOOLEAN success = TRUE;
    report(kDone, 0, &success);
}

}  // namespace

extern "C" __declspec(dllexport) VOID WINAPI
    FormatEx(PWCHAR, DWORD, PWCHAR, PWCHAR, BOOL, ULONG, Report report) {
    InterlockedIncrement(&g_calls);
    report_finished_format(report);
}

extern "C" __declspec(dllexport) VOID WINAPI
    Format(PWCHAR, DWORD, PWCHAR, PWCHAR, BOOL, Report report) {
    InterlockedIncrement(&g_calls);
    report_finished_format(report);
}

extern "C" __declspec(dllexport) BOOLEAN WINAPI EnableVolumeCompression(PWCHAR, BOOL) {
    InterlockedIncrement(&g_calls);
    return TRUE;
}

// The calls of the three entries above since the library was loaded.
extern "C" __declspec(dllexport) LONG WINAPI StandinCalls() {
    return g_calls;
}
