// The seam for the names of volumes: DOS device names, volume names ("\\?\Volume{...}\"), the
// mount points that lead to them, their enumerations, and a few lookups on volumes that other
// layers do not cover (network drives, volume facts through an open file, a file search).
//
// Texts are code-page-936 bytes. Where the system fills a caller's buffer, the buffer's size is
// an argument (in bytes for paths and device names, in characters for volume names), so that a
// text which would not fit fails exactly as it would in that buffer.
#pragma once

#include <cstdint>
#include <string>

namespace qv::os {

// An enumeration of volumes or of one volume's mount points, as the system hands it out; the
// holder ends it with the matching close.
using VolumeSearch = std::uintptr_t;
constexpr VolumeSearch kNoVolumeSearch = ~static_cast<VolumeSearch>(0);

// DefineDosDevice flags.
enum : std::uint32_t {
    kDefineDosDevice = 0,
    kRemoveDosDevice = 2,
};

class VolumeNames {
public:
    virtual ~VolumeNames() = default;

    // The first target of a DOS device name ("E:"); false when the name is not defined or the
    // target does not fit.
    virtual bool query_dos_device(const std::string& name, std::size_t buffer_bytes,
                                  std::string& target) = 0;
    virtual bool define_dos_device(std::uint32_t flags, const std::string& name,
                                   const std::string& target) = 0;

    // The bit mask of the drive letters in use (bit 0 A:), 0 on failure.
    virtual std::uint32_t logical_drives() = 0;

    // The volume name behind a mount point ("E:\").
    virtual bool volume_name_of(const std::string& mount_point, std::size_t buffer_chars,
                                std::string& volume_name) = 0;
    // Every path of a volume, each followed by a zero byte.
    virtual bool volume_path_names(const std::string& volume_name, std::size_t buffer_bytes,
                                   std::string& paths) = 0;
    // The mount point that holds a path.
    virtual bool volume_path_of(const std::string& path, std::size_t buffer_bytes,
                                std::string& mount_point) = 0;
    virtual bool set_mount_point(const std::string& mount_point,
                                 const std::string& volume_name) = 0;
    virtual bool delete_mount_point(const std::string& mount_point) = 0;

    virtual VolumeSearch find_first_volume(std::size_t buffer_chars, std::string& volume_name) = 0;
    virtual bool find_next_volume(VolumeSearch search, std::size_t buffer_chars,
                                  std::string& volume_name) = 0;
    virtual bool find_volume_close(VolumeSearch search) = 0;
    virtual VolumeSearch find_first_mount_point(const std::string& volume_name,
                                                std::size_t buffer_bytes,
                                                std::string& mount_point) = 0;
    virtual bool find_next_mount_point(VolumeSearch search, std::size_t buffer_bytes,
                                       std::string& mount_point) = 0;
    virtual bool find_mount_point_close(VolumeSearch search) = 0;

    // The shell's network-drive state of a drive index (A = 0): 0 not a network drive,
    // 1 connected, 2 disconnected; 0 when the shell cannot be asked.
    virtual int net_drive_state(int drive_index) = 0;
    // The label and file-system name of the volume that holds an existing file; false when the
    // file cannot be opened for reading or the volume does not answer.
    virtual bool volume_of_file(const std::string& path, std::string& label,
                                std::string& file_system) = 0;
    // Searches the folder tree under `root` for a file of that name; false when none is found,
    // the path does not fit or the search library is missing.
    virtual bool search_tree(const std::string& root, const std::string& file_name,
                             std::size_t buffer_bytes, std::string& found) = 0;
};

}  // namespace qv::os
