// Formatting a target before an image is applied: quietly through the platform's formatting
// library, or through the system's format dialog. Both run on the user-interface thread and
// return when the format has ended.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

using FormatProgress = void (*)(int percent);

// The format routine's state: a format is running; the library reported a failed end.
extern bool g_formatting;
extern bool g_format_failed;
extern FormatProgress g_format_progress_callback;

// The progress routine of the formats that show no progress.
void ignore_format_progress(int percent);

// "FAT" and "NTFS" stay; anything else, or nothing, is "NTFS".
std::string format_file_system(const std::string& file_system);
// 0 for FAT; otherwise 512, 1024, 2048 or 4096 stay and anything else is 0 (the default size).
std::uint32_t format_cluster_size(const std::string& file_system, std::uint32_t cluster_size);

// What the library calls while it works (command 0 progress, 11 done); always goes on.
bool format_callback(int command, int sub_action, std::uint8_t value);

// Formats the drive (its first letter counts) as a fixed disk. False at once while another
// format runs, and false when the library is missing, never reported its end, or reported a
// failure: only a format that is known to have happened counts as done.
bool format_partition(const std::string& drive, const std::string& file_system = "NTFS",
                      const std::string& label = "本地磁盘", std::uint32_t cluster_size = 0,
                      bool quick = true, FormatProgress progress = ignore_format_progress);

// The drive index of the format dialog: the letter's code minus 65 (A = 0), or -1.
int format_drive_index(const std::string& drive);
// The system's format dialog for the drive with format id 0 and the options. True when it
// formatted: any result but the dialog's three "nothing formatted" codes.
bool format_drive_dialog(const std::string& drive, std::uint32_t options);

}  // namespace qv
