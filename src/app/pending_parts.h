// Calls into parts of the program that are built elsewhere. Each is a stand-in here until its
// part lands; then the part's own definition replaces the one in pending_parts.cpp.
#pragma once

#include <string>
#include <vector>

namespace qv {

// The names of the stand-ins called so far in this run, in order, so that the callers' tests can
// see which later part they reached.
std::vector<std::string>& pending_part_calls();

}  // namespace qv
