#include "jobs/imagex_commands.h"

#include "base/cmd_quoting.h"
#include "base/helpers.h"

namespace qv {

std::string imagex_info_command(const std::string& imagex_exe_name, const std::string& image_path) {
    return imagex_exe_name + " /INFO " + cmd_path_argument(image_path);
}

std::string install_disc_image_path(const std::string& optical_drive_text) {
    return optical_drive_text.substr(0, 3) + "sources\\install.wim";
}

std::string split_set_pattern(const std::string& swm_path) {
    std::string extension = path_extension(swm_path);
    return swm_path.substr(0, swm_path.size() - extension.size()) + "*" + extension;
}

std::string imagex_apply_command(const std::string& imagex_exe_name, const std::string& image_path,
                                 int image_index, const std::string& target_root,
                                 const std::string& ref_option) {
    std::string line = imagex_exe_name + " /apply " + cmd_argument(image_path) + " " +
                       std::to_string(image_index) + " " + target_root;
    if (!ref_option.empty())
        line += " " + ref_option + " " + cmd_argument(split_set_pattern(image_path));
    return line;
}

}  // namespace qv
