#include "fakes/fake_carried.h"

#include "base/helpers.h"

namespace qv::fakes {

void FakeCarriedFiles::add(const std::string& name, const std::string& bytes) {
    files_[upper_ascii(name)] = bytes;
}

bool FakeCarriedFiles::carried_bytes(const std::string& name, std::string& bytes) {
    auto found = files_.find(upper_ascii(name));
    if (found == files_.end()) return false;
    bytes = found->second;
    return true;
}

}  // namespace qv::fakes
