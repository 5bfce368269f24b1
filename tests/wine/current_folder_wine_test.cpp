#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "encoding.h"
#include "win32_os.h"

namespace {

// A program started from another folder takes names without a folder from its own folder once
// the entry has made that folder the current one.
TEST(Win32FileSystem, CurrentFolderDecidesWhereBareNamesLie) {
    wchar_t before[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, before), 0u);
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(temp));

    qv::win32::Win32FileSystem files;
    qv::win32::Win32Program program;
    const std::string folder = program.run_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(files.full_path("win7.gho"), folder + "\\win7.gho");

    EXPECT_TRUE(files.set_current_folder(folder));
    EXPECT_EQ(files.full_path("win7.gho"), folder + "\\win7.gho");
    EXPECT_FALSE(files.set_current_folder(folder + "\\no such folder"));

    SetCurrentDirectoryW(before);
}

}  // namespace
