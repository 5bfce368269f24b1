// The local machine's share table in memory: every request is recorded, and the table refuses a
// name it holds already and a deletion of a name it does not hold, as the server does.
#pragma once

#include <string>
#include <vector>

#include "platform/os_shares.h"

namespace qv::fakes {

class FakeNetworkShares : public os::NetworkShares {
public:
    std::vector<os::ShareRecord> shares;  // the table
    std::vector<os::ShareRecord> added;   // every add request, in order
    std::vector<std::string> deleted;     // every delete request, in order
    bool refuse = false;                  // the server refuses everything (no rights, no service)

    bool add_share(const os::ShareRecord& share) override;
    bool delete_share(const std::string& name) override;
};

}  // namespace qv::fakes
