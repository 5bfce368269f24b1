// Folder listings for the image scan and search: one find-file pass per folder.
#include <windows.h>

#include "encoding.h"
#include "handles.h"
#include "platform/os_directories.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

class Win32Directories : public os::DirectoryLister {
public:
    bool each_entry(const std::string& folder,
                    const std::function<void(const os::FolderEntry&)>& each) override {
        std::wstring pattern = widen(folder) + L"*";
        WIN32_FIND_DATAW data;
        // The basic, large-fetch form skips the short names and reads in bigger batches; systems
        // before Windows 7 refuse it, and then the plain search serves.
        HANDLE first = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (first == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
            first = FindFirstFileW(pattern.c_str(), &data);
        FindHandle find(first);
        if (!find.valid()) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            const wchar_t* name = data.cFileName;
            if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0')))
                continue;
            each({narrow(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(find.get(), &data));
        return true;
    }
};

}  // namespace

os::DirectoryLister* win32_directories() {
    static Win32Directories directories;
    return &directories;
}

}  // namespace qv::win32
