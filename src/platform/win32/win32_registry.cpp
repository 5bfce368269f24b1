// The registry values the program touches, through advapi32.
#include <windows.h>

#include "encoding.h"
#include "platform/os_registry.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* put() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

HKEY root_key(os::RegistryRoot root) {
    return root == os::RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class Win32Registry : public os::Registry {
public:
    bool delete_value(os::RegistryRoot root, const std::string& key,
                      const std::string& name) override {
        RegKey k;
        if (RegOpenKeyExW(root_key(root), widen(key).c_str(), 0, KEY_SET_VALUE, k.put()) !=
            ERROR_SUCCESS)
            return false;
        return RegDeleteValueW(k.get(), widen(name).c_str()) == ERROR_SUCCESS;
    }

    bool delete_key(os::RegistryRoot root, const std::string& key) override {
        return RegDeleteKeyW(root_key(root), widen(key).c_str()) == ERROR_SUCCESS;
    }

    bool set_dword(os::RegistryRoot root, const std::string& key, const std::string& name,
                   std::uint32_t value) override {
        RegKey k;
        if (RegCreateKeyExW(root_key(root), widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, k.put(), nullptr) != ERROR_SUCCESS) {
            return false;
        }
        DWORD data = value;
        return RegSetValueExW(k.get(), widen(name).c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
    }

    bool read_dword(os::RegistryRoot root, const std::string& key, const std::string& name,
                    std::uint32_t& out) override {
        RegKey k;
        if (RegOpenKeyExW(root_key(root), widen(key).c_str(), 0, KEY_QUERY_VALUE, k.put()) !=
            ERROR_SUCCESS)
            return false;
        DWORD type = 0, data = 0, size = sizeof data;
        if (RegQueryValueExW(k.get(), widen(name).c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
            type != REG_DWORD) {
            return false;
        }
        out = data;
        return true;
    }
};

}  // namespace

os::Registry* win32_registry() {
    static Win32Registry registry;
    return &registry;
}

}  // namespace qv::win32
