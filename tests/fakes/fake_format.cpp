#include "fakes/fake_format.h"

namespace qv::fakes {

bool FakeFormatter::format_ex(const std::string& root, int media_type,
                              const std::string& file_system, const std::string& label, bool quick,
                              std::uint32_t cluster_size, const os::FormatReport& report) {
    if (!library_present) return false;
    calls.push_back({root, media_type, file_system, label, quick, cluster_size});
    if (on_format) on_format();
    for (const auto& [command, value] : reports)
        if (!report(command, 0, value)) break;
    return true;
}

bool FakeFormatter::format(const std::string& drive, int media_type, const std::string& file_system,
                           const std::string& label, bool quick, const os::FormatReport& report) {
    if (!library_present) return false;
    calls.push_back({drive, media_type, file_system, label, quick, 0, true});
    if (on_format) on_format();
    for (const auto& [command, value] : reports)
        if (!report(command, 0, value)) break;
    return true;
}

bool FakeFormatter::enable_compression(const std::string& drive, int compress) {
    if (!library_present) return false;
    compressions.push_back({drive, compress});
    return compression_result;
}

std::uint32_t FakeFormatter::format_dialog(int drive_index, std::uint32_t format_id,
                                           std::uint32_t options) {
    dialogs.push_back({drive_index, format_id, options});
    if (on_format) on_format();
    return dialog_result;
}

}  // namespace qv::fakes
