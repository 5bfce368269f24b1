#include "fakes/fake_shares.h"

#include <algorithm>

#include "base/helpers.h"

namespace qv::fakes {
namespace {

// Share names are compared without regard to ASCII case, as the server does.
bool same_name(const std::string& a, const std::string& b) {
    return upper_ascii(a) == upper_ascii(b);
}

}  // namespace

bool FakeNetworkShares::add_share(const os::ShareRecord& share) {
    added.push_back(share);
    if (refuse) return false;
    for (const os::ShareRecord& s : shares)
        if (same_name(s.name, share.name)) return false;
    shares.push_back(share);
    return true;
}

bool FakeNetworkShares::delete_share(const std::string& name) {
    deleted.push_back(name);
    if (refuse) return false;
    auto at = std::find_if(shares.begin(), shares.end(),
                           [&](const os::ShareRecord& s) { return same_name(s.name, name); });
    if (at == shares.end()) return false;
    shares.erase(at);
    return true;
}

}  // namespace qv::fakes
