#include "shell/command_line.h"

#include "base/helpers.h"
#include "base/power.h"
#include "base/state.h"
#include "disks/drive_facts.h"
#include "disks/partition_list.h"
#include "images/image_list.h"
#include "images/image_scan.h"
#include "jobs/ghost_restore.h"
#include "jobs/virtual_drive.h"
#include "jobs/whole_disk_layouts.h"
#include "main_window/info_windows.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "platform/os_ini.h"
#include "shell/main_window_handlers.h"
#include "shell/shortcut.h"

namespace qv {
namespace {

constexpr const char* kTooManyPieces = "错误";
constexpr std::size_t kMaxJoinedArguments = 8;

struct OptionName {
    const char* text;
    int compared;  // characters of the first argument compared with the text
    CommandOption option;
};

// In the order of recognition: the first that matches wins.
constexpr OptionName kOptions[] = {
    {"/config", 7, CommandOption::Config},  {"/load=", 6, CommandOption::Load},
    {"/backup=", 8, CommandOption::Backup}, {"/install=", 9, CommandOption::Install},
    {"/ms", 3, CommandOption::Ms},          {"/debug", 6, CommandOption::Debug},
    {"/e", 2, CommandOption::Eject},        {"/q", 2, CommandOption::Quiet},
    {"/hdd3", 5, CommandOption::Hdd3},      {"/hdd4", 5, CommandOption::Hdd4},
    {"/hdd5", 5, CommandOption::Hdd5},      {"/gq", 5, CommandOption::VirtualDrive},
    {"/system", 7, CommandOption::System},
};

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string leading_characters(const std::string& text, int count) {
    std::size_t end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken) end = next_char(text, end);
    return text.substr(0, end);
}

// The byte cut of an option's value; the text "错误" is shorter than every option, so it gives
// the empty value.
std::string without_first(const std::string& text, std::size_t count) {
    return text.size() <= count ? std::string() : text.substr(count);
}

bool quitting() {
    const ui::Runtime* runtime = os::os().ui;
    return runtime != nullptr && runtime->quitting();
}

bool has_extension(const std::string& path, std::initializer_list<const char*> extensions) {
    std::string ext = upper_ascii(path_extension(path));
    for (const char* e : extensions)
        if (ext == e) return true;
    return false;
}

void add_and_select(ui::Window& main, const char* combo, const std::string& path) {
    main.add_item(combo, path);
    main.select(combo, 0);
}

// Images under 100 MB (and missing files) do not stay in the image combo.
void remove_small_images(ui::Window& main) {
    for (int i = main.item_count("image_combo") - 1; i >= 0; --i)
        if (is_small_image(main.item_text("image_combo", i))) main.remove_item("image_combo", i);
}

void show_image_details(ui::Window& main, const std::string& path) {
    ui::show_image_details(main, image_details(path));
}

// "/ms", "/system" and unknown options: the reason, then the parameter help, whose closing ends
// the program.
void show_parameter_help_then_end(ui::Window& main, const std::string& message, int style) {
    ui::show_notice(message, style);
    g_end_after_help = true;
    main.tray_remove();
    ui::open_parameter_help_window();
    if (!quitting()) end_program(0);
}

void apply_load(StartUpRun& run) {
    ui::Window& main = run.main;
    run.no_option_applied = false;
    g_scan_images_at_start = false;
    g_expected_system_letter = "X";
    if (g_command_text == kTooManyPieces) {
        ui::show_notice("调用参数 /load 时出现错误！\r\n错误原因：命令行不可有很多的空格！",
                        os::kIconWarning);
        return;
    }
    std::string path = without_first(g_command_text, 6);
    if (path.empty()) {
        ui::show_notice("参数 /Load 不可为空！", os::kIconError);
        return;
    }
    if (!has_extension(path, {".GHO", ".WIM"})) {
        ui::show_notice("本工具仅支持加载*.WIM、*.Gho格式！", os::kIconWarning);
        return;
    }
    if (find_text(path, ":\\") != -1) {
        add_and_select(main, "image_combo", full_path(path));
    } else {
        g_drive_roots = list_drives(kAllDrives);
        for (const std::string& root : g_drive_roots)
            if (file_exists(root + path))
                add_and_select(main, "image_combo", full_path(root + path));
    }
    remove_small_images(main);
    // An entry that is left counts even when the one shown was the small one removed.
    if (main.item_count("image_combo") == 0) {
        ui::show_notice("未找到 " + path, os::kIconWarning);
        g_scan_images_at_start = true;
    } else {
        main.select("image_combo", 0);
    }
}

void apply_backup(StartUpRun& run) {
    ui::Window& main = run.main;
    g_expected_system_letter = "X";
    run.no_option_applied = false;
    g_scan_images_at_start = false;
    main.set_checked("restore_radio", false);
    main.set_checked("backup_radio", true);
    ui::show_backup_panel(main);
    std::string path = without_first(g_command_text, 8);
    if (has_extension(path, {".GHO", ".WIM"}))
        add_and_select(main, "backup_path_combo", full_path(path));
    else
        ui::show_notice("本工具仅支持备份*.Gho、*.WIM格式映像文件！", os::kIconWarning);
}

// The checks that guard the unattended restore, in their order; the first that fails names
// itself and the restore does not start.
bool install_checks_pass(const std::string& image) {
    if (g_command_text == kTooManyPieces) {
        ui::show_notice("调用参数 /install 时出现错误！\r\n错误原因：命令行不可有很多的空格！",
                        os::kIconWarning);
        return false;
    }
    if (g_install_image_path.empty()) {
        ui::show_notice("未找到 " + image + " ！", os::kIconWarning);
        g_scan_images_at_start = true;
        return false;
    }
    if (g_target_disk_partition.empty()) {
        ui::show_notice("调用参数 /DEVICE 时需指定要安装分区！", os::kIconWarning);
        return false;
    }
    if (g_target_row_key.empty()) {
        ui::show_notice("参数 /DEVICE 指定要安装分区 " + g_target_disk_partition + " 不存在！",
                        os::kIconWarning);
        return false;
    }
    if (!has_extension(image, {".GHO"})) {
        ui::show_notice("本工具仅支持还原*.Gho格式映像文件！", os::kIconWarning);
        return false;
    }
    return true;
}

void apply_install(StartUpRun& run) {
    run.no_option_applied = false;
    g_scan_images_at_start = false;
    g_expected_system_letter = "X";
    const std::string& text = g_command_text;
    if (find_text(text, "/DEVICE=") == -1) {
        ui::show_notice("调用参数 /install 时需参数 /DEVICE 指定要安装的分区！", os::kIconWarning);
        return;
    }
    std::string image = text_between(text, "/install=", "/DEVICE=");
    // Everything after "/DEVICE=" when the text begins with "/install=" (17: the two markers).
    long tail = static_cast<long>(text.size()) - static_cast<long>(image.size()) - 17;
    g_install_device_arg =
        tail > 0 ? text.substr(text.size() - static_cast<std::size_t>(tail)) : "";
    if (image.empty()) {
        ui::show_notice("调用参数 /install 时需指定要安装的*.GHO文件！", os::kIconWarning);
        return;
    }
    g_drive_roots = list_drives(kAllDrives);
    if (find_text(image, ":\\") != -1) {
        g_install_image_path = file_exists(image) ? image : std::string();
    } else {
        // The last drive that holds the image wins.
        for (const std::string& root : g_drive_roots)
            if (file_exists(root + image)) g_install_image_path = full_path(root + image);
    }
    if (starts_with_letter(g_install_device_arg))
        g_target_disk_partition = drive_to_disk_partition(g_install_device_arg.substr(0, 1));
    else
        g_target_disk_partition = replace_all(g_install_device_arg, "：", ":");
    find_target_partition_row(run.main);
    if (!install_checks_pass(image)) return;
    g_automatic_mode = true;
    open_ghost_restore_window_modal();
}

void apply_whole_disk_layout(StartUpRun& run, void (*restore)()) {
    run.no_option_applied = false;
    g_scan_images_at_start = false;
    g_automatic_mode = true;
    run.main.hide();
    g_expected_system_letter = "X";
    restore();
}

void apply_virtual_drive(StartUpRun& run) {
    run.no_option_applied = false;
    g_scan_images_at_start = false;
    g_automatic_mode = true;
    run.main.hide();
    g_expected_system_letter = windows_folder_letter();
    open_virtual_drive_window();
}

void apply_option(StartUpRun& run, CommandOption option) {
    ui::Window& main = run.main;
    switch (option) {
        case CommandOption::Config:
            run.no_option_applied = false;
            g_scan_images_at_start = false;
            load_config_image(main);
            g_expected_system_letter = "X";
            break;
        case CommandOption::Load:
            apply_load(run);
            break;
        case CommandOption::Backup:
            apply_backup(run);
            break;
        case CommandOption::Install:
            apply_install(run);
            break;
        case CommandOption::Ms:
            show_parameter_help_then_end(main, "参数 /ms 已更改为 /system，详见调用参数说明！",
                                         os::kIconWarning);
            break;
        case CommandOption::Debug:
            run.no_option_applied = false;
            select_drive_d_row(main);
            g_scan_images_at_start = true;
            g_expected_system_letter = windows_folder_letter();
            break;
        case CommandOption::Eject:
            create_program_shortcut();
            end_program(0);
            break;
        case CommandOption::Quiet:
            run.no_option_applied = false;
            g_scan_images_at_start = false;
            g_expected_system_letter = "X";
            break;
        case CommandOption::Hdd3:
            apply_whole_disk_layout(run, quick_restore_hd3);
            break;
        case CommandOption::Hdd4:
            apply_whole_disk_layout(run, quick_restore_hd4);
            break;
        case CommandOption::Hdd5:
            apply_whole_disk_layout(run, quick_restore_hd5);
            break;
        case CommandOption::VirtualDrive:
            apply_virtual_drive(run);
            break;
        case CommandOption::System:
            show_parameter_help_then_end(main, "对不起，本版本已取消本参数！", os::kIconError);
            break;
        case CommandOption::Unknown:
            show_parameter_help_then_end(main, "错误的参数，详见调用参数说明！", os::kIconError);
            break;
    }
}

}  // namespace

std::vector<std::string> split_command_arguments(const std::string& command_line) {
    std::size_t i = 0;
    while (i < command_line.size() && is_blank(command_line[i])) ++i;
    if (i < command_line.size() && command_line[i] == '"') {
        std::size_t close = command_line.find('"', i + 1);
        i = close == std::string::npos ? command_line.size() : close + 1;
    } else {
        while (i < command_line.size() && !is_blank(command_line[i])) ++i;
    }
    // Blanks are never the second byte of a double-byte character, so bytes can be split here.
    std::vector<std::string> args;
    std::string piece;
    for (; i <= command_line.size(); ++i) {
        if (i == command_line.size() || is_blank(command_line[i])) {
            if (!piece.empty()) args.push_back(piece);
            piece.clear();
        } else {
            piece += command_line[i];
        }
    }
    return args;
}

std::string join_command_text(const std::vector<std::string>& args) {
    if (args.size() > kMaxJoinedArguments) return kTooManyPieces;
    std::string text;
    for (const std::string& arg : args) text += arg;
    return text;
}

CommandOption recognise_option(const std::string& first_argument) {
    std::string arg = lower_ascii(first_argument);
    for (const OptionName& name : kOptions)
        if (leading_characters(arg, name.compared) == name.text) return name.option;
    return CommandOption::Unknown;
}

bool starts_with_letter(const std::string& text) {
    if (text.empty()) return false;
    char c = text[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string drive_to_disk_partition(const std::string& letter) {
    return disk_partition_of(letter);
}

void find_target_partition_row(ui::Window& main) {
    if (g_target_disk_partition.empty()) return;
    for (int row = 0; row < main.row_count("partition_list"); ++row) {
        std::string cell = main.cell("partition_list", row, 1);
        if (equals_ignore_case(cell, g_target_disk_partition)) {
            g_target_row_key = cell;
            g_target_drive = main.cell("partition_list", row, 0);
            return;
        }
    }
}

void select_drive_d_row(ui::Window& main) {
    for (int row = 0; row < main.row_count("partition_list"); ++row) {
        if (find_text(main.cell("partition_list", row, 0), "D:\\") != -1) {
            main.select_row("partition_list", row);
            break;
        }
    }
    show_selected_partition(main);
}

std::string config_file_path() {
    os::Program& program = *os::os().program;
    return program.run_folder() + "\\" + get_file_title(program.file_name()) + ".ini";
}

void load_config_image(ui::Window& main) {
    std::string ini = config_file_path();
    if (!file_exists(ini)) {
        ui::show_notice(
            "配置文件 " + get_file_title(os::os().program->file_name()) + ".ini 不存在！",
            os::kIconError);
        end_program(0);
        return;
    }
    std::string path = os::os().ini->read_value(ini, "Config", "Path");
    if (path.empty()) {
        ui::show_notice("未指定需加载的文件！", os::kIconError);
        return;
    }
    if (!has_extension(path, {".GHO", ".WIM"})) {
        ui::show_notice("本参数仅支持加载*.WIM、*.GHO映像文件！", os::kIconError);
        end_program(0);
        return;
    }
    std::string root = with_trailing_backslash(drive_root_of_path(os::os().program->run_folder()));
    std::string image = full_path(root + "MarluneOS\\" + path);
    if (!file_exists(image)) {
        ui::show_notice("未找到 " + image + " ！", os::kIconWarning);
        g_scan_images_at_start = true;
        return;
    }
    add_and_select(main, "image_combo", image);
    show_image_details(main, image);
}

void apply_command_line(StartUpRun& run) {
    g_command_args = split_command_arguments(os::os().program->command_line());
    if (g_command_args.empty()) {
        g_expected_system_letter = "X";
        return;
    }
    g_command_text = join_command_text(g_command_args);
    // Sought before anything else and case-exactly: "/system" ticks the shutdown box too.
    if (find_text(g_command_text, "/r") != -1)
        run.main.set_checked("restart_after_job_check", true);
    else if (find_text(g_command_text, "/s") != -1)
        run.main.set_checked("shutdown_after_job_check", true);
    if (g_no_partitions) {
        ui::show_notice("未检测到磁盘分区，参数无法调用！", os::kIconWarning);
        g_expected_system_letter = "X";
        return;
    }
    apply_option(run, recognise_option(g_command_args.front()));
}

}  // namespace qv
