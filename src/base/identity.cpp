#include "base/identity.h"

#include "base/helpers.h"
#include "base/state.h"
#include "platform/os.h"

namespace qv {
namespace {

// The first `count` characters of a code-page-936 text.
std::string first_characters(const std::string& text, int count) {
    std::size_t end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken) end = next_char(text, end);
    return text.substr(0, end);
}

}  // namespace

std::string short_version(const std::string& file_version) {
    return first_characters(file_version, 5);
}

std::string program_file_version() {
    os::Program& program = *os::os().program;
    return get_file_version(program.run_folder() + "\\" + program.file_name());
}

std::string product_title() {
    return g_maker_name + "Velquist" + g_edition_word;
}

}  // namespace qv
