// The tool files the program carries inside itself and writes to the running system where they
// are missing. A carried file never replaces anything: it is written only when its target is
// absent, under a temporary name first, so a half-written tool is never left under the real name
// (the write-when-missing rule would keep it forever).
#pragma once

#include <string>
#include <vector>

namespace qv {

// The names under which the build embeds the carried files. The build reads the lines of the
// form `kCarried... = "NAME";` below to know which files to embed; keep them on one line each.
inline constexpr const char kCarriedGhostArchive[] = "ZrNorvex32.exe";
inline constexpr const char kCarriedBooticeArchive[] = "BOOTICEV2.exe";
inline constexpr const char kCarriedBcdboot[] = "bcdboot.exe";
inline constexpr const char kCarriedImagex[] = "Imagex.exe";
inline constexpr const char kCarriedVirtualDrive[] = "Iso.exe";
inline constexpr const char kCarriedLayoutImage[] = "HD3.GHO";
inline constexpr const char kCarriedGhostUtility[] = "omnifs32.exe";
inline constexpr const char kCarriedBootRepair[] = "Boot.exe";

// One file that start-up writes: the carried block, where it goes, which file's presence makes
// the write unnecessary, and the process to wait for when the written file is an archive that is
// run.
struct CarriedToolFile {
    std::string payload;
    std::string path;
    std::string present_when;
    std::string run_and_wait_for;  // empty: the file is only written
};

// Start-up's files in their order, from the current Windows and system folders, the Ghost path
// and the imaging tool's name.
std::vector<CarriedToolFile> startup_carried_files();

// Writes one carried block to `path` when no file is there: a temporary file beside it, then
// renamed. False when the build carries no such block, the target exists, or the write fails
// (nothing is left behind then).
bool write_carried_file(const std::string& payload, const std::string& path);

// The command line that runs a written archive.
std::string carried_archive_command_line(const std::string& path);

// Start-up's writer: each file of `startup_carried_files` whose `present_when` is missing is
// written; the archives are then run hidden and waited for until they end. A failure is not
// reported here; the job that needs the tool reports its absence.
void install_carried_tools();

}  // namespace qv
