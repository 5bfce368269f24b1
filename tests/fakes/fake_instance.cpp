#include "fakes/fake_instance.h"

namespace qv::fakes {

os::InstanceClaim FakeInstanceEvents::claim(const std::string& name) {
    claims.push_back(name);
    if (unusable.count(name) != 0) return os::InstanceClaim::Failed;
    if (!held.insert(name).second) return os::InstanceClaim::AlreadyRunning;
    return os::InstanceClaim::First;
}

}  // namespace qv::fakes
