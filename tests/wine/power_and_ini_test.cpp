#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/power.h"
#include "encoding.h"
#include "platform/os_ini.h"
#include "support/files.h"
#include "win32_os.h"

namespace {

std::wstring temp_file(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, dir);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(dir) + name;
}

}  // namespace

// A real session end under Wine would take every process of the prefix down, this test runner
// included: the power log must be in place before anything is asked of the system.
TEST(Win32Power, LogModeRecordsTheSessionEndsInsteadOfActing) {
#ifndef QV_TEST_HOOKS
    GTEST_SKIP() << "the power log exists only in builds with test hooks";
#else
    std::wstring log = temp_file(L"qv_power_log_test.txt");
    ASSERT_FALSE(log.empty());
    DeleteFileW(log.c_str());
    ASSERT_TRUE(SetEnvironmentVariableW(L"QV_POWER_LOG", log.c_str()));
    wchar_t check[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableW(L"QV_POWER_LOG", check, MAX_PATH), 0u);

    qv::win32::install_win32_os();
    qv::exit_windows_reboot();
    qv::exit_windows_shutdown();
    EXPECT_EQ(qv::wine_support::read_all(log), "restart\r\nshutdown\r\n");

    SetEnvironmentVariableW(L"QV_POWER_LOG", nullptr);
    DeleteFileW(log.c_str());
#endif
}

TEST(Win32IniFiles, ReadsAValueAsTheSystemTrimsIt) {
    std::wstring path = temp_file(L"qv_ini_test.ini");
    ASSERT_FALSE(path.empty());
    std::string long_value(300, 'a');
    ASSERT_TRUE(qv::wine_support::write_all(
        path,
        "[Other]\r\nPath=wrong.gho\r\n[Config]\r\nPath = \"系统\\Win7.gho\" \r\n"
        "Long=" +
            long_value + "\r\n"));
    qv::win32::Win32IniFiles ini;
    std::string file = qv::win32::narrow(path);
    EXPECT_EQ(ini.read_value(file, "config", "PATH"), "系统\\Win7.gho");
    EXPECT_EQ(ini.read_value(file, "Config", "Long"), long_value);
    EXPECT_EQ(ini.read_value(file, "Config", "Missing"), "");
    EXPECT_EQ(ini.read_value(file + ".none", "Config", "Path"), "");
    DeleteFileW(path.c_str());
}
