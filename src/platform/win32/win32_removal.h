// The step of the device search that the Wine tests reach on a device set of their own: Wine
// lists no storage interfaces, so the search itself never gets that far there.
#pragma once

#include <windows.h>

#include <setupapi.h>

#include <cstdint>
#include <string>

namespace qv::win32 {

// The device path and the device instance of one interface of a set, read with the detail record
// of this build's word size; false when the system does not give them or the path would not fit
// the record's 260 characters.
bool read_interface_detail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interface_data,
                           std::string& path, std::uint32_t& instance);

}  // namespace qv::win32
