#include "base/carried_tools.h"

#include "base/helpers.h"
#include "base/state.h"
#include "base/tool_runner.h"
#include "platform/os.h"
#include "platform/os_carried.h"

namespace qv {

std::vector<CarriedToolFile> startup_carried_files() {
    const std::string win = windows_dir();
    const std::string sys = system_dir();
    const std::string ghost_archive = "Zr" + get_file_title(g_ghost_exe_path, true);
    std::vector<CarriedToolFile> files = {
        {kCarriedGhostArchive, win + ghost_archive, g_ghost_exe_path, ghost_archive},
        {kCarriedBooticeArchive, win + "BOOTICEV2.exe", win + "BOOTICE.exe", "BOOTICEV2.exe"},
        {kCarriedBcdboot, sys + "bcdboot.exe", sys + "bcdboot.exe", ""},
        {kCarriedImagex, sys + g_imagex_exe_name, sys + g_imagex_exe_name, ""},
        {kCarriedVirtualDrive, sys + "Iso.exe", sys + "Iso.exe", ""},
    };
    // One and the same block serves the three whole-disk layouts.
    for (const char* layout : {"HD3.GHO", "HD4.GHO", "HD5.GHO"})
        files.push_back({kCarriedLayoutImage, sys + layout, sys + layout, ""});
    return files;
}

bool write_carried_file(const std::string& payload, const std::string& path) {
    os::FileSystem& fs = *os::os().files;
    std::string bytes;
    if (!os::os().carried->carried_bytes(payload, bytes)) return false;
    if (fs.path_exists(path)) return false;
    const std::string partial = path + ".part";
    // A partial file left by an interrupted earlier start is not trusted.
    fs.delete_file(partial);
    if (!fs.write_new_file(partial, bytes)) {
        fs.delete_file(partial);
        return false;
    }
    if (!fs.rename_file(partial, path)) {
        fs.delete_file(partial);
        return false;
    }
    return true;
}

std::string carried_archive_command_line(const std::string& path) {
    // A Windows folder with a blank would otherwise be split into program and arguments.
    if (path.find(' ') != std::string::npos) return "\"" + path + "\"";
    return path;
}

void install_carried_tools() {
    for (const CarriedToolFile& file : startup_carried_files()) {
        if (file_exists(file.present_when)) continue;
        write_carried_file(file.payload, file.path);
        if (file.run_and_wait_for.empty()) continue;
        // An archive that did not start leaves no process, so the wait returns at once.
        run_program(carried_archive_command_line(file.path), false, os::kShowHidden);
        wait_process_end(file.run_and_wait_for);
    }
}

}  // namespace qv
