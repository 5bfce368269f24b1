// Boot records and boot files after a successful apply: BOOTICE writes the master and partition
// boot records of the boot device and marks it active; for Windows Vista and later BCDBOOT, typed
// into the console, creates the boot files. The boot device is the first partition of the
// target's disk ("自动 Auto"), found when the restore window opens, or the target itself
// ("跳过 None").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::ui {
class Window;
}

namespace qv {

// The drive root of partition 1 on the target's disk; empty when the last search found none.
extern std::string g_main_boot_disk;

extern const char kBootBalloonText[];  // the balloon before the step
extern const char kBootStatusText[];   // the status label while it runs
extern const char kBootDiskMissingText[];
extern const char kBootFilesFailedText[];

enum class LoaderKind { Nt5, Nt6 };
// The boot-mode combo's items, by index.
enum class BootMode { Auto = 0, None = 1 };
enum class BootRecordStep { Mbr, Pbr, Activate };

// The Windows folder (ending in "\"), "BOOTICE.EXE /DEVICE=", the device root and the step's
// switches for the loader kind. The tool's path is quoted when the system would split it.
std::string bootice_boot_command(const std::string& windows_folder, const std::string& device_root,
                                 LoaderKind kind, BootRecordStep step);
// The three steps in the order they run: boot record, partition boot record, activation.
std::vector<std::string> bootice_boot_commands(const std::string& windows_folder,
                                               const std::string& device_root, LoaderKind kind);
// "BCDBOOT.EXE ", the target's Windows folder, the language and the device root after "/S".
std::string bcdboot_command(const std::string& target_root, const std::string& device_root);

// A target whose CMD.EXE version begins with "5" gets the NT5 loaders unless the boot partition of
// its disk already holds Boot\BCD; every other version, an unreadable one included, gets NT6.
LoaderKind choose_loader_kind(const std::string& cmd_version, bool boot_disk_holds_bcd);

// The device whose records are written: the boot partition in Auto mode (empty when none was
// found), the target itself otherwise.
std::string boot_device_root(BootMode mode, const std::string& main_boot_disk,
                             const std::string& target_root);

// One partition-list row as the search reads it.
struct BootPartitionRow {
    std::string root;
    std::string disk_partition;
};
// The root of the first row that is partition 1 of the disk: the cell must be exactly that disk
// and partition ("1:1" is neither "1:10" nor "11:1"). Empty when no row is, or the disk is unknown.
std::string boot_partition_root(const std::vector<BootPartitionRow>& rows, int disk);

// Sets g_main_boot_disk from the main window's partition list and the target root. The value of
// an earlier search never survives: a target on a disk without a listed partition 1 leaves it
// empty, so that no boot record is written to another disk.
void find_boot_partition(const std::string& target_root);

// Waits, processing window messages, until no process of that executable name (case ignored) is
// left; each process found is waited for at most limit_seconds (0: without a limit).
void wait_until_no_process(const std::string& name, int limit_seconds);

// A failed step: a balloon, the same text in the window's status label and an error box.
void report_step_failure(ui::Window& window, const std::string& status_role,
                         const std::string& text);

// The whole step for a target root: chooses the loader kind and runs its records (each BOOTICE
// run waited for before the next one starts) and, for NT6, BCDBOOT in the console, whose output is
// directed into console_box_role. BCDBOOT's success is read from its own output only. Failures
// are reported; the caller goes on whatever happened.
void add_boot_files(ui::Window& window, BootMode mode, const std::string& target_root,
                    const std::string& status_role, const std::string& console_box_role);
void add_boot_files_nt6(ui::Window& window, BootMode mode, const std::string& device_root,
                        const std::string& target_root, const std::string& status_role,
                        const std::string& console_box_role);
void add_boot_files_nt5(ui::Window& window, BootMode mode, const std::string& device_root,
                        const std::string& status_role);

}  // namespace qv
