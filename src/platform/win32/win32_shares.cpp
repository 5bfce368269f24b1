// Network shares of the local machine through netapi32's NetShareAdd and NetShareDel, looked up
// at run time: a trimmed PE may come without the server's library, and a missing entry is then an
// ordinary failure. The share record and the entries are declared here by their documented
// layout.
#include <windows.h>

#include "encoding.h"
#include "platform/os_shares.h"
#include "system_library.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

// The level-2 share record, in the field order the server reads.
struct ShareInfo2 {
    LPWSTR name;
    DWORD type;
    LPWSTR remark;
    DWORD permissions;
    DWORD max_uses;
    DWORD current_uses;
    LPWSTR path;
    LPWSTR password;
};

using ShareAddEntry = DWORD(WINAPI*)(LPWSTR server, DWORD level, LPBYTE record,
                                     LPDWORD wrong_field);
using ShareDelEntry = DWORD(WINAPI*)(LPWSTR server, LPWSTR name, DWORD reserved);

constexpr DWORD kShareLevel = 2;
constexpr DWORD kNetSuccess = 0;

class Win32NetworkShares : public os::NetworkShares {
public:
    bool add_share(const os::ShareRecord& share) override {
        Module netapi(load_system_library(L"netapi32.dll"));
        auto entry = entry_of<ShareAddEntry>(netapi.get(), "NetShareAdd");
        if (entry == nullptr) return false;
        std::wstring name = widen(share.name), remark = widen(share.remark),
                     path = widen(share.path);
        ShareInfo2 record{};
        record.name = name.data();
        record.type = share.type;
        record.remark = remark.data();
        record.permissions = share.permissions;
        record.max_uses = share.max_uses;
        record.path = path.data();
        record.password = nullptr;
        DWORD wrong_field = 0;
        // No server name: the local machine.
        return entry(nullptr, kShareLevel, reinterpret_cast<LPBYTE>(&record), &wrong_field) ==
               kNetSuccess;
    }

    bool delete_share(const std::string& name) override {
        Module netapi(load_system_library(L"netapi32.dll"));
        auto entry = entry_of<ShareDelEntry>(netapi.get(), "NetShareDel");
        if (entry == nullptr) return false;
        std::wstring wide_name = widen(name);
        return entry(nullptr, wide_name.data(), 0) == kNetSuccess;
    }
};

}  // namespace

os::NetworkShares* win32_network_shares() {
    static Win32NetworkShares shares;
    return &shares;
}

}  // namespace qv::win32
