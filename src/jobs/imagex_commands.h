// The imaging tool's command lines: the edition list of an image and the apply of one edition.
#pragma once

#include <string>

namespace qv {

// The tool's name, " /INFO " and the image path; the path is quoted only when the interpreter
// would otherwise split it or act on it (the runner prefixes "cmd.exe /c "), and then so that it
// reaches the tool exactly, "%" included.
std::string imagex_info_command(const std::string& imagex_exe_name, const std::string& image_path);

// The image of a Windows disc in the optical drive: the drive root (the first three characters
// of the drive combo's text) followed by "sources\install.wim".
std::string install_disc_image_path(const std::string& optical_drive_text);

// The files of a split set named by its first part: "E:\set\win.swm" gives "E:\set\win*.swm".
std::string split_set_pattern(const std::string& swm_path);

// The tool's name, " /apply ", the quoted image path, the image number and the target's drive
// root; with the split-set option ("/ref") the option and the quoted pattern of the set follow.
// The line is typed into the console: the quoting carries "%" through it unexpanded.
std::string imagex_apply_command(const std::string& imagex_exe_name, const std::string& image_path,
                                 int image_index, const std::string& target_root,
                                 const std::string& ref_option);

}  // namespace qv
