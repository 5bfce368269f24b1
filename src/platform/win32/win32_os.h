// The Win32 implementations of the seam.
#pragma once

#include <windows.h>

#include <string>

#include "platform/os.h"
#include "platform/os_ini.h"
#include "platform/os_power.h"

namespace qv::win32 {

class Win32FileSystem : public os::FileSystem {
public:
    bool path_exists(const std::string& path) override;
    bool find_first_matches(const std::string& pattern) override;
    std::int64_t file_size_bytes(const std::string& path) override;
    bool file_times(const std::string& path, os::FileTimes& out) override;
    std::string file_version(const std::string& path) override;
    std::string file_description(const std::string& path) override;
    bool is_directory(const std::string& path) override;
    std::string full_path(const std::string& path) override;
    bool set_current_folder(const std::string& folder) override;
    std::string windows_folder() override;
    std::string system_folder() override;
    std::string temp_folder() override;
    std::string special_folder(int csidl) override;
    bool write_new_file(const std::string& path, const std::string& bytes) override;
    bool delete_file(const std::string& path) override;
    bool rename_file(const std::string& from, const std::string& to) override;
    bool copy_file(const std::string& from, const std::string& to, bool fail_if_exists) override;
};

class Win32Program : public os::Program {
public:
    std::string run_folder() override;
    std::string file_name() override;
    std::string command_line() override;
};

class Win32Clock : public os::Clock {
public:
    std::uint32_t tick_ms() override;
    os::LocalTime now() override;
    void sleep_ms(int ms) override;
};

// Message boxes. In a build with test hooks, when QV_NOTICE_LOG names a file, every box and
// balloon is appended to it (UTF-8, one line each) and boxes are answered from QV_NOTICE_ANSWERS
// ("yes,no,ok", taken in order; afterwards OK boxes get OK and questions get No) without being
// shown.
class Win32Notices : public os::Notices {
public:
    int message_box(const std::string& text, const std::string& caption, int style) override;
};

// Restart and shutdown. In a build with test hooks, when QV_POWER_LOG names a file, a session end
// appends "restart" or "shutdown" (one line) to that file instead of ending the session, and the
// privilege is left alone: tests and demos under Wine use this, since a real session end there
// takes every process of the prefix down with it.
class Win32Power : public os::Power {
public:
    void enable_shutdown_privilege() override;
    bool exit_windows(unsigned flags, unsigned reason) override;
};

// INI values through the system's profile reader.
class Win32IniFiles : public os::IniFiles {
public:
    std::string read_value(const std::string& path, const std::string& section,
                           const std::string& key) override;
};

// This process's first visible top-level window, or null: the owner of message boxes.
HWND first_visible_window_of_process();

// True when notices go to the test log instead of the screen.
bool notices_scripted();
// Appends one line to the notice log: kind, then the fields separated by tabs.
void log_notice(const std::string& kind, const std::string& a, const std::string& b,
                const std::string& c);

// The drive, registry, WMI and folder-listing parts of the set (win32_drives.cpp and the like).
os::Drives* win32_drives();
os::Registry* win32_registry();
os::Wmi* win32_wmi();
os::DirectoryLister* win32_directories();
// fmifs FormatEx and the shell's format dialog (win32_format.cpp).
os::VolumeFormatter* win32_formatter();
// The debugger-gated module's host (win32_api_module.cpp).
os::ApiModuleHost* win32_api_module_host();
// DOS device names, volume names and mount points (win32_volume_names.cpp); storage devices
// opened by name (win32_disk_devices.cpp).
os::VolumeNames* win32_volume_names();
os::DiskDevices* win32_disk_devices();
// The handle table and the device eject of the safe removal (win32_removal.cpp).
os::HandleTable* win32_handle_table();
os::DeviceEjector* win32_device_ejector();
// The local machine's network shares through netapi32 (win32_shares.cpp).
os::NetworkShares* win32_network_shares();

// Installs the Win32 set (every interface of os::Os but the window runtime, which is installed by
// its own code) as the program's seam.
void install_win32_os();

}  // namespace qv::win32
