// Where the recorded tool output of tests/fixtures is found at run time: the folder named by
// QV_FIXTURES_DIR, or else "fixtures" beside the running program, where the build copies it.
// Nothing is compiled in, so a build tree that is moved or copied elsewhere finds its fixtures.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace qv::testing_fixtures {

inline std::string fixture_folder() {
    const char* named = std::getenv("QV_FIXTURES_DIR");
    if (named != nullptr && *named != '\0') return named;
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "fixtures";
    return (program.parent_path() / "fixtures").string();
}

inline std::string fixture_path(const std::string& relative) {
    return fixture_folder() + "/" + relative;
}

// The whole file; false when it cannot be opened or read.
inline bool read_fixture_file(const std::string& relative, std::string& bytes) {
    std::ifstream in(fixture_path(relative), std::ios::binary);
    if (!in) return false;
    std::ostringstream read;
    read << in.rdbuf();
    if (in.bad()) return false;
    bytes = read.str();
    return true;
}

}  // namespace qv::testing_fixtures
