// In-memory stand-ins for the seam: files, the program, a manual clock and recorded message boxes.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_api_module.h"
#include "fakes/fake_carried.h"
#include "fakes/fake_com.h"
#include "fakes/fake_console.h"
#include "fakes/fake_disk_devices.h"
#include "fakes/fake_drives.h"
#include "fakes/fake_format.h"
#include "fakes/fake_ini.h"
#include "fakes/fake_instance.h"
#include "fakes/fake_power.h"
#include "fakes/fake_process.h"
#include "fakes/fake_removal.h"
#include "fakes/fake_shares.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_shell_files.h"
#include "fakes/fake_volume_names.h"
#include "platform/os.h"

namespace qv::fakes {

// Paths are compared without regard to ASCII case, as on Windows.
class FakeFileSystem : public os::FileSystem {
public:
    struct Entry {
        bool folder = false;
        std::string bytes;
        std::int64_t size = -1;  // when >= 0, the size reported instead of bytes.size()
        os::FileTimes times;
        std::string version;
        std::string description;
        bool unreadable = false;
    };

    void add_file(const std::string& path, std::string bytes = {});
    void add_file_of_size(const std::string& path, std::int64_t size);
    void add_folder(const std::string& path);
    Entry* entry(const std::string& path);
    bool has(const std::string& path) const;
    std::string contents(const std::string& path) const;
    void fail_writes(bool on) { fail_writes_ = on; }
    // A read-only drive: writing, deleting, renaming or copying a file there fails, and what lies
    // there stays as it was (and readable).
    void set_read_only_drive(char letter, bool on = true);

    std::string windows = "X:\\WINDOWS";
    std::string system = "X:\\WINDOWS\\system32";
    std::string temp = "X:\\TEMP\\";
    std::string current_folder = "X:\\Program";
    std::map<int, std::string> special;   // CSIDL -> folder
    std::vector<std::string> writes;      // paths written, in order
    std::function<void()> on_size_query;  // called by file_size_bytes: a test lets time pass

    bool path_exists(const std::string& path) override;
    bool find_first_matches(const std::string& pattern) override;
    std::int64_t file_size_bytes(const std::string& path) override;
    bool file_times(const std::string& path, os::FileTimes& out) override;
    std::string file_version(const std::string& path) override;
    std::string file_description(const std::string& path) override;
    bool is_directory(const std::string& path) override;
    std::string full_path(const std::string& path) override;
    bool set_current_folder(const std::string& folder) override {
        current_folder = folder;
        return true;
    }
    std::string windows_folder() override { return windows; }
    std::string system_folder() override { return system; }
    std::string temp_folder() override { return temp; }
    std::string special_folder(int csidl) override;
    bool write_new_file(const std::string& path, const std::string& bytes) override;
    bool delete_file(const std::string& path) override;
    bool rename_file(const std::string& from, const std::string& to) override;
    // A doubled backslash inside a path names the same file, as the system's path handling has
    // it. Copies fail while fail_writes is on.
    bool copy_file(const std::string& from, const std::string& to, bool fail_if_exists) override;

private:
    static std::string key(const std::string& path);
    bool on_read_only_drive(const std::string& path) const;
    std::map<std::string, Entry> entries_;
    bool fail_writes_ = false;
    std::set<char> read_only_drives_;
};

class FakeProgram : public os::Program {
public:
    std::string folder = "X:\\Program";
    std::string name = "QuennixVelquist.exe";
    std::string line = "QuennixVelquist.exe";
    std::string run_folder() override { return folder; }
    std::string file_name() override { return name; }
    std::string command_line() override { return line; }
};

class ManualClock : public os::Clock {
public:
    std::uint32_t ticks = 1000;
    os::LocalTime local{2026, 12, 10, 9, 30, 0};
    std::uint32_t tick_ms() override { return ticks; }
    os::LocalTime now() override { return local; }
    void sleep_ms(int ms) override { ticks += static_cast<std::uint32_t>(ms); }
};

// Records every box and answers from a queue (OK / the default when the queue is empty).
class RecordedNotices : public os::Notices {
public:
    struct Box {
        std::string text;
        std::string caption;
        int style = 0;
    };
    std::vector<Box> boxes;
    std::deque<int> answers;
    int default_answer = os::kIdOk;
    // Runs while a box is open, before its answer returns: what the program's timers do meanwhile
    // (a real box keeps dispatching them). Boxes it opens take the answers after this box's.
    std::function<void(const Box&)> while_open;
    int message_box(const std::string& text, const std::string& caption, int style) override;

    // The boxes in the forms the tests compare: each box's text alone; "text|style", failing the
    // test for a box not captioned "提示"; "caption|text|style"; "text|caption|style".
    std::vector<std::string> texts() const;
    std::vector<std::string> hint_texts_and_styles() const;
    std::vector<std::string> captions_texts_and_styles() const;
    std::vector<std::string> texts_captions_and_styles() const;
};

// One set of fakes, installed as the program's seam for the life of the object.
struct FakeOs {
    FakeFileSystem files;
    FakeProgram program;
    ManualClock clock;
    RecordedNotices notices;
    FakeProcesses processes;
    FakeCarriedFiles carried;
    FakeShell shell;
    FakeInstanceEvents instance;
    FakeTopWindows windows;
    FakePower power;
    FakeIniFiles ini;
    FakeDrives drives;
    FakeRegistry registry;
    FakeWmi wmi;
    FakeDirectories directories{files};
    FakeCom com;
    FakeTextCodec codec;
    FakeBinaryTypes binary_types;
    FakeConsoles consoles;
    FakeFormatter formatter;
    FakeHandleTable handles;
    FakeDeviceEjector ejector;
    FakeApiModuleHost api_module;
    FakeShellFiles shell_files;
    FakeVolumeNames volume_names;
    FakeDiskDevices disk_devices;
    FakeNetworkShares shares;
    FakeOs();
    ~FakeOs();
    FakeOs(const FakeOs&) = delete;
    FakeOs& operator=(const FakeOs&) = delete;
};

}  // namespace qv::fakes
