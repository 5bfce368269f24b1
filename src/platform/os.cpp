#include "platform/os.h"

namespace qv::os {
namespace {
Os g_os;
}

Os& os() {
    return g_os;
}
void install(const Os& set) {
    g_os = set;
}

}  // namespace qv::os
