// A system handle table and a Plug and Play manager in memory: handles of processes with their
// file types and object names, the devices behind drive letters, device instances by interface
// class and device number, and scripted eject answers. Nothing real is closed or ejected.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/os_removal.h"

namespace qv::fakes {

class ManualClock;

// A handle as the system's table lists it, with what the queries on it answer.
struct FakeHandle {
    std::uint32_t process_id = 0;
    std::uint32_t handle = 0;
    std::uint8_t type_number = 0;  // the object type number of the table
    int file_type = 0;             // the file type query's answer, or kHangs
    std::string name;              // the object name
    bool name_readable = true;
};

class FakeHandleTable : public os::HandleTable {
public:
    static constexpr int kHangs = -1;  // the file type query never finishes

    std::uint32_t own_process_id = 0x1A2C;
    std::uint8_t file_type_number = 28;  // the type number the "NUL" probe gets
    bool probe_opens = true;
    std::uint32_t table_status = 0;          // a failure status the table query answers with, or 0
    std::set<std::uint32_t> closed_refused;  // copies of these handles cannot be closed
    std::map<std::string, std::string> devices;  // "E:" -> "\Device\HarddiskVolume3"
    std::vector<FakeHandle> table;               // in the system's order
    ManualClock* clock = nullptr;                // a hanging query costs its wait on it

    // Records.
    std::vector<std::uint32_t> table_sizes;    // buffer sizes of the table queries
    std::vector<std::string> closed_in_owner;  // names of handles closed in their owner
    std::vector<std::uint32_t> ended_threads;  // handles whose type query was given up
    std::vector<std::uint32_t> names_asked;    // handles whose name was asked (by value)
    int waited_ms = 0;

    FakeHandle& add(std::uint32_t process_id, std::uint32_t handle, int file_type,
                    const std::string& name);
    // Handles of this process (probe, copies, process handles) still open.
    std::size_t local_handles_open() const { return local_.size(); }
    bool in_table(std::uint32_t process_id, std::uint32_t handle) const;

    std::uint32_t current_process_id() override { return own_process_id; }
    std::uint32_t open_null_probe() override;
    std::uint32_t close(std::uint32_t handle) override;
    std::uint32_t query_handle_table(std::uint32_t size, std::string& buffer) override;
    std::uint32_t open_process(std::uint32_t process_id) override;
    std::uint32_t duplicate(std::uint32_t process, std::uint32_t handle, std::uint32_t options,
                            std::uint32_t& copy) override;
    int file_type_within(std::uint32_t handle, int timeout_ms) override;
    bool object_name(std::uint32_t handle, int timeout_ms, std::string& name) override;
    std::string dos_device(const std::string& drive) override;

private:
    // What a local handle stands for: a process (pid) or a copy of a table handle.
    struct Local {
        bool process = false;
        std::uint32_t process_id = 0;
        FakeHandle copy_of;
    };
    std::uint32_t next_local_ = 0x7F0;
    std::map<std::uint32_t, Local> local_;
    std::uint32_t probe_ = 0;
};

class FakeDeviceEjector : public os::DeviceEjector {
public:
    struct Request {
        std::uint32_t instance = 0;
        bool show_system_notice = false;
    };
    std::map<std::pair<os::DeviceInterfaceClass, std::uint32_t>, std::uint32_t> instances;
    std::map<std::uint32_t, std::uint32_t> parents;  // instance -> parent; missing: no parent
    std::deque<os::EjectAnswer> answers;             // afterwards every request succeeds

    std::vector<std::pair<os::DeviceInterfaceClass, std::uint32_t>> searches;
    std::vector<Request> requests;

    std::uint32_t find_device_instance(os::DeviceInterfaceClass interface_class,
                                       std::uint32_t device_number) override;
    bool parent_of(std::uint32_t instance, std::uint32_t& parent) override;
    os::EjectAnswer request_eject(std::uint32_t instance, bool show_system_notice) override;
};

}  // namespace qv::fakes
