#include "fakes/fake_drives.h"

#include "base/helpers.h"
#include "fakes/fake_os.h"

namespace qv::fakes {

FakeProcesses::Script partition_report_tool(const std::string& report) {
    FakeProcesses::Script script;
    script.match = "omnifs32.exe info";
    script.output = report;
    return script;
}

FakeDrive& FakeDrives::add(const std::string& root, int type, std::uint32_t device,
                           std::uint32_t partition) {
    FakeDrive d;
    d.root = root;
    d.type = type;
    d.number = {device, partition};
    drives.push_back(d);
    return drives.back();
}

FakeDrive* FakeDrives::find(const std::string& drive) {
    if (drive.empty()) return nullptr;
    for (FakeDrive& d : drives) {
        std::string want = upper_ascii(drive);
        // A root ("C:\") or a letter with its colon ("C:") names the drive; anything else does not.
        if (want == d.root || want + "\\" == d.root) return &d;
    }
    return nullptr;
}

std::string FakeDrives::logical_drive_strings() {
    std::string buffer;
    for (const FakeDrive& d : drives) {
        buffer += d.root;
        buffer += '\0';
    }
    return buffer;
}

int FakeDrives::drive_type(const std::string& root) {
    FakeDrive* d = find(root);
    return d == nullptr ? os::kDriveNoRoot : d->type;
}

bool FakeDrives::device_number(char letter, os::DeviceNumber& out) {
    number_queries.push_back(letter);
    FakeDrive* d = find(std::string(1, letter) + ":");
    if (d == nullptr || !d->answers_number) return false;
    out = d->number;
    return true;
}

bool FakeDrives::media_device_type(char letter, std::uint32_t& out) {
    FakeDrive* d = find(std::string(1, letter) + ":");
    if (d == nullptr || !d->answers_media) return false;
    out = d->media_type;
    return true;
}

bool FakeDrives::volume_information(const std::string& root, os::VolumeInformation& out) {
    FakeDrive* d = find(root);
    if (d == nullptr || root.size() != 3 || !d->volume_readable) return false;
    out = d->volume;
    return true;
}

bool FakeDrives::set_volume_label(const std::string& root, const std::string& label) {
    FakeDrive* d = find(root);
    if (d == nullptr || root.size() != 3 || !d->volume_readable) return false;
    d->volume.label = label;
    return true;
}

bool FakeDrives::space_bytes(const std::string& root, os::SpaceBytes& out) {
    FakeDrive* d = find(root);
    if (d == nullptr || !d->space_readable) return false;
    out = d->space;
    return true;
}

bool FakeDrives::cluster_counts(const std::string& root, os::ClusterCounts& out) {
    FakeDrive* d = find(root);
    if (d == nullptr || root.size() != 3 || !d->clusters_readable) return false;
    out = d->clusters;
    return true;
}

bool FakeDrives::firmware_type(std::uint32_t& out) {
    if (!firmware_askable) return false;
    out = firmware_value;
    return true;
}

std::string FakeRegistry::path(os::RegistryRoot root, const std::string& key) {
    return (root == os::RegistryRoot::CurrentUser ? "HKCU\\" : "HKLM\\") + upper_ascii(key);
}

void FakeRegistry::add_key(os::RegistryRoot root, const std::string& key) {
    keys_[path(root, key)];
}

bool FakeRegistry::has_key(os::RegistryRoot root, const std::string& key) const {
    return keys_.count(path(root, key)) != 0;
}

bool FakeRegistry::delete_value(os::RegistryRoot root, const std::string& key,
                                const std::string& name) {
    auto found = keys_.find(path(root, key));
    return found != keys_.end() && found->second.erase(upper_ascii(name)) == 1;
}

bool FakeRegistry::delete_key(os::RegistryRoot root, const std::string& key) {
    std::string p = path(root, key);
    for (const auto& k : keys_)
        if (k.first.size() > p.size() && k.first.compare(0, p.size() + 1, p + "\\") == 0)
            return false;
    return keys_.erase(p) == 1;
}

bool FakeRegistry::set_dword(os::RegistryRoot root, const std::string& key, const std::string& name,
                             std::uint32_t value) {
    keys_[path(root, key)][upper_ascii(name)] = value;
    return true;
}

bool FakeRegistry::read_dword(os::RegistryRoot root, const std::string& key,
                              const std::string& name, std::uint32_t& out) {
    auto found = keys_.find(path(root, key));
    if (found == keys_.end()) return false;
    auto value = found->second.find(upper_ascii(name));
    if (value == found->second.end()) return false;
    out = value->second;
    return true;
}

namespace {
class FakeWmiQuery : public os::WmiQuery {
public:
    FakeWmiQuery(const std::vector<FakeWmi::Instance>& rows, int& open) : rows_(rows), open_(open) {
        ++open_;
    }
    ~FakeWmiQuery() override { --open_; }
    bool next() override {
        if (at_ + 1 >= static_cast<long>(rows_.size())) {
            at_ = static_cast<long>(rows_.size());
            return false;
        }
        ++at_;
        return true;
    }
    std::string text(const std::string& property) override {
        if (at_ < 0 || at_ >= static_cast<long>(rows_.size())) return {};
        const FakeWmi::Instance& row = rows_[static_cast<std::size_t>(at_)];
        auto found = row.find(property);
        return found == row.end() ? std::string() : found->second;
    }
    // A byte array is kept as the text of its bytes.
    std::vector<std::uint8_t> bytes(const std::string& property) override {
        std::string value = text(property);
        return std::vector<std::uint8_t>(value.begin(), value.end());
    }

private:
    std::vector<FakeWmi::Instance> rows_;
    int& open_;
    long at_ = -1;
};
}  // namespace

std::unique_ptr<os::WmiQuery> FakeWmi::connect(const std::string& name_space,
                                               const std::string& query, bool init_security) {
    connections.push_back({name_space, query, init_security});
    if (namespaces.count(name_space) == 0) return nullptr;
    return std::make_unique<FakeWmiQuery>(results[query], open_queries);
}

void FakeDirectories::add_file(const std::string& path, std::int64_t size_bytes) {
    paths_.push_back(path);
    files_.add_file_of_size(path, size_bytes);
}

void FakeDirectories::add_folder(const std::string& path) {
    paths_.push_back(with_trailing_backslash(path));
    files_.add_folder(path);
}

bool FakeDirectories::each_entry(const std::string& folder,
                                 const std::function<void(const os::FolderEntry&)>& each) {
    listed.push_back(folder);
    if (unlistable.count(folder) != 0) return false;
    std::string prefix = upper_ascii(folder);
    std::set<std::string> seen;
    std::vector<os::FolderEntry> out;
    bool exists = false;
    for (const std::string& p : paths_) {
        if (p.size() < prefix.size() || upper_ascii(p.substr(0, prefix.size())) != prefix) continue;
        exists = true;
        // A file deleted since it was added is no longer listed.
        if (p.back() != '\\' && !files_.has(p)) continue;
        std::string rest = p.substr(prefix.size());
        if (rest.empty()) continue;
        std::size_t slash = std::string::npos;
        for (std::size_t i = 0; i < rest.size() && slash == std::string::npos;
             i = next_char(rest, i))
            if (rest[i] == '\\') slash = i;
        os::FolderEntry e{slash == std::string::npos ? rest : rest.substr(0, slash),
                          slash != std::string::npos};
        if (seen.insert(upper_ascii(e.name)).second) out.push_back(e);
    }
    if (!exists) return false;
    for (const os::FolderEntry& e : out) {
        each(e);
        if (on_entry) on_entry();
    }
    return true;
}

}  // namespace qv::fakes
