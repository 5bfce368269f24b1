// The seam between the portable program and the operating system.
//
// Everything the program asks of the system goes through one of these narrow interfaces. The
// Win32 implementations live in src/platform/win32/, the in-memory ones in tests/fakes/. Texts are
// code-page-936 bytes on both sides; the Win32 layer converts at its own boundary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::ui {
class Runtime;
}

namespace qv::os {

class Processes;
class CarriedFiles;
class Shell;
class InstanceEvents;
class TopWindows;
class Power;
class IniFiles;
class Drives;           // os_drives.h
class Registry;         // os_registry.h
class Wmi;              // os_wmi.h
class DirectoryLister;  // os_directories.h
class Com;
class TextCodec;
class BinaryTypes;
class Consoles;
class VolumeFormatter;  // os_format.h
class HandleTable;      // os_removal.h
class DeviceEjector;    // os_removal.h
class ApiModuleHost;    // os_api_module.h
class ShellFiles;       // os_shell_files.h
class VolumeNames;      // os_volume_names.h
class DiskDevices;      // os_disk_devices.h
class NetworkShares;    // os_shares.h

// A local date and time, as the system's calendar gives it.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct FileTimes {
    LocalTime created;
    LocalTime written;
    LocalTime accessed;
};

// Files, folders and the fixed places of the running system.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The shell's path-exists test: files and folders.
    virtual bool path_exists(const std::string& path) = 0;
    // True when a file search for the pattern finds an entry ("D:\nul" probes a drive).
    virtual bool find_first_matches(const std::string& pattern) = 0;
    // The whole size in bytes, or -1 when the file cannot be read.
    virtual std::int64_t file_size_bytes(const std::string& path) = 0;
    // The three times in local time; false when the file cannot be opened for reading.
    virtual bool file_times(const std::string& path, FileTimes& out) = 0;
    // The "FileVersion" text of the version resource, or empty.
    virtual std::string file_version(const std::string& path) = 0;
    // The "FileDescription" text of the version resource, or empty.
    virtual std::string file_description(const std::string& path) = 0;
    // True for an existing folder.
    virtual bool is_directory(const std::string& path) = 0;
    // The fully qualified form of a path, relative names taken from the current folder.
    virtual std::string full_path(const std::string& path) = 0;
    // Makes the folder the current folder of the process; false when it cannot be.
    virtual bool set_current_folder(const std::string& folder) = 0;
    // The folders as the system reports them (no trailing backslash is promised).
    virtual std::string windows_folder() = 0;
    virtual std::string system_folder() = 0;
    virtual std::string temp_folder() = 0;
    // A shell special folder by its CSIDL number, or empty when it cannot be resolved.
    virtual std::string special_folder(int csidl) = 0;
    // Creates a new file with these bytes; fails when the file exists or a write falls short,
    // and then leaves no file behind.
    virtual bool write_new_file(const std::string& path, const std::string& bytes) = 0;
    virtual bool delete_file(const std::string& path) = 0;
    // Renames a file; fails when the target exists.
    virtual bool rename_file(const std::string& from, const std::string& to) = 0;
    // Copies a file with its attributes; with `fail_if_exists` an existing target is kept and the
    // copy fails, otherwise the target is overwritten.
    virtual bool copy_file(const std::string& from, const std::string& to, bool fail_if_exists) = 0;
};

// The running program itself.
class Program {
public:
    virtual ~Program() = default;
    // The folder of the program file, without a trailing backslash.
    virtual std::string run_folder() = 0;
    // The program's file name with its extension ("QuennixVelquist.exe").
    virtual std::string file_name() = 0;
    // The raw command line as the system hands it over, program name included.
    virtual std::string command_line() = 0;
};

// Time: a millisecond tick (wraps like the system's), the local clock, and plain sleeping.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t tick_ms() = 0;
    virtual LocalTime now() = 0;
    virtual void sleep_ms(int ms) = 0;
};

// Message boxes. A style is one set of buttons or'ed with one icon; styles and results carry the
// platform's own numbers.
class Notices {
public:
    virtual ~Notices() = default;
    virtual int message_box(const std::string& text, const std::string& caption, int style) = 0;
};

enum : int {
    kBoxOk = 0x00,
    kBoxYesNo = 0x04,
    kIconError = 0x10,
    kIconQuestion = 0x20,
    kIconWarning = 0x30,
    kIconInfo = 0x40,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// The set of interfaces that the program runs on.
struct Os {
    FileSystem* files = nullptr;
    Program* program = nullptr;
    Clock* clock = nullptr;
    Notices* notices = nullptr;
    ui::Runtime* ui = nullptr;
    Processes* processes = nullptr;      // os_process.h
    CarriedFiles* carried = nullptr;     // os_carried.h
    Shell* shell = nullptr;              // os_shell.h
    InstanceEvents* instance = nullptr;  // os_instance.h
    TopWindows* windows = nullptr;       // os_instance.h
    Power* power = nullptr;              // os_power.h
    IniFiles* ini = nullptr;             // os_ini.h
    Drives* drives = nullptr;
    Registry* registry = nullptr;
    Wmi* wmi = nullptr;
    DirectoryLister* directories = nullptr;
    Com* com = nullptr;                    // os_com.h
    TextCodec* codec = nullptr;            // os_com.h
    BinaryTypes* binary_types = nullptr;   // os_com.h
    Consoles* consoles = nullptr;          // os_console.h
    VolumeFormatter* formatter = nullptr;  // os_format.h
    HandleTable* handles = nullptr;        // os_removal.h
    DeviceEjector* ejector = nullptr;      // os_removal.h
    ApiModuleHost* api_module = nullptr;   // os_api_module.h
    ShellFiles* shell_files = nullptr;     // os_shell_files.h
    VolumeNames* volume_names = nullptr;   // os_volume_names.h
    DiskDevices* disk_devices = nullptr;   // os_disk_devices.h
    NetworkShares* shares = nullptr;       // os_shares.h
};

// The one program-wide accessor: main installs the Win32 set, tests install fakes.
Os& os();
void install(const Os& set);

}  // namespace qv::os
