// Storage devices in memory: answers to control requests by code, and a sparse disk whose bytes
// raw reads and writes reach. Every open, request and transfer is recorded; a transfer that the
// device's open mode does not allow fails the running test.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/os_disk_devices.h"

namespace qv::fakes {

struct FakeDevice {
    bool openable = true;
    // The answer of each control request the device knows; other requests fail.
    std::map<std::uint32_t, std::string> answers;
    std::uint64_t size = 0;                       // bytes reachable by reads and writes
    std::map<std::uint64_t, std::string> blocks;  // bytes stored at their positions
};

class FakeDiskDevices : public os::DiskDevices {
public:
    struct Open {
        std::string path;
        os::DeviceOpen mode = os::DeviceOpen::Read;
    };
    struct Control {
        std::string path;
        std::uint32_t code = 0;
        std::string input;
        std::size_t output_size = 0;
    };
    struct Transfer {
        std::string path;
        std::uint64_t offset = 0;
        std::string bytes;  // written bytes, or as many zero bytes as were asked for
    };

    int platform = os::kPlatformNt;
    std::map<std::string, FakeDevice> devices;  // by the path exactly as opened
    std::vector<Open> opens;                    // every attempt, in order
    std::vector<Control> controls;
    std::vector<Transfer> reads;
    std::vector<Transfer> writes;
    int open_devices = 0;  // opened and not yet closed

    // A device answering one control request.
    FakeDevice& add(const std::string& path, std::uint32_t code, std::string answer);

    int platform_id() override { return platform; }
    std::unique_ptr<os::Device> open(const std::string& path, os::DeviceOpen mode) override;
};

}  // namespace qv::fakes
