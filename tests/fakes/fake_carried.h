// Carried files by name (case ignored), as a build would have embedded them, and a file system
// whose writes can break off partway, for the writer of the carried files.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/os_carried.h"

namespace qv::fakes {

class FakeCarriedFiles : public os::CarriedFiles {
public:
    void add(const std::string& name, const std::string& bytes);
    bool carried_bytes(const std::string& name, std::string& bytes) override;

private:
    std::map<std::string, std::string> files_;
};

// The seam's files for its lifetime: it passes everything to `disk` and keeps the path of every
// file that came to stand there (written, renamed or copied to). One write can be torn: it leaves
// the first half of its bytes on the disk and fails, as a full disk or a failing device does. With
// `off_after_tear` nothing changes on the disk after the tear (writes, deletes, renames and copies
// fail), as when the machine goes off in the middle of the write.
class TearingFileSystem : public os::FileSystem {
public:
    explicit TearingFileSystem(os::FileSystem& disk);
    ~TearingFileSystem() override;
    TearingFileSystem(const TearingFileSystem&) = delete;
    TearingFileSystem& operator=(const TearingFileSystem&) = delete;

    int tear_write = -1;  // the write to tear, counted from 0; -1 tears none
    bool off_after_tear = false;
    bool torn() const { return torn_; }
    // The paths of `created` where a file stands now, each once, in the order they first came.
    std::vector<std::string> standing();
    std::vector<std::string> created;

    bool path_exists(const std::string& path) override { return disk_.path_exists(path); }
    bool find_first_matches(const std::string& pattern) override {
        return disk_.find_first_matches(pattern);
    }
    std::int64_t file_size_bytes(const std::string& path) override {
        return disk_.file_size_bytes(path);
    }
    bool file_times(const std::string& path, os::FileTimes& out) override {
        return disk_.file_times(path, out);
    }
    std::string file_version(const std::string& path) override { return disk_.file_version(path); }
    std::string file_description(const std::string& path) override {
        return disk_.file_description(path);
    }
    bool is_directory(const std::string& path) override { return disk_.is_directory(path); }
    std::string full_path(const std::string& path) override { return disk_.full_path(path); }
    bool set_current_folder(const std::string& folder) override {
        return disk_.set_current_folder(folder);
    }
    std::string windows_folder() override { return disk_.windows_folder(); }
    std::string system_folder() override { return disk_.system_folder(); }
    std::string temp_folder() override { return disk_.temp_folder(); }
    std::string special_folder(int csidl) override { return disk_.special_folder(csidl); }
    bool write_new_file(const std::string& path, const std::string& bytes) override;
    bool delete_file(const std::string& path) override;
    bool rename_file(const std::string& from, const std::string& to) override;
    bool copy_file(const std::string& from, const std::string& to, bool fail_if_exists) override;

private:
    bool off() const { return torn_ && off_after_tear; }
    os::FileSystem& disk_;
    os::FileSystem* before_;
    int writes_ = 0;
    bool torn_ = false;
};

}  // namespace qv::fakes
