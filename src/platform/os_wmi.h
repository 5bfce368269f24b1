// The seam for Windows Management Instrumentation: one connection to a namespace that runs one
// query and walks its result set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::os {

// A live connection and its result set. Destroying it releases every interface it holds and
// ends the COM use it began, exactly once.
class WmiQuery {
public:
    virtual ~WmiQuery() = default;
    // Moves to the next instance; false when the set is exhausted or the call fails.
    virtual bool next() = 0;
    // A property of the current instance as text: strings as they are, numbers in decimal,
    // booleans as "1" or "0"; empty for a null or missing property.
    virtual std::string text(const std::string& property) = 0;
    // A byte-array property of the current instance, one byte per element; empty for a null,
    // missing or non-array property.
    virtual std::vector<std::uint8_t> bytes(const std::string&) { return {}; }
};

class Wmi {
public:
    virtual ~Wmi() = default;
    // Connects to the namespace and runs the WQL query. `init_security` asks for the process's
    // COM security to be set first (the caller asks once per run). Null on any failure, with
    // everything the attempt created already released.
    virtual std::unique_ptr<WmiQuery> connect(const std::string& name_space,
                                              const std::string& query, bool init_security) = 0;
};

}  // namespace qv::os
