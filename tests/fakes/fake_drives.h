// In-memory drives, registry, WMI and folder listings for the drive and image code.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_process.h"
#include "platform/os_directories.h"
#include "platform/os_drives.h"
#include "platform/os_registry.h"
#include "platform/os_wmi.h"

namespace qv::fakes {

class FakeFileSystem;

// The file-system utility run for its partition report, printing `report`.
FakeProcesses::Script partition_report_tool(const std::string& report);

struct FakeDrive {
    std::string root;  // "C:\"
    int type = os::kDriveFixed;
    bool answers_number = true;
    os::DeviceNumber number;
    bool space_readable = true;
    os::SpaceBytes space{20LL << 30, 40LL << 30, 20LL << 30};
    bool volume_readable = true;
    os::VolumeInformation volume{"", "NTFS", 0x1234ABCD};
    bool clusters_readable = true;
    os::ClusterCounts clusters{8, 512, 1000, 4000};
    bool answers_media = true;
    std::uint32_t media_type = 2;
};

// Drives in the order they were added (the system lists them in letter order: add them so).
class FakeDrives : public os::Drives {
public:
    std::vector<FakeDrive> drives;
    bool firmware_askable = false;
    std::uint32_t firmware_value = 0;
    std::vector<char> number_queries;  // letters whose volume was opened for its number

    FakeDrive& add(const std::string& root, int type, std::uint32_t device = 0,
                   std::uint32_t partition = 1);
    FakeDrive* find(const std::string& drive);

    std::string logical_drive_strings() override;
    int drive_type(const std::string& root) override;
    bool device_number(char letter, os::DeviceNumber& out) override;
    bool media_device_type(char letter, std::uint32_t& out) override;
    bool volume_information(const std::string& root, os::VolumeInformation& out) override;
    bool set_volume_label(const std::string& root, const std::string& label) override;
    bool space_bytes(const std::string& root, os::SpaceBytes& out) override;
    bool cluster_counts(const std::string& root, os::ClusterCounts& out) override;
    bool firmware_type(std::uint32_t& out) override;
};

// Keys and values compared without regard to ASCII case, as the registry does.
class FakeRegistry : public os::Registry {
public:
    bool delete_value(os::RegistryRoot root, const std::string& key,
                      const std::string& name) override;
    bool delete_key(os::RegistryRoot root, const std::string& key) override;
    bool set_dword(os::RegistryRoot root, const std::string& key, const std::string& name,
                   std::uint32_t value) override;
    bool read_dword(os::RegistryRoot root, const std::string& key, const std::string& name,
                    std::uint32_t& out) override;
    void add_key(os::RegistryRoot root, const std::string& key);
    bool has_key(os::RegistryRoot root, const std::string& key) const;

private:
    static std::string path(os::RegistryRoot root, const std::string& key);
    std::map<std::string, std::map<std::string, std::uint32_t>> keys_;
};

// Result sets by query text; every connection is recorded and its release counted. A byte-array
// property is written as the text of its bytes.
class FakeWmi : public os::Wmi {
public:
    using Instance = std::map<std::string, std::string>;
    struct Connection {
        std::string name_space;
        std::string query;
        bool init_security = false;
    };
    std::set<std::string> namespaces{"root\\cimv2"};
    std::map<std::string, std::vector<Instance>> results;
    std::vector<Connection> connections;
    int open_queries = 0;

    std::unique_ptr<os::WmiQuery> connect(const std::string& name_space, const std::string& query,
                                          bool init_security) override;
};

// Folder listings made from the paths added, in the order they were first added; files are also
// put into the fake file system with their sizes.
class FakeDirectories : public os::DirectoryLister {
public:
    explicit FakeDirectories(FakeFileSystem& files) : files_(files) {}
    void add_file(const std::string& path, std::int64_t size_bytes = 0);
    void add_folder(const std::string& path);
    std::set<std::string> unlistable;  // folders (ending in "\") whose listing fails
    std::vector<std::string> listed;   // folders listed, in order

    // Called after each entry is handed over: a test lets time pass there.
    std::function<void()> on_entry;

    bool each_entry(const std::string& folder,
                    const std::function<void(const os::FolderEntry&)>& each) override;

private:
    FakeFileSystem& files_;
    std::vector<std::string> paths_;  // files, and folders ending in "\"
};

}  // namespace qv::fakes
