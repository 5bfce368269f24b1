#include <gtest/gtest.h>

#include <shlobj.h>

#include "base/helpers.h"
#include "shell/shortcut.h"
#include "support/files.h"
#include "win32_os.h"

namespace qv {
namespace {

using namespace wine_support;

// Reads a link's target and working folder back through the shell's own link object.
bool read_link(const std::wstring& path, std::wstring& target, std::wstring& folder) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ));
    wchar_t buf[MAX_PATH] = {};
    if (ok) ok = SUCCEEDED(link->GetPath(buf, MAX_PATH, nullptr, SLGP_RAWPATH));
    target = buf;
    buf[0] = L'\0';
    if (ok) ok = SUCCEEDED(link->GetWorkingDirectory(buf, MAX_PATH));
    folder = buf;
    if (file != nullptr) file->Release();
    link->Release();
    return ok;
}

TEST(ShortcutWine, ScriptingShellWritesAndReplacesTheLink) {
    win32::install_win32_os();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string desktop = desktop_dir();
    ASSERT_FALSE(desktop.empty());
    const std::wstring link = win32::widen(desktop) + L"QvRunnersTest快捷.lnk";
    DeleteFileW(link.c_str());
    const std::string target = win32::narrow(build_folder()) + "\\QuennixVelquist.exe";

    ASSERT_TRUE(create_shortcut("QvRunnersTest快捷", target));
    std::wstring read_target, read_folder;
    ASSERT_TRUE(read_link(link, read_target, read_folder));
    EXPECT_EQ(win32::narrow(read_target), target);
    EXPECT_EQ(win32::narrow(read_folder), win32::narrow(build_folder()) + "\\");

    // The same name again replaces the link.
    const std::string other = win32::narrow(build_folder()) + "\\qv_wine_tests.exe";
    ASSERT_TRUE(create_shortcut("C:\\ignored\\QvRunnersTest快捷.LNK", other));
    ASSERT_TRUE(read_link(link, read_target, read_folder));
    EXPECT_EQ(win32::narrow(read_target), other);
    EXPECT_TRUE(DeleteFileW(link.c_str()));
    CoUninitialize();
}

}  // namespace
}  // namespace qv
