#include "app/pending_parts.h"

namespace qv {

std::vector<std::string>& pending_part_calls() {
    static std::vector<std::string> calls;
    return calls;
}

}  // namespace qv
