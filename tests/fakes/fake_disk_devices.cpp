#include "fakes/fake_disk_devices.h"

#include <gtest/gtest.h>

namespace qv::fakes {
namespace {

bool may_read(os::DeviceOpen mode) {
    return mode == os::DeviceOpen::Read || mode == os::DeviceOpen::ReadWrite;
}

bool may_write(os::DeviceOpen mode) {
    return mode == os::DeviceOpen::Write || mode == os::DeviceOpen::ReadWrite;
}

class OpenFakeDevice : public os::Device {
public:
    OpenFakeDevice(FakeDiskDevices& owner, FakeDevice& device, std::string path,
                   os::DeviceOpen mode)
        : owner_(owner), device_(device), path_(std::move(path)), mode_(mode) {
        ++owner_.open_devices;
    }
    ~OpenFakeDevice() override { --owner_.open_devices; }

    bool control(std::uint32_t code, const std::string& input, std::size_t output_size,
                 std::string& output) override {
        owner_.controls.push_back({path_, code, input, output_size});
        auto found = device_.answers.find(code);
        if (found == device_.answers.end()) return false;
        output = found->second.substr(0, output_size);
        return true;
    }

    bool read_at(std::uint64_t offset, std::size_t count, std::string& out) override {
        if (!may_read(mode_))
            ADD_FAILURE() << "read from " << path_ << " opened without read access";
        owner_.reads.push_back({path_, offset, std::string(count, '\0')});
        if (!may_read(mode_) || offset + count > device_.size) return false;
        out.assign(count, '\0');
        auto found = device_.blocks.find(offset);
        if (found != device_.blocks.end())
            out.replace(0, found->second.size(), found->second.substr(0, count));
        return true;
    }

    bool write_at(std::uint64_t offset, const std::string& bytes) override {
        if (!may_write(mode_))
            ADD_FAILURE() << "write to " << path_ << " opened without write access";
        owner_.writes.push_back({path_, offset, bytes});
        if (!may_write(mode_) || offset + bytes.size() > device_.size) return false;
        device_.blocks[offset] = bytes;
        return true;
    }

private:
    FakeDiskDevices& owner_;
    FakeDevice& device_;
    std::string path_;
    os::DeviceOpen mode_;
};

}  // namespace

FakeDevice& FakeDiskDevices::add(const std::string& path, std::uint32_t code, std::string answer) {
    FakeDevice& device = devices[path];
    device.answers[code] = std::move(answer);
    return device;
}

std::unique_ptr<os::Device> FakeDiskDevices::open(const std::string& path, os::DeviceOpen mode) {
    opens.push_back({path, mode});
    auto found = devices.find(path);
    if (found == devices.end() || !found->second.openable) return nullptr;
    return std::make_unique<OpenFakeDevice>(*this, found->second, path, mode);
}

}  // namespace qv::fakes
