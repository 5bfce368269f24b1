#include "win32_carried.h"

#include <windows.h>

#include "encoding.h"

namespace qv::win32 {
namespace {

class Win32CarriedFiles : public os::CarriedFiles {
public:
    bool carried_bytes(const std::string& name, std::string& bytes) override {
        if (name.empty()) return false;
        // Resource names are kept in upper case; the look-up folds the given name the same way.
        HRSRC found = FindResourceW(nullptr, widen(name).c_str(), RT_RCDATA);
        if (found == nullptr) return false;
        HGLOBAL loaded = LoadResource(nullptr, found);
        DWORD size = SizeofResource(nullptr, found);
        const void* data = loaded == nullptr ? nullptr : LockResource(loaded);
        if (data == nullptr) return false;
        bytes.assign(static_cast<const char*>(data), size);
        return true;
    }
};

}  // namespace

os::CarriedFiles& win32_carried_files() {
    static Win32CarriedFiles carried;
    return carried;
}

}  // namespace qv::win32
