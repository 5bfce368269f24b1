// Recorded tool output kept under tests/fixtures.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace qv::testing_fixtures {

inline std::string read_fixture(const std::string& relative) {
    std::ifstream in(std::string(QV_FIXTURES_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace qv::testing_fixtures
