#include "fakes/fake_volume_names.h"

#include <gtest/gtest.h>

#include "base/helpers.h"

namespace qv::fakes {
namespace {

bool fits(const std::string& text, std::size_t buffer) {
    return text.size() + 1 <= buffer;
}

}  // namespace

FakeVolumeNames::Volume& FakeVolumeNames::add_volume(const std::string& name,
                                                     std::vector<std::string> mount_points) {
    volumes.push_back({name, std::move(mount_points)});
    return volumes.back();
}

FakeVolumeNames::Volume* FakeVolumeNames::volume_named(const std::string& name) {
    for (Volume& v : volumes)
        if (equals_ignore_case(v.name, name)) return &v;
    return nullptr;
}

FakeVolumeNames::Volume* FakeVolumeNames::volume_at(const std::string& mount_point) {
    for (Volume& v : volumes)
        for (const std::string& m : v.mount_points)
            if (equals_ignore_case(m, mount_point)) return &v;
    return nullptr;
}

bool FakeVolumeNames::query_dos_device(const std::string& name, std::size_t buffer_bytes,
                                       std::string& target) {
    buffers["query_dos_device"] = buffer_bytes;
    auto found = dos_devices.find(upper_ascii(name));
    if (found == dos_devices.end() || found->second.empty()) return false;
    if (!fits(found->second.front(), buffer_bytes)) return false;
    target = found->second.front();
    return true;
}

bool FakeVolumeNames::define_dos_device(std::uint32_t flags, const std::string& name,
                                        const std::string& target) {
    definitions.push_back({flags, name, target});
    std::vector<std::string>& targets = dos_devices[upper_ascii(name)];
    if (flags == os::kDefineDosDevice) {
        if (target.empty()) return false;
        targets.insert(targets.begin(), target);
        return true;
    }
    if (flags == os::kRemoveDosDevice && !targets.empty()) {
        targets.erase(targets.begin());
        return true;
    }
    return false;
}

bool FakeVolumeNames::volume_name_of(const std::string& mount_point, std::size_t buffer_chars,
                                     std::string& volume_name) {
    buffers["volume_name_of"] = buffer_chars;
    Volume* v = volume_at(mount_point);
    if (v == nullptr || !fits(v->name, buffer_chars)) return false;
    volume_name = v->name;
    return true;
}

bool FakeVolumeNames::volume_path_names(const std::string& volume_name, std::size_t buffer_bytes,
                                        std::string& paths) {
    buffers["volume_path_names"] = buffer_bytes;
    Volume* v = volume_named(volume_name);
    if (v == nullptr) return false;
    std::string list;
    for (const std::string& m : v->mount_points) list += m + '\0';
    if (!fits(list, buffer_bytes)) return false;
    paths = list;
    return true;
}

bool FakeVolumeNames::volume_path_of(const std::string& path, std::size_t buffer_bytes,
                                     std::string& mount_point) {
    buffers["volume_path_of"] = buffer_bytes;
    std::string best;
    for (const Volume& v : volumes)
        for (const std::string& m : v.mount_points)
            if (starts_with_ignore_case(with_trailing_backslash(path), m) && m.size() > best.size())
                best = m;
    if (best.empty() || !fits(best, buffer_bytes)) return false;
    mount_point = best;
    return true;
}

bool FakeVolumeNames::set_mount_point(const std::string& mount_point,
                                      const std::string& volume_name) {
    mount_point_changes.push_back("set " + mount_point + " " + volume_name);
    Volume* v = volume_named(volume_name);
    if (v == nullptr || volume_at(mount_point) != nullptr) return false;
    v->mount_points.push_back(mount_point);
    return true;
}

bool FakeVolumeNames::delete_mount_point(const std::string& mount_point) {
    mount_point_changes.push_back("delete " + mount_point);
    Volume* v = volume_at(mount_point);
    if (v == nullptr) return false;
    for (auto it = v->mount_points.begin(); it != v->mount_points.end(); ++it) {
        if (equals_ignore_case(*it, mount_point)) {
            v->mount_points.erase(it);
            break;
        }
    }
    return true;
}

FakeVolumeNames::Search* FakeVolumeNames::search_of(os::VolumeSearch search, bool of_volumes) {
    auto found = searches_.find(search);
    if (found == searches_.end() || found->second.of_volumes != of_volumes) {
        ADD_FAILURE() << "an enumeration that is not open, or of the other kind: " << search;
        return nullptr;
    }
    return &found->second;
}

os::VolumeSearch FakeVolumeNames::find_first_volume(std::size_t buffer_chars,
                                                    std::string& volume_name) {
    buffers["find_first_volume"] = buffer_chars;
    if (volumes.empty() || !fits(volumes[0].name, buffer_chars)) return os::kNoVolumeSearch;
    volume_name = volumes[0].name;
    searches_[next_search_] = {true, 0, 1};
    ++open_searches;
    return next_search_++;
}

bool FakeVolumeNames::find_next_volume(os::VolumeSearch search, std::size_t buffer_chars,
                                       std::string& volume_name) {
    buffers["find_next_volume"] = buffer_chars;
    Search* s = search_of(search, true);
    if (s == nullptr || s->next >= volumes.size() || !fits(volumes[s->next].name, buffer_chars))
        return false;
    volume_name = volumes[s->next++].name;
    return true;
}

bool FakeVolumeNames::find_volume_close(os::VolumeSearch search) {
    if (search_of(search, true) == nullptr) return false;
    searches_.erase(search);
    --open_searches;
    return true;
}

os::VolumeSearch FakeVolumeNames::find_first_mount_point(const std::string& volume_name,
                                                         std::size_t buffer_bytes,
                                                         std::string& mount_point) {
    buffers["find_first_mount_point"] = buffer_bytes;
    Volume* v = volume_named(volume_name);
    if (v == nullptr || v->mount_points.empty() || !fits(v->mount_points[0], buffer_bytes))
        return os::kNoVolumeSearch;
    mount_point = v->mount_points[0];
    searches_[next_search_] = {false, static_cast<std::size_t>(v - volumes.data()), 1};
    ++open_searches;
    return next_search_++;
}

bool FakeVolumeNames::find_next_mount_point(os::VolumeSearch search, std::size_t buffer_bytes,
                                            std::string& mount_point) {
    buffers["find_next_mount_point"] = buffer_bytes;
    Search* s = search_of(search, false);
    if (s == nullptr) return false;
    const std::vector<std::string>& points = volumes[s->volume].mount_points;
    if (s->next >= points.size() || !fits(points[s->next], buffer_bytes)) return false;
    mount_point = points[s->next++];
    return true;
}

bool FakeVolumeNames::find_mount_point_close(os::VolumeSearch search) {
    if (search_of(search, false) == nullptr) return false;
    searches_.erase(search);
    --open_searches;
    return true;
}

int FakeVolumeNames::net_drive_state(int drive_index) {
    auto found = net_states.find(drive_index);
    return found == net_states.end() ? 0 : found->second;
}

bool FakeVolumeNames::volume_of_file(const std::string& path, std::string& label,
                                     std::string& file_system) {
    auto found = file_volumes.find(upper_ascii(path));
    if (found == file_volumes.end()) return false;
    label = found->second.label;
    file_system = found->second.file_system;
    return true;
}

bool FakeVolumeNames::search_tree(const std::string& root, const std::string& file_name,
                                  std::size_t buffer_bytes, std::string& found) {
    buffers["search_tree"] = buffer_bytes;
    auto hit = tree_files.find(upper_ascii(root + "|" + file_name));
    if (hit == tree_files.end() || !fits(hit->second, buffer_bytes)) return false;
    found = hit->second;
    return true;
}

}  // namespace qv::fakes
