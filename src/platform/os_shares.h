// The seam for the local machine's network shares: a folder shared under a name, and a share
// taken away again. Texts are code-page-936 bytes; the portable side (src/disks/disk_manager.h)
// chooses every field of the share.
#pragma once

#include <cstdint>
#include <string>

namespace qv::os {

// The share types and the use count that means no limit.
enum : std::uint32_t {
    kShareTypeDisk = 0,
    kShareUsesUnlimited = 0xFFFFFFFFu,
};

// One share as the local server's share table takes it (its level-2 record). A share made here
// has no password.
struct ShareRecord {
    std::string name;
    std::uint32_t type = kShareTypeDisk;
    std::string remark;
    std::uint32_t permissions = 0;
    std::uint32_t max_uses = kShareUsesUnlimited;
    std::string path;
};

class NetworkShares {
public:
    virtual ~NetworkShares() = default;
    // Adds the share on the local machine; false when the system refuses it, or when its network
    // library or the entry point is missing.
    virtual bool add_share(const ShareRecord& share) = 0;
    // Deletes the local share of that name; false likewise.
    virtual bool delete_share(const std::string& name) = 0;
};

}  // namespace qv::os
