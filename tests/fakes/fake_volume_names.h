// Volume names in memory: DOS device names with their targets, volumes with their mount points,
// the drive mask, and the few lookups the disk class makes. Names are compared without regard to
// ASCII case. A text that would not fit the caller's buffer fails, as it would in the system; the
// size of every buffer asked for is recorded by the call's name.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/os_volume_names.h"

namespace qv::fakes {

class FakeVolumeNames : public os::VolumeNames {
public:
    struct Volume {
        std::string name;  // "\\?\Volume{...}\"
        std::vector<std::string> mount_points;
    };
    struct Definition {
        std::uint32_t flags = 0;
        std::string name;
        std::string target;
    };
    struct FileVolume {
        std::string label;
        std::string file_system;
    };

    // The maps are keyed in upper case. The targets of each DOS device name, the current one first.
    std::map<std::string, std::vector<std::string>> dos_devices;
    std::vector<Definition> definitions;  // every define and remove, in order
    std::uint32_t drive_mask = 0;
    std::vector<Volume> volumes;
    std::vector<std::string> mount_point_changes;    // "set <mount point> <volume>", "delete <mp>"
    std::map<int, int> net_states;                   // drive index -> state
    std::map<std::string, FileVolume> file_volumes;  // openable files -> their volume's facts
    std::map<std::string, std::string> tree_files;   // "<root>|<name>" -> the path found
    std::map<std::string, std::size_t> buffers;      // call name -> the last buffer size
    int open_searches = 0;

    Volume& add_volume(const std::string& name, std::vector<std::string> mount_points);

    bool query_dos_device(const std::string& name, std::size_t buffer_bytes,
                          std::string& target) override;
    bool define_dos_device(std::uint32_t flags, const std::string& name,
                           const std::string& target) override;
    std::uint32_t logical_drives() override { return drive_mask; }
    bool volume_name_of(const std::string& mount_point, std::size_t buffer_chars,
                        std::string& volume_name) override;
    bool volume_path_names(const std::string& volume_name, std::size_t buffer_bytes,
                           std::string& paths) override;
    bool volume_path_of(const std::string& path, std::size_t buffer_bytes,
                        std::string& mount_point) override;
    bool set_mount_point(const std::string& mount_point, const std::string& volume_name) override;
    bool delete_mount_point(const std::string& mount_point) override;
    os::VolumeSearch find_first_volume(std::size_t buffer_chars, std::string& volume_name) override;
    bool find_next_volume(os::VolumeSearch search, std::size_t buffer_chars,
                          std::string& volume_name) override;
    bool find_volume_close(os::VolumeSearch search) override;
    os::VolumeSearch find_first_mount_point(const std::string& volume_name,
                                            std::size_t buffer_bytes,
                                            std::string& mount_point) override;
    bool find_next_mount_point(os::VolumeSearch search, std::size_t buffer_bytes,
                               std::string& mount_point) override;
    bool find_mount_point_close(os::VolumeSearch search) override;
    int net_drive_state(int drive_index) override;
    bool volume_of_file(const std::string& path, std::string& label,
                        std::string& file_system) override;
    bool search_tree(const std::string& root, const std::string& file_name,
                     std::size_t buffer_bytes, std::string& found) override;

private:
    struct Search {
        bool of_volumes = true;
        std::size_t volume = 0;  // the volume whose mount points are walked
        std::size_t next = 0;    // the next member to hand out
    };
    Volume* volume_named(const std::string& name);
    Volume* volume_at(const std::string& mount_point);
    Search* search_of(os::VolumeSearch search, bool of_volumes);
    std::map<os::VolumeSearch, Search> searches_;
    os::VolumeSearch next_search_ = 0x100;
};

}  // namespace qv::fakes
