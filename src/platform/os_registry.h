// The seam for the few registry values the program touches.
#pragma once

#include <cstdint>
#include <string>

namespace qv::os {

enum class RegistryRoot { CurrentUser, LocalMachine };

class Registry {
public:
    virtual ~Registry() = default;
    // Opens the key with write access and deletes the value; false when either fails.
    virtual bool delete_value(RegistryRoot root, const std::string& key,
                              const std::string& name) = 0;
    // Deletes a key that has no subkeys; false when it is missing or cannot be deleted.
    virtual bool delete_key(RegistryRoot root, const std::string& key) = 0;
    // Writes a REG_DWORD, creating the key when it is missing.
    virtual bool set_dword(RegistryRoot root, const std::string& key, const std::string& name,
                           std::uint32_t value) = 0;
    virtual bool read_dword(RegistryRoot root, const std::string& key, const std::string& name,
                            std::uint32_t& out) = 0;
};

}  // namespace qv::os
