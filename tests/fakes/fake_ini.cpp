#include "fakes/fake_ini.h"

#include "base/helpers.h"
#include "fakes/fake_os.h"

namespace qv::fakes {
namespace {

std::string trim(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    std::size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

std::string FakeIniFiles::read_value(const std::string& path, const std::string& section,
                                     const std::string& key) {
    if (files == nullptr || !files->has(path)) return {};
    std::string text = files->contents(path);
    bool in_section = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            in_section = close != std::string::npos &&
                         equals_ignore_case(trim(line.substr(1, close - 1)), section);
            continue;
        }
        std::size_t equals = line.find('=');
        if (!in_section || equals == std::string::npos) continue;
        if (!equals_ignore_case(trim(line.substr(0, equals)), key)) continue;
        std::string value = trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

}  // namespace qv::fakes
