// The Win32 formatter under Wine: the formatting library (fmifs.dll) and the shell's format dialog.
// Wine has no library and its dialog formats nothing; a build with test hooks, which these tests
// are, must not even reach them, wherever it runs.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "jobs/volume_format.h"
#include "platform/os_format.h"
#include "support/files.h"
#include "win32_os.h"

namespace qv {
namespace {

using namespace wine_support;

#ifdef QV_TEST_HOOKS
constexpr bool kTestBuild = true;
#else
constexpr bool kTestBuild = false;
#endif

// Wine has no formatting library and its format dialog formats nothing: both are failures, never
// a format taken for done. (Q: is no drive, so not even a real system would format anything.)
TEST(Win32Formatter, MissingLibraryAndRefusingDialogAreFailures) {
    os::VolumeFormatter* formatter = win32::win32_formatter();
    int reports = 0;
    EXPECT_FALSE(formatter->format_ex("Q:\\", 12, "NTFS", "本地磁盘", true, 0,
                                      [&](int, int, std::uint8_t) { return ++reports > 0; }));
    EXPECT_EQ(reports, 0);
    EXPECT_FALSE(formatter->enable_compression("Q:", 1));
    // Wine's dialog answers that no format is possible; a test build never asks it.
    EXPECT_EQ(formatter->format_dialog('Q' - 65, 0, 1),
              kTestBuild ? os::kFormatDialogError : os::kFormatDialogNoFormat);
}

#ifdef QV_TEST_HOOKS
// The formatting library's stand-in in this prefix's system folder, where a real system keeps the
// library; loaded by the test itself, and removed again however the test ends.
class PlacedLibrary {
public:
    PlacedLibrary() {
        wchar_t folder[MAX_PATH] = {};
        UINT n = GetSystemDirectoryW(folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return;
        path_ = std::wstring(folder, n) + L"\\fmifs.dll";
        // Never over a real library, and only into a Wine prefix.
        placed_ = under_wine() &&
                  CopyFileW(standin(L"library\\fmifs.dll").c_str(), path_.c_str(), TRUE) != FALSE;
        if (placed_) module_ = LoadLibraryW(path_.c_str());
    }
    ~PlacedLibrary() {
        if (module_ != nullptr) FreeLibrary(module_);
        if (placed_) DeleteFileW(path_.c_str());
    }
    PlacedLibrary(const PlacedLibrary&) = delete;
    PlacedLibrary& operator=(const PlacedLibrary&) = delete;

    bool placed() const { return placed_; }
    template <typename Entry>
    Entry entry(const char* name) const {
        if (module_ == nullptr) return nullptr;
        return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    std::wstring path_;
    bool placed_ = false;
    HMODULE module_ = nullptr;
};

int g_library_reports = 0;
BOOLEAN WINAPI count_library_report(int, DWORD, PVOID) {
    ++g_library_reports;
    return TRUE;
}

// A test build formats nothing and changes no volume even where the formatting library is there.
// The stand-in reports a finished format, answers success for compression and counts every call
// of its entries: called by the test itself it answers, and the formatter adds no call to it. On
// a system of its own library the formatter must refuse that one as well.
TEST(Win32Formatter, TestBuildsFormatAndCompressNothingWhereTheLibraryIsThere) {
    using FormatExEntry = VOID(WINAPI*)(PWCHAR, DWORD, PWCHAR, PWCHAR, BOOL, ULONG,
                                        BOOLEAN(WINAPI*)(int, DWORD, PVOID));
    using CompressionEntry = BOOLEAN(WINAPI*)(PWCHAR, BOOL);
    using CallsEntry = LONG(WINAPI*)();
    PlacedLibrary library;
    auto calls = library.entry<CallsEntry>("StandinCalls");
    if (library.placed()) {
        auto format_ex = library.entry<FormatExEntry>("FormatEx");
        auto compress = library.entry<CompressionEntry>("EnableVolumeCompression");
        ASSERT_NE(format_ex, nullptr);
        ASSERT_NE(compress, nullptr);
        ASSERT_NE(calls, nullptr);
        wchar_t root[] = L"Q:\\", drive[] = L"Q:", system[] = L"NTFS", label[] = L"x";
        g_library_reports = 0;
        format_ex(root, 12, system, label, TRUE, 0, count_library_report);
        EXPECT_EQ(g_library_reports, 2);
        EXPECT_TRUE(compress(drive, TRUE));
        EXPECT_EQ(calls(), 2);
    }

    os::VolumeFormatter* formatter = win32::win32_formatter();
    int reports = 0;
    auto count = [&](int, int, std::uint8_t) { return ++reports > 0; };
    EXPECT_FALSE(formatter->format_ex("Q:\\", 12, "NTFS", "本地磁盘", true, 4096, count));
    EXPECT_FALSE(formatter->format("Q:", 12, "NTFS", "本地磁盘", true, count));
    EXPECT_FALSE(formatter->enable_compression("Q:", 1));
    EXPECT_FALSE(formatter->enable_compression("Q:", 0));
    EXPECT_EQ(reports, 0);
    if (calls != nullptr) EXPECT_EQ(calls(), 2);
}

// Points this program's import of one entry at a replacement for as long as it lives: a call
// through the import, the test's own or the formatter's, reaches the replacement instead.
class ImportHook {
public:
    ImportHook(void* original, void* replacement) : original_(original) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) return;
        auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        for (; module->Name != 0 && slot_ == nullptr; ++module) {
            auto* slot = reinterpret_cast<ULONG_PTR*>(base + module->FirstThunk);
            for (; *slot != 0; ++slot) {
                if (reinterpret_cast<void*>(*slot) != original) continue;
                slot_ = slot;
                break;
            }
        }
        if (slot_ != nullptr) write(replacement);
    }
    ~ImportHook() {
        if (slot_ != nullptr) write(original_);
    }
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool installed() const { return slot_ != nullptr; }

private:
    void write(void* target) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
        *slot_ = reinterpret_cast<ULONG_PTR>(target);
        VirtualProtect(slot_, sizeof *slot_, old, &old);
    }

    void* original_;
    ULONG_PTR* slot_ = nullptr;
};

int g_dialog_calls = 0;
DWORD WINAPI count_format_dialog(HWND, UINT, UINT, UINT) {
    ++g_dialog_calls;
    return 7;  // the id of a format made
}

// The shell's entry as this program imports it; kept apart, so that the call reads the import
// when it is made (the compiler takes an import for a value that never changes).
__attribute__((noinline)) DWORD format_dialog_through_the_import(UINT drive_index) {
    return SHFormatDrive(nullptr, drive_index, 0, 1);
}

// A test build never asks the shell for its format dialog. For this program the shell's entry is
// replaced by one that counts its calls and answers a format made: the test's own call reaches
// it, the formatter's refusal does not, and the formatter answers as for a dialog that failed,
// which every caller reads as nothing formatted ("手动 Format" included).
TEST(Win32Formatter, TestBuildsNeverOpenTheFormatDialog) {
    void* shell_entry =
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"shell32.dll"), "SHFormatDrive"));
    ASSERT_NE(shell_entry, nullptr);
    ImportHook hook(shell_entry, reinterpret_cast<void*>(&count_format_dialog));
    ASSERT_TRUE(hook.installed());
    g_dialog_calls = 0;
    EXPECT_EQ(format_dialog_through_the_import('Q' - 65), 7u);
    EXPECT_EQ(g_dialog_calls, 1);

    EXPECT_EQ(win32::win32_formatter()->format_dialog('Q' - 65, 0xFFFF, 1), os::kFormatDialogError);
    win32::install_win32_os();
    EXPECT_FALSE(format_drive_dialog("Q:\\", 1));
    EXPECT_EQ(g_dialog_calls, 1);
}
#endif

}  // namespace
}  // namespace qv
