#include <gtest/gtest.h>

#include "base/carried_tools.h"
#include "base/state.h"
#include "support/files.h"
#include "support/standins.h"
#include "win32_os.h"

namespace qv {
namespace {

using namespace wine_support;

TEST(CarriedToolsWine, WritesTheToolsAndTheArchivesUnpackTheirs) {
    win32::install_win32_os();
    std::wstring root = scratch_folder(L"carried");
    std::wstring win = root + L"\\windows", sys = win + L"\\system32";
    CreateDirectoryW(win.c_str(), nullptr);
    CreateDirectoryW(sys.c_str(), nullptr);
    MovedWindowsFolder folders(win32::narrow(win), win32::narrow(sys));
    os::os().files = &folders;
    std::wstring log = root + L"\\tools.log";
    set_env(L"QV_STANDIN_LOG", log);
    g_ghost_exe_path = folders.windows_folder() + "\\Norvex32.exe";
    g_imagex_exe_name = "Imagex.exe";

    install_carried_tools();

    struct Row {
        std::wstring written, built;
    } rows[] = {
        {win + L"\\ZrNorvex32.exe", L"ZrNorvex32.exe"},
        {win + L"\\Norvex32.exe", L"Norvex32.exe"},
        {win + L"\\BOOTICEV2.exe", L"BOOTICEV2.exe"},
        {win + L"\\BOOTICE.exe", L"BOOTICE.exe"},
        {sys + L"\\bcdboot.exe", L"bcdboot.exe"},
        {sys + L"\\Imagex.exe", L"Imagex.exe"},
        {sys + L"\\Iso.exe", L"Iso.exe"},
        {sys + L"\\HD3.GHO", L"HD3.GHO"},
        {sys + L"\\HD4.GHO", L"HD3.GHO"},
        {sys + L"\\HD5.GHO", L"HD3.GHO"},
    };
    for (const Row& r : rows) {
        std::string bytes = read_all(r.written);
        EXPECT_FALSE(bytes.empty()) << win32::narrow(r.written);
        EXPECT_EQ(bytes, read_all(standin(r.built))) << win32::narrow(r.written);
        EXPECT_FALSE(exists(r.written + L".part"));
    }
    std::string first_log = read_all(log);
    EXPECT_EQ(count_of(first_log, "zrnorvex32\tend\t"), 1);
    EXPECT_EQ(count_of(first_log, "booticev2\tend\t"), 1);

    // A second start writes and runs nothing.
    install_carried_tools();
    EXPECT_EQ(read_all(log), first_log);
    EXPECT_FALSE(exists(win + L"\\ZrNorvex32.exe.part"));

    // Without BOOTICE only its archive runs again.
    DeleteFileW((win + L"\\BOOTICE.exe").c_str());
    install_carried_tools();
    std::string third_log = read_all(log);
    EXPECT_EQ(count_of(third_log, "zrnorvex32\tend\t"), 1);
    EXPECT_EQ(count_of(third_log, "booticev2\tend\t"), 2);
    EXPECT_TRUE(exists(win + L"\\BOOTICE.exe"));
    set_env(L"QV_STANDIN_LOG", L"");
    reset_program_state();
}

}  // namespace
}  // namespace qv
