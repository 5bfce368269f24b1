// A formatting library and format dialog that format nothing: calls are recorded, and the library
// replays scripted reports (by default one progress step and a successful end).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/os_format.h"

namespace qv::fakes {

class FakeFormatter : public os::VolumeFormatter {
public:
    struct Call {
        std::string root;
        int media_type = 0;
        std::string file_system;
        std::string label;
        bool quick = false;
        std::uint32_t cluster_size = 0;
        bool legacy = false;  // through the older entry, which takes no cluster size
    };
    struct CompressionCall {
        std::string drive;
        int compress = 0;
    };
    struct DialogCall {
        int drive_index = 0;
        std::uint32_t format_id = 0;
        std::uint32_t options = 0;
    };

    bool library_present = true;
    // (command, value) pairs handed to the caller's report routine, in order.
    std::vector<std::pair<int, std::uint8_t>> reports{{0, 50}, {11, 1}};
    std::uint32_t dialog_result = 0;
    bool compression_result = true;
    std::vector<Call> calls;
    std::vector<DialogCall> dialogs;
    std::vector<CompressionCall> compressions;
    // Called as any format begins (tests look at the program's state then).
    std::function<void()> on_format;

    bool format_ex(const std::string& root, int media_type, const std::string& file_system,
                   const std::string& label, bool quick, std::uint32_t cluster_size,
                   const os::FormatReport& report) override;
    bool format(const std::string& drive, int media_type, const std::string& file_system,
                const std::string& label, bool quick, const os::FormatReport& report) override;
    bool enable_compression(const std::string& drive, int compress) override;
    std::uint32_t format_dialog(int drive_index, std::uint32_t format_id,
                                std::uint32_t options) override;
};

}  // namespace qv::fakes
