// Plain facts about drives: the roots of each kind, the disk and partition behind a letter, type
// names, file systems, the active flag from the file-system utility's partition report, the short
// name of an installed Windows and the firmware type. Each call asks the system afresh; only the
// partition report (g_omnifs_output) is kept between calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// Selectors of list_drives.
enum : int {
    kAllDrives = 0,  // fixed, then optical, then removable, then the rest
    kFixedDrives = 1,
    kOpticalDrives = 2,
    kRemovableDrives = 3,
    kOtherDrives = 4,  // any other value: every type but removable, fixed and optical
};

// Splits the zero-separated drive strings into roots; a final zero makes no empty root.
std::vector<std::string> split_drive_strings(const std::string& buffer);
// Orders the roots (given in the system's order) for a selector, by their type numbers.
std::vector<std::string> select_drives(const std::vector<std::string>& roots,
                                       const std::vector<int>& types, int selector);
// Replaces `roots` with the drive roots of the selected kind; returns their count.
int list_drives(std::vector<std::string>& roots, int selector);
std::vector<std::string> list_drives(int selector);

// Disk number counted from 1 and the platform's partition number; -1 when the volume cannot be
// opened or does not answer. Only the first character of the drive text counts.
int disk_number_of(const std::string& drive);
int partition_number_of(const std::string& drive);
// "m:n" as every part of the program writes and compares it.
std::string disk_partition_text(int disk, int partition);

// The drive's "m:n" as the system numbers it now ("-1:-1" for a drive that is gone), from the same
// two numbers and the same text as the partition list's cells: the "/DEVICE=" letter and the
// Ghost jobs' last look before Ghost starts compare it with what the list showed.
std::string disk_partition_of(const std::string& drive);

std::string drive_type_name_of(int type);
std::string drive_type_name(const std::string& drive);
std::string volume_file_system(const std::string& drive);

// The command line of the partition report: the system folder + "omnifs32.exe info".
std::string partition_info_command();
// Writes the utility when it is missing, runs it and keeps its output in g_omnifs_output.
void load_partition_info();
// Whether a report marks the drive active: its letter upper-cased (an empty drive text is C)
// followed by ":\] Active", found case-sensitively.
bool report_marks_active(const std::string& report, const std::string& drive);
bool is_active_partition(const std::string& drive);

// The short name for a FileVersion text of CMD.EXE (its first four characters), or empty.
std::string windows_short_name_for_version(const std::string& file_version);
// The short name of the Windows installed on the drive root, or empty.
std::string windows_short_name(const std::string& root);

// The first of Z, Y, W, A and B that names no drive, or empty when all five exist.
std::string free_mount_letter();
extern const char* const kNoMountLetterMessage;

// 0 unknown or not askable, 1 BIOS, 2 UEFI.
int firmware_kind(bool asked, std::uint32_t value);
int get_firmware_type();

}  // namespace qv
