// The seam for formatting a volume: the platform's formatting library and the system's format
// dialog. The portable side (src/jobs/volume_format.h) owns the policy: which file system, the
// re-entry guard, what counts as success.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qv::os {

// One report of the formatting library while it works: its command number, the sub-action and the
// first byte of the value its argument points to (a percentage while it works, the success flag
// when it is done). The answer tells the library whether to go on.
using FormatReport = std::function<bool(int command, int sub_action, std::uint8_t value)>;

// The format dialog's results that mean nothing was formatted; any other result is the id of the
// format it made.
constexpr std::uint32_t kFormatDialogError = 0xFFFFFFFFu;
constexpr std::uint32_t kFormatDialogCancelled = 0xFFFFFFFEu;
constexpr std::uint32_t kFormatDialogNoFormat = 0xFFFFFFFDu;

class VolumeFormatter {
public:
    virtual ~VolumeFormatter() = default;
    // The library's FormatEx on a drive ("E:" or "E:\") with the media type, file system and
    // label, quick flag and cluster size; returns when the library has ended, having passed every
    // report on. False when the library or its entry point is missing, so that nothing ran, and
    // always in a build with test hooks, which loads no library and formats nothing.
    virtual bool format_ex(const std::string& root, int media_type, const std::string& file_system,
                           const std::string& label, bool quick, std::uint32_t cluster_size,
                           const FormatReport& report) = 0;
    // The library's older Format entry, which takes no cluster size; the same contract.
    virtual bool format(const std::string& drive, int media_type, const std::string& file_system,
                        const std::string& label, bool quick, const FormatReport& report) = 0;
    // The library's EnableVolumeCompression on a drive ("E:"); false also when the library or
    // its entry point is missing, and always in a build with test hooks, which changes nothing.
    virtual bool enable_compression(const std::string& drive, int compress) = 0;
    // The system's format dialog for a drive index (A = 0), owned by the program's active window;
    // the dialog's own result. A build with test hooks opens no dialog and answers
    // kFormatDialogError, as for a dialog that failed.
    virtual std::uint32_t format_dialog(int drive_index, std::uint32_t format_id,
                                        std::uint32_t options) = 0;
};

}  // namespace qv::os
