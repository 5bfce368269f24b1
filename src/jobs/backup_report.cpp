#include "jobs/backup_report.h"

#include "base/helpers.h"

namespace qv {
namespace {

bool same_time(const os::LocalTime& a, const os::LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

}  // namespace

SavedFileBefore note_saved_file(const std::string& path) {
    SavedFileBefore before;
    before.existed = path_exists(path);
    if (!before.existed) return before;
    before.bytes = os::os().files->file_size_bytes(path);
    os::FileTimes times;
    if (os::os().files->file_times(path, times)) before.written = times.written;
    return before;
}

bool saved_file_written(const std::string& path, const SavedFileBefore& before) {
    if (!path_exists(path)) return false;
    if (!before.existed) return true;
    SavedFileBefore now = note_saved_file(path);
    return now.bytes != before.bytes || !same_time(now.written, before.written);
}

std::int64_t backup_size_mb(const std::string& path, const SavedFileBefore& before) {
    return saved_file_written(path, before) ? file_size(path) / 1024 : 0;
}

std::string backup_size_line(std::int64_t mb) {
    return mb < 4097 ? "大      小：" + std::to_string(mb) + " MB" : "大      小： > 4096 MB";
}

std::string backup_failed_report(const std::string& tool, const std::string& caption,
                                 const std::string& date) {
    return "   " + tool + "备份失败！\r\n\r\n备份分区：" + caption + "\r\n\r\n备份日期：" + date;
}

std::string backup_done_report(const std::string& tool, const std::string& caption,
                               const std::string& save_path, const std::string& size_line,
                               const std::string& date) {
    return "   " + tool + "备份完成！\r\n\r\n备份分区：" + caption + "\r\n\r\n保存位置：" +
           save_path + "\r\n\r\n" + size_line + "\r\n\r\n备份日期：" + date;
}

}  // namespace qv
