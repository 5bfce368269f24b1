// Recorded tool output kept under tests/fixtures, for the tests: a fixture that cannot be read
// fails the running test by its path, rather than passing for empty output.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fixture_folder.h"

namespace qv::testing_fixtures {

inline std::string read_fixture(const std::string& relative) {
    std::string bytes;
    if (!read_fixture_file(relative, bytes))
        ADD_FAILURE() << "missing fixture " << fixture_path(relative);
    return bytes;
}

}  // namespace qv::testing_fixtures
