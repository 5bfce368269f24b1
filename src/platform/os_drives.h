// The seam for drives and volumes: which drive roots exist, of what kind, the disk and partition
// behind a letter, sizes, labels, file systems and the machine's firmware type.
//
// A drive is named by its root ("C:\") or, where the call takes a letter, by "C:"; texts are
// code-page-936 bytes. Every query reports failure by its result and leaves outputs untouched.
#pragma once

#include <cstdint>
#include <string>

namespace qv::os {

// The system's drive type numbers.
enum : int {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdrom = 5,
    kDriveRamDisk = 6,
};

struct VolumeInformation {
    std::string label;
    std::string file_system;
    std::uint32_t serial = 0;
};

// The device and partition numbers of the storage device record, as the system gives them
// (device counted from 0, partition from 1; cdroms answer 0xFFFFFFFF for the partition).
struct DeviceNumber {
    std::uint32_t device = 0;
    std::uint32_t partition = 0;
};

// The byte counts of the extended free-space query.
struct SpaceBytes {
    std::int64_t free_to_caller = 0;
    std::int64_t total = 0;
    std::int64_t total_free = 0;
};

// The cluster counts of the older free-space query.
struct ClusterCounts {
    std::uint32_t sectors_per_cluster = 0;
    std::uint32_t bytes_per_sector = 0;
    std::uint32_t free_clusters = 0;
    std::uint32_t total_clusters = 0;
};

class Drives {
public:
    virtual ~Drives() = default;
    // The logical drive strings as the system writes them into a 256-unit buffer: roots, each
    // followed by a zero byte, without the list's final terminator. Empty on failure.
    virtual std::string logical_drive_strings() = 0;
    // The type number of a root ("C:\").
    virtual int drive_type(const std::string& root) = 0;
    // The storage device number of the volume "\\.\" + letter + ":"; false when the volume
    // cannot be opened or does not answer.
    virtual bool device_number(char letter, DeviceNumber& out) = 0;
    // The media type of the first device type word of the removable-media query, for optical
    // drives (2 CD-ROM, 51 DVD); false when the volume cannot be opened or does not answer.
    virtual bool media_device_type(char letter, std::uint32_t& out) = 0;
    virtual bool volume_information(const std::string& root, VolumeInformation& out) = 0;
    virtual bool set_volume_label(const std::string& root, const std::string& label) = 0;
    virtual bool space_bytes(const std::string& root, SpaceBytes& out) = 0;
    virtual bool cluster_counts(const std::string& root, ClusterCounts& out) = 0;
    // The firmware type value (1 BIOS, 2 UEFI, ...); false when the system cannot be asked
    // (the entry point is missing on older systems) or the call fails.
    virtual bool firmware_type(std::uint32_t& out) = 0;
};

}  // namespace qv::os
