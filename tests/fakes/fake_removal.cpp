#include "fakes/fake_removal.h"

#include <gtest/gtest.h>

#include "fakes/fake_os.h"

namespace qv::fakes {
namespace {

constexpr std::uint32_t kStatusInvalidHandle = 0xC0000008u;

void put_le(std::string& bytes, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

FakeHandle& FakeHandleTable::add(std::uint32_t process_id, std::uint32_t handle, int file_type,
                                 const std::string& name) {
    FakeHandle h;
    h.process_id = process_id;
    h.handle = handle;
    h.type_number = file_type_number;
    h.file_type = file_type;
    h.name = name;
    table.push_back(h);
    return table.back();
}

bool FakeHandleTable::in_table(std::uint32_t process_id, std::uint32_t handle) const {
    for (const FakeHandle& h : table)
        if (h.process_id == process_id && h.handle == handle) return true;
    return false;
}

std::uint32_t FakeHandleTable::open_null_probe() {
    if (!probe_opens) return 0;
    probe_ = next_local_ += 4;
    local_[probe_] = Local{};
    add(own_process_id, probe_, 2, "\\Device\\Null");
    return probe_;
}

std::uint32_t FakeHandleTable::close(std::uint32_t handle) {
    auto found = local_.find(handle);
    if (found == local_.end()) return kStatusInvalidHandle;
    if (!found->second.process && closed_refused.count(found->second.copy_of.handle) != 0)
        return kStatusInvalidHandle;
    local_.erase(found);
    if (handle == probe_) {
        for (auto it = table.begin(); it != table.end(); ++it) {
            if (it->process_id == own_process_id && it->handle == probe_) {
                table.erase(it);
                break;
            }
        }
        probe_ = 0;
    }
    return os::kStatusSuccess;
}

std::uint32_t FakeHandleTable::query_handle_table(std::uint32_t size, std::string& buffer) {
    table_sizes.push_back(size);
    // A buffer doubled past 2 GiB wraps to no bytes: the walk would ask for ever.
    if (size == 0) {
        ADD_FAILURE() << "the handle table was asked with a buffer of no bytes";
        return kStatusInvalidHandle;
    }
    if (table_status != 0) return table_status;
    std::string bytes;
    put_le(bytes, static_cast<std::uint32_t>(table.size()), 4);
    for (const FakeHandle& h : table) {
        put_le(bytes, h.process_id, 2);  // the table keeps the low 16 bits only
        put_le(bytes, 0, 2);
        put_le(bytes, h.type_number, 1);
        put_le(bytes, 0, 1);
        put_le(bytes, h.handle, 2);
        put_le(bytes, 0x8A000000u + h.handle, 4);
        put_le(bytes, 0x120089u, 4);
    }
    if (size < bytes.size()) return os::kStatusInfoLengthMismatch;
    bytes.resize(size, '\0');
    buffer = bytes;
    return os::kStatusSuccess;
}

std::uint32_t FakeHandleTable::open_process(std::uint32_t process_id) {
    std::uint32_t h = next_local_ += 4;
    Local l;
    l.process = true;
    l.process_id = process_id;
    local_[h] = l;
    return h;
}

std::uint32_t FakeHandleTable::duplicate(std::uint32_t process, std::uint32_t handle,
                                         std::uint32_t options, std::uint32_t& copy) {
    auto owner = local_.find(process);
    if (owner == local_.end() || !owner->second.process) return kStatusInvalidHandle;
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (it->process_id != owner->second.process_id || (it->handle & 0xFFFFu) != handle)
            continue;
        Local l;
        l.copy_of = *it;
        if (options & os::kDuplicateCloseSource) {
            closed_in_owner.push_back(it->name);
            table.erase(it);
        }
        copy = next_local_ += 4;
        local_[copy] = l;
        return os::kStatusSuccess;
    }
    return kStatusInvalidHandle;
}

int FakeHandleTable::file_type_within(std::uint32_t handle, int timeout_ms) {
    auto found = local_.find(handle);
    if (found == local_.end() || found->second.process) return 0;
    if (found->second.copy_of.file_type == kHangs) {
        ended_threads.push_back(found->second.copy_of.handle);
        waited_ms += timeout_ms;
        if (clock != nullptr) clock->ticks += static_cast<std::uint32_t>(timeout_ms);
        return 0;
    }
    return found->second.copy_of.file_type;
}

bool FakeHandleTable::object_name(std::uint32_t handle, int, std::string& name) {
    auto found = local_.find(handle);
    if (found == local_.end() || found->second.process) return false;
    names_asked.push_back(found->second.copy_of.handle);
    if (!found->second.copy_of.name_readable) return false;
    name = found->second.copy_of.name;
    return true;
}

std::string FakeHandleTable::dos_device(const std::string& drive) {
    auto found = devices.find(drive);
    return found == devices.end() ? std::string() : found->second;
}

std::uint32_t FakeDeviceEjector::find_device_instance(os::DeviceInterfaceClass interface_class,
                                                      std::uint32_t device_number) {
    searches.push_back({interface_class, device_number});
    auto found = instances.find({interface_class, device_number});
    return found == instances.end() ? 0 : found->second;
}

bool FakeDeviceEjector::parent_of(std::uint32_t instance, std::uint32_t& parent) {
    auto found = parents.find(instance);
    if (found == parents.end()) return false;
    parent = found->second;
    return true;
}

os::EjectAnswer FakeDeviceEjector::request_eject(std::uint32_t instance, bool show_system_notice) {
    requests.push_back({instance, show_system_notice});
    if (answers.empty()) return {};
    os::EjectAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace qv::fakes
