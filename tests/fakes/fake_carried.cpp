#include "fakes/fake_carried.h"

#include <algorithm>

#include "base/helpers.h"

namespace qv::fakes {

void FakeCarriedFiles::add(const std::string& name, const std::string& bytes) {
    files_[upper_ascii(name)] = bytes;
}

bool FakeCarriedFiles::carried_bytes(const std::string& name, std::string& bytes) {
    auto found = files_.find(upper_ascii(name));
    if (found == files_.end()) return false;
    bytes = found->second;
    return true;
}

TearingFileSystem::TearingFileSystem(os::FileSystem& disk) : disk_(disk), before_(os::os().files) {
    os::os().files = this;
}

TearingFileSystem::~TearingFileSystem() {
    os::os().files = before_;
}

std::vector<std::string> TearingFileSystem::standing() {
    std::vector<std::string> paths;
    for (const std::string& path : created) {
        bool listed = std::any_of(paths.begin(), paths.end(), [&](const std::string& p) {
            return upper_ascii(p) == upper_ascii(path);
        });
        if (!listed && disk_.path_exists(path)) paths.push_back(path);
    }
    return paths;
}

bool TearingFileSystem::write_new_file(const std::string& path, const std::string& bytes) {
    if (off()) return false;
    if (writes_++ == tear_write) {
        torn_ = true;
        if (disk_.write_new_file(path, bytes.substr(0, bytes.size() / 2))) created.push_back(path);
        return false;
    }
    if (!disk_.write_new_file(path, bytes)) return false;
    created.push_back(path);
    return true;
}

bool TearingFileSystem::delete_file(const std::string& path) {
    return !off() && disk_.delete_file(path);
}

bool TearingFileSystem::rename_file(const std::string& from, const std::string& to) {
    if (off() || !disk_.rename_file(from, to)) return false;
    created.push_back(to);
    return true;
}

bool TearingFileSystem::copy_file(const std::string& from, const std::string& to,
                                  bool fail_if_exists) {
    if (off() || !disk_.copy_file(from, to, fail_if_exists)) return false;
    created.push_back(to);
    return true;
}

}  // namespace qv::fakes
