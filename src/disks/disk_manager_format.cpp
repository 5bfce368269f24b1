// DiskManager: formatting a volume and its file-system compression, through the platform's
// formatting library.
#include <utility>

#include "disks/disk_manager.h"
#include "platform/os.h"
#include "platform/os_format.h"

namespace qv {
namespace {

constexpr int kFormatProgress = 0;
constexpr int kFormatDone = 11;
constexpr int kFixedDiskMedia = 12;

bool is_ascii_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool DiskManager::run_format(const std::string& drive, bool legacy, const std::string& file_system,
                             const std::string& label, std::uint32_t cluster_size, bool quick,
                             FormatProgressRoutine progress_routine) {
    progress_routine_ = std::move(progress_routine);
    // A format that never reports its end must not pass for the last one's success.
    format_result_ = false;
    os::VolumeFormatter* formatter = os::os().formatter;
    if (formatter == nullptr || drive.empty() || !is_ascii_letter(drive[0])) return false;
    std::string target = drive_colon_form(drive);
    os::FormatReport report = [this](int command, int sub_action, std::uint8_t value) {
        return on_format_progress(command, sub_action, value);
    };
    bool ran = legacy
                   ? formatter->format(target, kFixedDiskMedia, file_system, label, quick, report)
                   : formatter->format_ex(target, kFixedDiskMedia, file_system, label, quick,
                                          cluster_size, report);
    return ran && format_result_;
}

bool DiskManager::format_volume(const std::string& drive, const std::string& file_system,
                                const std::string& label, std::uint32_t cluster_size, bool quick,
                                FormatProgressRoutine progress_routine) {
    return run_format(drive, false, file_system, label, cluster_size, quick,
                      std::move(progress_routine));
}

bool DiskManager::format_volume_legacy(const std::string& drive, const std::string& file_system,
                                       const std::string& label, bool quick,
                                       FormatProgressRoutine progress_routine) {
    return run_format(drive, true, file_system, label, 0, quick, std::move(progress_routine));
}

bool DiskManager::on_format_progress(int command, int, std::uint8_t value) {
    if (command == kFormatProgress) {
        if (progress_routine_) progress_routine_(value);
    } else if (command == kFormatDone) {
        format_result_ = value != 0;
    }
    return true;
}

bool DiskManager::enable_volume_compression(const std::optional<std::string>& drive, int compress) {
    os::VolumeFormatter* formatter = os::os().formatter;
    std::string target = drive_colon_form(drive_or_program_root(drive));
    if (formatter == nullptr || target.empty()) return false;
    return formatter->enable_compression(target, compress);
}

}  // namespace qv
