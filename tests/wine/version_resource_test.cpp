#include <windows.h>

#include <gtest/gtest.h>

TEST(VersionResource, ProgramCarriesItsFileVersion) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
}
