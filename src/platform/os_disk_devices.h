// The seam for storage devices opened by name ("\\.\PhysicalDrive0", "\\.\C:"): device I/O
// control requests and raw reads and writes at byte positions.
//
// The portable side builds every request and reads every answer; this side only moves bytes.
// Device paths are code-page-936 texts. Every call reports failure by its result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qv::os {

// How a device is opened.
enum class DeviceOpen {
    Read,       // read access; others may read and write
    ReadWrite,  // read and write access; others may read and write (the SMART requests need it)
    Write,      // write access; others may write (raw sector writes)
    OldDriver,  // no access, no sharing, created new: the SMART driver of the 9x family
};

// The control requests that may be sent: nothing else crosses this seam.
enum : std::uint32_t {
    kIoctlDiskGetDriveGeometry = 0x00070000u,
    kSmartRcvDriveData = 0x0007C088u,
    kIoctlStorageGetDeviceNumber = 0x002D1080u,
    kIoctlStoragePredictFailure = 0x002D1100u,
};

// The platform family the system reports (GetVersionEx's platform id).
enum : int {
    kPlatformWin32s = 0,
    kPlatformWindows9x = 1,
    kPlatformNt = 2,
};

// One open device; destroying it closes it.
class Device {
public:
    virtual ~Device() = default;
    // Sends a control request with these input bytes and room for `output_size` bytes of answer.
    // On true `output` holds the bytes the driver returned (possibly fewer than asked).
    virtual bool control(std::uint32_t code, const std::string& input, std::size_t output_size,
                         std::string& output) = 0;
    // Reads `count` bytes from byte position `offset`; false unless the position is reached and
    // every byte arrives.
    virtual bool read_at(std::uint64_t offset, std::size_t count, std::string& out) = 0;
    // Writes the bytes at byte position `offset`; false unless the position is reached and every
    // byte is written.
    virtual bool write_at(std::uint64_t offset, const std::string& bytes) = 0;
};

class DiskDevices {
public:
    virtual ~DiskDevices() = default;
    virtual int platform_id() = 0;
    // Opens an existing device (the old driver mode creates it); null when it cannot be opened.
    virtual std::unique_ptr<Device> open(const std::string& path, DeviceOpen mode) = 0;
};

}  // namespace qv::os
