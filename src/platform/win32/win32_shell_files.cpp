#include "win32_shell_files.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "encoding.h"
#include "win32_os.h"
#include "win32_window.h"

namespace qv::win32 {
namespace {

// An item list made from a path, freed with the shell's allocator.
class ItemList {
public:
    explicit ItemList(const std::wstring& path) : p_(ILCreateFromPathW(path.c_str())) {}
    ~ItemList() {
        if (p_ != nullptr) ILFree(p_);
    }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    PIDLIST_ABSOLUTE get() const { return p_; }

private:
    PIDLIST_ABSOLUTE p_;
};

// The shell takes lists of paths: each path ends in a zero and the list in a second one.
std::wstring one_path_list(const std::string& path) {
    std::wstring list = widen(path);
    list.push_back(L'\0');
    return list;  // c_str() adds the second zero
}

class Win32ShellFiles : public os::ShellFiles {
public:
    os::ShellTransferResult transfer(os::ShellTransfer kind, const std::string& from,
                                     const std::string& to, unsigned flags) override {
        std::wstring source = one_path_list(from);
        std::wstring destination = one_path_list(to);
        SHFILEOPSTRUCTW op{};
        op.hwnd = nullptr;
        op.wFunc = kind == os::ShellTransfer::Move ? FO_MOVE : FO_COPY;
        op.pFrom = source.c_str();
        op.pTo = destination.c_str();
        op.fFlags = static_cast<FILEOP_FLAGS>(flags);
        os::ShellTransferResult result;
        result.code = SHFileOperationW(&op);
        result.aborted = op.fAnyOperationsAborted != FALSE;
        // Asked for with FOF_WANTMAPPINGHANDLE; nobody reads the renamed names, but they are ours.
        if (op.hNameMappings != nullptr) SHFreeNameMappings(op.hNameMappings);
        return result;
    }

    bool open_folder_select_item(const std::string& path, bool rename) override {
        ItemList item(widen(path));
        if (item.get() == nullptr) return false;
#ifdef QV_TEST_HOOKS
        if (notices_scripted()) {
            log_notice("select", path, rename ? "rename" : "", "");
            return true;
        }
#endif
        return SHOpenFolderAndSelectItems(item.get(), 0, nullptr, rename ? OFASI_EDIT : 0) == S_OK;
    }

    std::intptr_t execute_properties(const std::string& path, ui::Window* owner) override {
        auto* window = dynamic_cast<Win32Window*>(owner);
        HWND owner_hwnd = window != nullptr && window->alive() ? window->hwnd() : nullptr;
#ifdef QV_TEST_HOOKS
        if (notices_scripted()) {
            log_notice("properties", path, owner_hwnd != nullptr ? "owned" : "", "");
            return 42;  // what the shell reports for a sheet it has shown
        }
#endif
        std::wstring file = widen(path);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.hwnd = owner_hwnd;
        info.lpVerb = L"properties";
        info.lpFile = file.c_str();
        info.lpParameters = nullptr;
        info.lpDirectory = nullptr;
        info.nShow = 0;
        ShellExecuteExW(&info);
        // The sheet runs in the shell's own thread; a process handle, when one comes, is ours.
        if (info.hProcess != nullptr) CloseHandle(info.hProcess);
        return reinterpret_cast<std::intptr_t>(info.hInstApp);
    }
};

}  // namespace

os::ShellFiles& win32_shell_files() {
    static Win32ShellFiles shell_files;
    return shell_files;
}

}  // namespace qv::win32
