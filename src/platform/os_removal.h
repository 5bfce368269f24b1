// The seam for the safe removal of a drive: the system's handle table and the handles of a
// process, and the Plug and Play manager that ejects the device behind a volume.
//
// Handles and device instances cross the seam as 32-bit values (the program is a 32-bit one);
// native statuses are the system's own 32-bit numbers, negative (top bit set) for failures.
// The portable side (src/disks/safe_removal.h) owns every decision: which handles are looked at,
// which are closed, which interface class is searched and how often the eject is asked.
#pragma once

#include <cstdint>
#include <string>

namespace qv::os {

constexpr std::uint32_t kStatusSuccess = 0;
constexpr std::uint32_t kStatusInfoLengthMismatch = 0xC0000004u;

// Options of a handle duplication.
enum : std::uint32_t {
    kDuplicateCloseSource = 1,
    kDuplicateSameAccess = 2,
    kDuplicateSameAttributes = 4,
};

class HandleTable {
public:
    virtual ~HandleTable() = default;
    virtual std::uint32_t current_process_id() = 0;
    // Opens the "NUL" device for reading without sharing: a file object of this process whose
    // table entry shows the type number of file objects. 0 when it cannot be opened.
    virtual std::uint32_t open_null_probe() = 0;
    // Closes a handle of this process (the probe, a duplicated copy, a process handle); the
    // native status.
    virtual std::uint32_t close(std::uint32_t handle) = 0;
    // One query of the system handle table (system information class 16) into a zero-filled
    // buffer of `size` bytes; the native status, and on success the buffer's bytes.
    virtual std::uint32_t query_handle_table(std::uint32_t size, std::string& buffer) = 0;
    // Opens a process for handle duplication; 0 when it cannot be opened.
    virtual std::uint32_t open_process(std::uint32_t process_id) = 0;
    // Copies a handle of that process into this one with the options above (desired access 0,
    // attributes 0); the native status, and the copy on success. With kDuplicateCloseSource the
    // handle is closed in its owner whether or not the copy is made.
    virtual std::uint32_t duplicate(std::uint32_t process, std::uint32_t handle,
                                    std::uint32_t options, std::uint32_t& copy) = 0;
    // The file type of a handle (0 unknown, 1 disk, 2 character, 3 pipe), asked in a short-lived
    // thread that is waited for at most `timeout_ms` and ended when it has not finished: a query
    // that blocks on a pipe costs the wait, not the caller's thread. 0 when it did not finish or
    // could not be started.
    virtual int file_type_within(std::uint32_t handle, int timeout_ms) = 0;
    // The object name of a handle ("\Device\HarddiskVolume3\dir\file"), asked in a short-lived
    // thread like the file type; false when it cannot be read in time.
    virtual bool object_name(std::uint32_t handle, int timeout_ms, std::string& name) = 0;
    // The device path behind a drive "E:" ("\Device\HarddiskVolume3"); empty on failure.
    virtual std::string dos_device(const std::string& drive) = 0;
};

// The storage interface classes a volume's device is searched among.
enum class DeviceInterfaceClass { Disk, Cdrom, Floppy };

// One eject request: the configuration manager's result and the veto type (0 when none).
struct EjectAnswer {
    std::uint32_t result = 0;
    std::uint32_t veto_type = 0;
};

class DeviceEjector {
public:
    virtual ~DeviceEjector() = default;
    // The device instance of the present interface of the class whose storage device number is
    // `device_number`; 0 when none is found.
    virtual std::uint32_t find_device_instance(DeviceInterfaceClass interface_class,
                                               std::uint32_t device_number) = 0;
    // The parent device instance; false when the system cannot tell.
    virtual bool parent_of(std::uint32_t instance, std::uint32_t& parent) = 0;
    // Asks once for the device to be ejected. With `show_system_notice` the system reports a
    // refusal itself; otherwise the veto is only returned.
    virtual EjectAnswer request_eject(std::uint32_t instance, bool show_system_notice) = 0;
};

}  // namespace qv::os
