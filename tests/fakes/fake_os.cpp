#include "fakes/fake_os.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "base/helpers.h"

namespace qv::fakes {

std::string FakeFileSystem::key(const std::string& path) {
    // The system reads a doubled backslash inside a path as one ("C:\\winnt.sif" is the file in
    // C:'s root); a leading pair ("\\.\") stays.
    std::string k;
    bool after_backslash = false;
    for (std::size_t i = 0; i < path.size();) {
        std::size_t next = next_char(path, i);
        bool backslash = next - i == 1 && path[i] == '\\';
        if (!(backslash && after_backslash && i > 1)) k.append(path, i, next - i);
        after_backslash = backslash;
        i = next;
    }
    k = upper_ascii(k);
    while (k.size() > 3 && k.back() == '\\') k.pop_back();
    return k;
}

void FakeFileSystem::add_file(const std::string& path, std::string bytes) {
    Entry& e = entries_[key(path)];
    e.folder = false;
    e.bytes = std::move(bytes);
}

void FakeFileSystem::add_file_of_size(const std::string& path, std::int64_t size) {
    add_file(path);
    entries_[key(path)].size = size;
}

void FakeFileSystem::add_folder(const std::string& path) {
    entries_[key(path)].folder = true;
}

FakeFileSystem::Entry* FakeFileSystem::entry(const std::string& path) {
    auto found = entries_.find(key(path));
    return found == entries_.end() ? nullptr : &found->second;
}

bool FakeFileSystem::has(const std::string& path) const {
    return entries_.count(key(path)) != 0;
}

std::string FakeFileSystem::contents(const std::string& path) const {
    auto found = entries_.find(key(path));
    return found == entries_.end() ? std::string() : found->second.bytes;
}

bool FakeFileSystem::path_exists(const std::string& path) {
    return has(path);
}

bool FakeFileSystem::find_first_matches(const std::string& pattern) {
    // "L:\nul" finds the device of any drive that exists.
    std::string k = key(pattern);
    if (k.size() == 6 && k.compare(1, 5, ":\\NUL") == 0) return has(k.substr(0, 3));
    return has(pattern);
}

std::int64_t FakeFileSystem::file_size_bytes(const std::string& path) {
    if (on_size_query) on_size_query();
    Entry* e = entry(path);
    if (e == nullptr || e->folder || e->unreadable) return -1;
    return e->size >= 0 ? e->size : static_cast<std::int64_t>(e->bytes.size());
}

bool FakeFileSystem::file_times(const std::string& path, os::FileTimes& out) {
    Entry* e = entry(path);
    if (e == nullptr || e->unreadable) return false;
    out = e->times;
    return true;
}

std::string FakeFileSystem::file_version(const std::string& path) {
    Entry* e = entry(path);
    return e == nullptr ? std::string() : e->version;
}

std::string FakeFileSystem::file_description(const std::string& path) {
    Entry* e = entry(path);
    return e == nullptr ? std::string() : e->description;
}

bool FakeFileSystem::is_directory(const std::string& path) {
    Entry* e = entry(path);
    return e != nullptr && e->folder;
}

std::string FakeFileSystem::full_path(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path;
    return current_folder + "\\" + path;
}

std::string FakeFileSystem::special_folder(int csidl) {
    auto found = special.find(csidl);
    return found == special.end() ? std::string() : found->second;
}

void FakeFileSystem::set_read_only_drive(char letter, bool on) {
    char upper = upper_ascii(std::string(1, letter))[0];
    if (on)
        read_only_drives_.insert(upper);
    else
        read_only_drives_.erase(upper);
}

bool FakeFileSystem::on_read_only_drive(const std::string& path) const {
    return path.size() >= 2 && path[1] == ':' &&
           read_only_drives_.count(upper_ascii(path.substr(0, 1))[0]) != 0;
}

bool FakeFileSystem::write_new_file(const std::string& path, const std::string& bytes) {
    if (fail_writes_ || on_read_only_drive(path) || has(path)) return false;
    add_file(path, bytes);
    writes.push_back(path);
    return true;
}

bool FakeFileSystem::delete_file(const std::string& path) {
    Entry* e = entry(path);
    if (e == nullptr || e->folder || on_read_only_drive(path)) return false;
    entries_.erase(key(path));
    return true;
}

bool FakeFileSystem::rename_file(const std::string& from, const std::string& to) {
    if (!has(from) || has(to) || on_read_only_drive(from) || on_read_only_drive(to)) return false;
    Entry moved = entries_[key(from)];
    entries_.erase(key(from));
    entries_[key(to)] = moved;
    return true;
}

bool FakeFileSystem::copy_file(const std::string& from, const std::string& to,
                               bool fail_if_exists) {
    std::string target = replace_all(to, "\\\\", "\\");
    Entry* source = entry(replace_all(from, "\\\\", "\\"));
    if (source == nullptr || source->folder || source->unreadable || fail_writes_ ||
        on_read_only_drive(target))
        return false;
    if (fail_if_exists && has(target)) return false;
    Entry copy = *source;
    entries_[key(target)] = copy;
    writes.push_back(target);
    return true;
}

int RecordedNotices::message_box(const std::string& text, const std::string& caption, int style) {
    boxes.push_back({text, caption, style});
    int answer = default_answer;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    // The answer is this box's own; boxes that open while it is open take the next ones.
    if (while_open) {
        std::function<void(const Box&)> hook = while_open;
        Box open = boxes.back();
        hook(open);
    }
    return answer;
}

std::vector<std::string> RecordedNotices::texts() const {
    std::vector<std::string> out;
    for (const Box& b : boxes) out.push_back(b.text);
    return out;
}

std::vector<std::string> RecordedNotices::hint_texts_and_styles() const {
    std::vector<std::string> out;
    for (const Box& b : boxes) {
        EXPECT_EQ(b.caption, "提示") << b.text;
        out.push_back(b.text + "|" + std::to_string(b.style));
    }
    return out;
}

std::vector<std::string> RecordedNotices::captions_texts_and_styles() const {
    std::vector<std::string> out;
    for (const Box& b : boxes)
        out.push_back(b.caption + "|" + b.text + "|" + std::to_string(b.style));
    return out;
}

std::vector<std::string> RecordedNotices::texts_captions_and_styles() const {
    std::vector<std::string> out;
    for (const Box& b : boxes)
        out.push_back(b.text + "|" + b.caption + "|" + std::to_string(b.style));
    return out;
}

FakeOs::FakeOs() {
    os::Os set;
    set.files = &files;
    set.program = &program;
    set.clock = &clock;
    set.notices = &notices;
    set.processes = &processes;
    set.carried = &carried;
    set.shell = &shell;
    shell.files = &files;
    set.instance = &instance;
    set.windows = &windows;
    set.power = &power;
    set.ini = &ini;
    ini.files = &files;
    set.drives = &drives;
    set.registry = &registry;
    set.wmi = &wmi;
    set.directories = &directories;
    set.com = &com;
    set.codec = &codec;
    set.binary_types = &binary_types;
    set.consoles = &consoles;
    set.formatter = &formatter;
    set.handles = &handles;
    handles.clock = &clock;
    set.ejector = &ejector;
    set.api_module = &api_module;
    set.shell_files = &shell_files;
    shell_files.files = &files;
    set.volume_names = &volume_names;
    set.disk_devices = &disk_devices;
    set.shares = &shares;
    set.ui = os::os().ui;
    os::install(set);
}

FakeOs::~FakeOs() {
    os::install(os::Os{});
}

}  // namespace qv::fakes
