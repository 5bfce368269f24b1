#include "jobs/volume_format.h"

#include "base/helpers.h"
#include "platform/os.h"
#include "platform/os_format.h"

namespace qv {

bool g_formatting = false;
bool g_format_failed = false;
FormatProgress g_format_progress_callback = nullptr;

namespace {

constexpr int kFormatProgress = 0;
constexpr int kFormatDone = 11;
constexpr int kFixedMedia = 12;

bool g_format_done_seen = false;

char drive_letter(const std::string& drive) {
    if (drive.empty()) return '\0';
    char c = upper_ascii(drive.substr(0, 1))[0];
    return c >= 'A' && c <= 'Z' ? c : '\0';
}

void report_progress(int percent) {
    if (g_format_progress_callback != nullptr) g_format_progress_callback(percent);
}

}  // namespace

void ignore_format_progress(int) {}

std::string format_file_system(const std::string& file_system) {
    return file_system == "FAT" || file_system == "NTFS" ? file_system : std::string("NTFS");
}

std::uint32_t format_cluster_size(const std::string& file_system, std::uint32_t cluster_size) {
    if (file_system == "FAT") return 0;
    switch (cluster_size) {
        case 512:
        case 1024:
        case 2048:
        case 4096:
            return cluster_size;
        default:
            return 0;
    }
}

bool format_callback(int command, int, std::uint8_t value) {
    if (command == kFormatProgress) {
        report_progress(value);
    } else if (command == kFormatDone) {
        g_format_done_seen = true;
        if (value == 0)
            g_format_failed = true;
        else
            report_progress(100);
    }
    return true;
}

bool format_partition(const std::string& drive, const std::string& file_system,
                      const std::string& label, std::uint32_t cluster_size, bool quick,
                      FormatProgress progress) {
    if (g_formatting) return false;
    os::VolumeFormatter* formatter = os::os().formatter;
    char letter = drive_letter(drive);
    if (formatter == nullptr || letter == '\0') return false;
    g_formatting = true;
    g_format_failed = false;
    g_format_done_seen = false;
    g_format_progress_callback = progress;
    std::string system = format_file_system(file_system);
    bool ran = formatter->format_ex(std::string(1, letter) + ":\\", kFixedMedia, system,
                                    label.empty() ? std::string("本地磁盘") : label, quick,
                                    format_cluster_size(system, cluster_size), format_callback);
    g_formatting = false;
    // Without the library, or without its report of the end, nothing says the volume is formatted.
    return ran && g_format_done_seen && !g_format_failed;
}

int format_drive_index(const std::string& drive) {
    char letter = drive_letter(drive);
    return letter == '\0' ? -1 : letter - 65;
}

bool format_drive_dialog(const std::string& drive, std::uint32_t options) {
    os::VolumeFormatter* formatter = os::os().formatter;
    int index = format_drive_index(drive);
    if (formatter == nullptr || index < 0) return false;
    std::uint32_t result = formatter->format_dialog(index, 0, options);
    // The dialog answers the id of the format it made, which need not be 0.
    return result != os::kFormatDialogError && result != os::kFormatDialogCancelled &&
           result != os::kFormatDialogNoFormat;
}

}  // namespace qv
