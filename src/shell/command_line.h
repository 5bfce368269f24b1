// The command line: its reading (arguments split at blanks, the first eight joined), the finish
// marks "/r" and "/s", the option chosen by the first argument and each option's effect, and
// the configuration file that "/config" reads.
#pragma once

#include <string>
#include <vector>

#include "shell/startup.h"
#include "ui/runtime.h"

namespace qv {

enum class CommandOption {
    Config,
    Load,
    Backup,
    Install,
    Ms,
    Debug,
    Eject,  // "/e": the desktop shortcut, then the end
    Quiet,  // "/q": no start-up scan
    Hdd3,
    Hdd4,
    Hdd5,
    VirtualDrive,  // "/gq"
    System,
    Unknown,
};

// The arguments after the program's own name (quoted or not), split at blanks; quotes do not
// hold an argument together, and runs of blanks make no empty argument.
std::vector<std::string> split_command_arguments(const std::string& command_line);
// The first one to eight arguments joined without separators, or "错误" for nine and more.
std::string join_command_text(const std::vector<std::string>& args);
// The option of the first argument: lower-cased, compared by as many characters as the option
// has, in the order of the table; "/gq" is compared on five, so only "/gq" itself matches.
CommandOption recognise_option(const std::string& first_argument);

// True when the first character of the text is a letter.
bool starts_with_letter(const std::string& text);
// "m:n" of a drive letter: the disk counted from 1 and the partition number of its volume (-1
// for a number the system does not give).
std::string drive_to_disk_partition(const std::string& letter);

// Walks the partition list from the top for the first row whose whole disk:partition cell is
// g_target_disk_partition; sets g_target_row_key and g_target_drive from it, or leaves both as
// they are. A cell that merely contains the target ("11:1", "1:10" for "1:1") is another
// partition and never matches.
void find_target_partition_row(ui::Window& main);
// Selects the first row whose drive cell contains "D:\" (when there is one) and shows the
// selection.
void select_drive_d_row(ui::Window& main);

// The configuration file: run folder + "\" + the program's file name without its extension +
// ".ini".
std::string config_file_path();
// "/config": the image named in the configuration file, loaded into the image combo.
void load_config_image(ui::Window& main);

// Start-up step 15: reads the command line and applies its option. With no argument at all only
// the expected system letter is set. Options that run a mode of their own clear
// `no_option_applied`; some open a window modally here or end the program.
void apply_command_line(StartUpRun& run);

}  // namespace qv
