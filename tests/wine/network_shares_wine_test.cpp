// Sharing a drive through the real netapi32, only inside Wine and only with a folder drive of the
// test prefix (G:, the backup drive). Wine 8 keeps no shares of the local machine: NetShareAdd
// answers that it is not supported, and NetShareDel answers success for any name. So the share
// is refused cleanly and nothing is made; a share that a later Wine does make is taken away
// again. On any other system the test does nothing, since it would share a drive of that machine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "disks/disk_manager.h"
#include "support/files.h"
#include "win32_os.h"

namespace qv {
namespace {

TEST(WineNetworkShares, SharingAFolderDriveOfThePrefixIsRefusedCleanly) {
    if (!wine_support::under_wine()) GTEST_SKIP() << "would share a drive of this machine";
    win32::install_win32_os();
    // The library and both entries are there: a refusal is the server's answer.
    HMODULE netapi = LoadLibraryW(L"netapi32.dll");
    ASSERT_NE(netapi, nullptr);
    EXPECT_NE(GetProcAddress(netapi, "NetShareAdd"), nullptr);
    EXPECT_NE(GetProcAddress(netapi, "NetShareDel"), nullptr);
    FreeLibrary(netapi);

    DiskManager disk;
    const std::string name = "QV备份盘";
    const bool shared = disk.share_drive("G:", name, "测试用的共享");
    const bool unshared = disk.unshare_drive(name);
    EXPECT_FALSE(shared) << "this Wine makes shares of the local machine";
    if (shared) EXPECT_TRUE(unshared);
    RecordProperty("unshare_answer", unshared ? "success" : "refused");
}

}  // namespace
}  // namespace qv
