#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "base/state.h"
#include "shell/single_instance.h"
#include "support/files.h"
#include "win32_instance.h"
#include "win32_os.h"

namespace qv {
namespace {

using namespace wine_support;

constexpr int kRan = 10;
constexpr int kRefused = 20;

// Run only as a child of the test below: one copy of a program claiming the guard. The copy
// that may run holds the event for a while, so the others start while it lives.
TEST(SingleInstanceChild, DISABLED_ClaimAndReport) {
    win32::install_win32_os();
    g_maker_name = "Quennix";
    g_edition_word = "PE版";
    bool runs = ensure_single_instance(win32::narrow(std::wstring(_wgetenv(L"QV_GUARD_NAME"))),
                                       true, second_copy_message(), 0x30, false);
    if (runs) Sleep(3000);
    std::exit(runs ? kRan : kRefused);
}

TEST(SingleInstanceWine, OnlyOneOfCopiesStartedTogetherRuns) {
#ifndef QV_TEST_HOOKS
    GTEST_SKIP() << "needs the scripted notices of a build with test hooks";
#endif
    std::wstring root = scratch_folder(L"guard");
    std::wstring notices = root + L"\\notices.log";
    set_env(L"QV_NOTICE_LOG", notices);
    set_env(L"QV_GUARD_NAME", L"QvGuardTest" + std::to_wstring(GetCurrentProcessId()));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) +
                           L"\" --gtest_filter=SingleInstanceChild.DISABLED_ClaimAndReport"
                           L" --gtest_also_run_disabled_tests";

    std::vector<HANDLE> copies;
    for (int i = 0; i < 4; ++i) {
        std::vector<wchar_t> line(command.begin(), command.end());
        line.push_back(L'\0');
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi));
        CloseHandle(pi.hThread);
        copies.push_back(pi.hProcess);
    }
    int ran = 0, refused = 0;
    for (HANDLE copy : copies) {
        ASSERT_EQ(WaitForSingleObject(copy, 60000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(copy, &code);
        CloseHandle(copy);
        if (code == kRan) ++ran;
        if (code == kRefused) ++refused;
    }
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(refused, 3);
    std::string log = read_all(notices);
    // The notice log is UTF-8.
    EXPECT_EQ(count_of(log, u8"box\t提示\t48\t请勿重复运行QuennixVelquistPE版！"), 3) << log;

    // Once the copy that ran has ended, a new one runs.
    set_env(L"QV_NOTICE_LOG", L"");
    win32::install_win32_os();
    EXPECT_TRUE(ensure_single_instance(win32::narrow(std::wstring(_wgetenv(L"QV_GUARD_NAME")))));
}

}  // namespace
}  // namespace qv
