// How the end of a backup is judged and reported, for the Ghost and the imagex backups alike: the
// saved file counts only when the job wrote it, its size in whole MB decides between the two
// report boxes, and both reports carry the date of their showing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace qv {

// The save path as it was when the job began. The start button lets the user overwrite an
// existing file; until the tool has written it, that file is not the job's result.
struct SavedFileBefore {
    bool existed = false;
    std::int64_t bytes = -1;
    os::LocalTime written;
};
SavedFileBefore note_saved_file(const std::string& path);

// True when the file exists and is not, by size and last write, the one noted before the job.
bool saved_file_written(const std::string& path, const SavedFileBefore& before);

// The size of the job's file in whole MB (whole KB / 1024, truncated); 0 when the job wrote none.
std::int64_t backup_size_mb(const std::string& path, const SavedFileBefore& before);

// "大      小：" and the size with " MB" below 4097 MB, else "大      小： > 4096 MB".
std::string backup_size_line(std::int64_t mb);

// The reports, for the tool word "Ghost" or "Imagex".
std::string backup_failed_report(const std::string& tool, const std::string& caption,
                                 const std::string& date);
std::string backup_done_report(const std::string& tool, const std::string& caption,
                               const std::string& save_path, const std::string& size_line,
                               const std::string& date);

}  // namespace qv
