#include "jobs/start_checks.h"

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/state.h"
#include "disks/drive_facts.h"
#include "disks/partition_list.h"
#include "jobs/virtual_drive.h"
#include "main_window/main_window.h"
#include "platform/os.h"

namespace qv {
namespace {

constexpr const char* kHardDisk = "硬盘驱动器";
constexpr const char* kProbeName = ":\\Marlune.Tmp";
// Nothing reads the probe's content; it only has to be written whole.
constexpr const char* kProbeContent = "Marlune write probe\r\n";
constexpr const char* kSetupLoaderDescription = "STUB LOADER FOR WINNT32 SETUP PROGRAM";

bool is_setup_kind(RestoreKind kind) {
    return kind == RestoreKind::I386Folder || kind == RestoreKind::Winnt32;
}

char upper_letter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool unattended(const StartRun& r) {
    return r.road == CheckRoad::Unattended;
}

std::string in_caption(const StartRun& r, const char* tail) {
    return (unattended(r) ? "指定还原的分区 " : "选择的分区 ") + r.in.caption + tail;
}

// The setup program a setup kind names: the folder's winnt32.EXE or the chosen file itself.
std::string setup_program_of(const StartRun& r) {
    return r.kind == RestoreKind::I386Folder ? r.in.image + "\\winnt32.EXE" : r.in.image;
}

// ---- image checks (restore mode) -------------------------------------------------------------

bool image_given(StartRun& r) {
    return !r.in.image.empty();
}
std::string image_missing_text(const StartRun&) {
    return "请选择Gho、ISO、SWM、WIM映像文件！";
}

bool image_exists(StartRun& r) {
    return file_exists(r.in.image);
}
std::string image_not_found_text(const StartRun& r) {
    return unattended(r) ? "未找到 " + r.in.image + " ！" : r.in.image + " 不存在！";
}

bool image_kind_known(StartRun& r) {
    r.kind = restore_kind_of(r.in.image);
    return r.kind != RestoreKind::Unsupported;
}
std::string kind_unknown_text(const StartRun&) {
    return "本工具支持Gho、ISO、SWM、WIM快速装机，请选择正确的文件！";
}

const Check<StartRun> kImageGiven{image_given, image_missing_text, kStopWarning};
const Check<StartRun> kImageExists{image_exists, image_not_found_text, kStopError};
const Check<StartRun> kImageKindKnown{image_kind_known, kind_unknown_text, kStopWarning};

// ---- target checks shared by the modes --------------------------------------------------------

bool row_selected(StartRun& r) {
    return r.in.row >= 0;
}
std::string no_row_text(const StartRun& r) {
    return is_setup_kind(r.kind) ? "请选择要安装Windows的分区！" : "请选择要还原的分区！";
}

bool row_drive_exists(StartRun& r) {
    return drive_exists(r.in.row_root);
}
std::string row_missing_text(const StartRun& r) {
    return in_caption(r, " 不存在！");
}

bool folder_is_directory(StartRun& r) {
    return path_is_directory(r.in.image);
}

// An image on a disc this run mounted lies, in truth, where the disc image lies: formatting that
// partition would wipe the source before it is read.
bool image_off_row_drive(StartRun& r) {
    return !same_drive_letter(r.in.image, r.in.row_root) &&
           !source_lies_on_drive(r.in.image, r.in.row_root);
}
std::string image_on_row_text(const StartRun& r) {
    return image_on_target_text(is_setup_kind(r.kind));
}

bool target_off_windows_drive(StartRun& r) {
    return !is_on_windows_drive(r.in.target_root);
}
std::string target_in_use_text(const StartRun& r) {
    return in_caption(r, " 正在使用！");
}

bool row_writable(StartRun& r) {
    return test_partition_writable(r.in.row_root);
}
std::string probe_failed_text(const StartRun& r) {
    return in_caption(r, " 写入数据失败，请选择正确的分区！");
}

bool image_large_enough(StartRun& r) {
    return file_size(r.in.image) >= 1;
}
std::string image_too_small_text(const StartRun& r) {
    switch (r.kind) {
        case RestoreKind::Wim:
            return "无效的WIM映像文件，请选择正确的WIM映像文件！";
        case RestoreKind::Swm:
            return "无效的SWM分卷映像文件，请选择正确的SWM分卷映像文件！";
        default:
            return "无效的Gho映像文件，请选择正确的Gho映像文件！";
    }
}

bool setup_program_original(StartRun& r) {
    std::string program = setup_program_of(r);
    if (!file_exists(program) || !is_original_setup_program(program)) return false;
    record_setup_version(program);
    return true;
}
std::string setup_not_original_text(const StartRun& r) {
    return r.in.image + " 为非原版WinXP/2003系统盘！";
}

bool type_known(StartRun& r) {
    return !r.in.type_name.empty();
}
std::string type_empty_text(const StartRun& r) {
    if (r.kind == RestoreKind::I386Folder) return "请选择要安装Windows的分区！";
    if (r.kind == RestoreKind::Winnt32) return "请选择安装Windows的分区！";
    return "请选择要还原的分区！";
}

bool target_is_hard_disk(StartRun& r) {
    return r.in.type_name == kHardDisk;
}
std::string not_hard_disk_text(const StartRun& r) {
    return unattended(r) ? unattended_not_hard_disk_question(r.in.caption, r.in.type_name)
                         : not_hard_disk_question(r.in.caption, r.in.type_name);
}

const Check<StartRun> kRowSelected{row_selected, no_row_text, kStopWarning};
const Check<StartRun> kRowDriveExists{row_drive_exists, row_missing_text, kStopError};
const Check<StartRun> kFolderIsDirectory{folder_is_directory, row_missing_text, kStopError};
const Check<StartRun> kImageOffRowDrive{image_off_row_drive, image_on_row_text, kStopWarning};
const Check<StartRun> kTargetOffWindowsDrive{target_off_windows_drive, target_in_use_text,
                                             kStopWarning};
const Check<StartRun> kRowWritable{row_writable, probe_failed_text, kStopError};
const Check<StartRun> kImageLargeEnough{image_large_enough, image_too_small_text, kStopWarning};
const Check<StartRun> kSetupProgramOriginal{setup_program_original, setup_not_original_text,
                                            kStopWarning};
const Check<StartRun> kTypeKnown{type_known, type_empty_text, kStopWarning};
const Check<StartRun> kTargetIsHardDisk{target_is_hard_disk, not_hard_disk_text, kAskYesNo};

// The restore target checks and each one's place in the order of each column (0: the column
// does not make the check). Columns: the start button's .GHO, .WIM, .SWM, I386 folder and
// WINNT32.EXE (in the order of RestoreKind), then the unattended Ghost restore, whose target is
// the command line's and so needs neither a selected row nor a type from the list. A .GHO is
// refused for sitting on its target before the Windows-drive test, the other kinds after it.
constexpr int kUnattendedColumn = 5;
struct RestoreCheckRow {
    const Check<StartRun>* check;
    int order[6];
};
const RestoreCheckRow kRestoreTargetChecks[] = {
    {&kRowSelected, {1, 1, 1, 1, 1, 0}},
    {&kRowDriveExists, {2, 2, 2, 2, 2, 1}},
    {&kFolderIsDirectory, {0, 0, 0, 3, 0, 0}},
    {&kImageOffRowDrive, {3, 4, 4, 5, 4, 2}},
    {&kTargetOffWindowsDrive, {4, 3, 3, 4, 3, 3}},
    {&kRowWritable, {5, 5, 5, 6, 5, 4}},
    {&kImageLargeEnough, {6, 6, 6, 0, 0, 5}},
    {&kSetupProgramOriginal, {0, 0, 0, 7, 6, 0}},
    {&kTypeKnown, {7, 7, 7, 8, 7, 0}},
    {&kTargetIsHardDisk, {8, 8, 8, 9, 8, 6}},
};

CheckList<StartRun> target_checks_of_column(int column, CheckList<StartRun> list) {
    for (int place = 1; place <= 9; ++place)
        for (const RestoreCheckRow& row : kRestoreTargetChecks)
            if (row.order[column] == place) list.push_back(row.check);
    return list;
}

// ---- backup mode ------------------------------------------------------------------------------

bool save_path_given(StartRun& r) {
    return !r.in.save_path.empty();
}
std::string save_path_missing_text(const StartRun&) {
    return "请保存Gho、WIM映像文件！";
}
std::string backup_no_row_text(const StartRun&) {
    return "请选择要备份的分区！";
}
bool save_off_row_drive(StartRun& r) {
    return !same_drive_letter(r.in.save_path, r.in.row_root);
}
std::string save_on_row_text(const StartRun&) {
    return "需备份的分区不可与保存备份映像文件路径相同！";
}
bool save_off_pe_drive(StartRun& r) {
    return r.in.save_path.empty() || upper_letter(r.in.save_path[0]) != 'X';
}
std::string save_on_pe_text(const StartRun& r) {
    return "不可将 " + r.in.caption +
           " 备份文件保存到WinPE系统分区！\r\n注意：此保存路径为内存分区，保存到此路径，"
           "将备份失败且导致死机等！";
}
bool save_off_desktop(StartRun& r) {
    std::string desktop = desktop_dir();
    return desktop.empty() || !equals_ignore_case(parent_dir(r.in.save_path), desktop);
}
std::string save_on_desktop_text(const StartRun& r) {
    return "不可将 " + r.in.caption + " 备份文件保存到桌面目录，请重新选择保存路径！";
}
bool save_path_free(StartRun& r) {
    return !file_exists(r.in.save_path);
}
std::string overwrite_question(const StartRun& r) {
    return r.in.save_path + " 已存在，是否覆盖？";
}
std::string backup_not_hard_disk_text(const StartRun& r) {
    return "你选择的 " + r.in.caption + " 是" + r.in.type_name + "，是否继续？";
}

const Check<StartRun> kSavePathGiven{save_path_given, save_path_missing_text, kStopWarning};
const Check<StartRun> kBackupRowSelected{row_selected, backup_no_row_text, kStopWarning};
const Check<StartRun> kSaveOffRowDrive{save_off_row_drive, save_on_row_text, kStopWarning};
const Check<StartRun> kBackupTypeKnown{type_known, backup_no_row_text, kStopWarning};
const Check<StartRun> kSaveOffPeDrive{save_off_pe_drive, save_on_pe_text, kStopWarning};
const Check<StartRun> kSaveOffDesktop{save_off_desktop, save_on_desktop_text, kStopWarning};
const Check<StartRun> kSavePathFree{save_path_free, overwrite_question, kAskYesNo};
const Check<StartRun> kBackupTargetIsHardDisk{target_is_hard_disk, backup_not_hard_disk_text,
                                              kAskYesNo};

// ---- install-from-disc mode -------------------------------------------------------------------

std::string disc_root(const StartRun& r) {
    return r.in.optical_text.substr(0, 3);
}
bool optical_drive_found(StartRun& r) {
    return r.in.optical_text != "未检测到光盘驱动器";
}
std::string no_optical_drive_text(const StartRun&) {
    return "未检测到任何光盘驱动器！";
}
bool disc_inserted(StartRun& r) {
    return disk_total_kib(disc_root(r)) >= 1;
}
std::string insert_disc_text(const StartRun& r) {
    return "请将系统光盘插入 " + disc_root(r) + " ！";
}
std::string install_no_row_text(const StartRun&) {
    return "请选择要安装的分区！";
}
std::string edition_no_row_text(const StartRun&) {
    return "请选择要还原的分区！";
}
// The disc may be an image file mounted from the target partition: formatting the target would
// wipe the disc before imagex has read it.
bool disc_off_row_drive(StartRun& r) {
    return !source_lies_on_drive(disc_root(r), r.in.row_root);
}
std::string disc_on_row_text(const StartRun&) {
    return image_on_target_text(true);
}

const Check<StartRun> kOpticalDriveFound{optical_drive_found, no_optical_drive_text, kStopWarning};
const Check<StartRun> kDiscInserted{disc_inserted, insert_disc_text, kStopWarning};
const Check<StartRun> kInstallRowSelected{row_selected, install_no_row_text, kStopWarning};
const Check<StartRun> kInstallTypeKnown{type_known, install_no_row_text, kStopWarning};
const Check<StartRun> kEditionRowSelected{row_selected, edition_no_row_text, kStopWarning};
const Check<StartRun> kEditionTypeKnown{type_known, edition_no_row_text, kStopWarning};
const Check<StartRun> kDiscOffRowDrive{disc_off_row_drive, disc_on_row_text, kStopWarning};

}  // namespace

StartInputs read_start_inputs(const ui::Window& main) {
    StartInputs in;
    if (main.checked("backup_radio"))
        in.mode = StartMode::Backup;
    else if (main.checked("disc_install_radio"))
        in.mode = StartMode::DiscInstall;
    in.image = main.text("image_combo");
    in.save_path = main.text("backup_path_combo");
    in.optical_text = main.text("optical_drive_combo");
    in.row = main.selected_row("partition_list");
    if (in.row >= 0) in.row_root = main.cell("partition_list", in.row, 0);
    in.caption = main.text("selected_caption_label");
    in.target_root = main.text("selected_drive_label");
    in.type_name = main.text("selected_drive_type_label");
    in.check_image = main.checked("integrity_check");
    in.password_required = main.checked("password_check");
    in.password = main.text("password_edit");
    return in;
}

RestoreKind restore_kind_of(const std::string& image) {
    std::string ext = upper_ascii(path_extension(image));
    if (ext == ".GHO") return RestoreKind::Ghost;
    if (ext == ".WIM") return RestoreKind::Wim;
    if (image.size() > 1 && upper_ascii(image.substr(1)) == ":\\I386")
        return RestoreKind::I386Folder;
    if (upper_ascii(get_file_title(image, true)) == "WINNT32.EXE") return RestoreKind::Winnt32;
    if (ext == ".SWM") return RestoreKind::Swm;
    return RestoreKind::Unsupported;
}

CheckList<StartRun> image_checks() {
    return {&kImageGiven, &kImageExists, &kImageKindKnown};
}

CheckList<StartRun> restore_target_checks(RestoreKind kind) {
    if (kind == RestoreKind::Unsupported) return {};
    return target_checks_of_column(static_cast<int>(kind), {});
}

CheckList<StartRun> backup_checks() {
    return {&kSavePathGiven,   &kBackupRowSelected,     &kSaveOffRowDrive, &kRowDriveExists,
            &kBackupTypeKnown, &kTargetOffWindowsDrive, &kSaveOffPeDrive,  &kSaveOffDesktop,
            &kSavePathFree,    &kBackupTargetIsHardDisk};
}

CheckList<StartRun> disc_checks() {
    return {&kOpticalDriveFound, &kDiscInserted,          &kInstallRowSelected,
            &kRowDriveExists,    &kTargetOffWindowsDrive, &kRowWritable};
}

// The setup road has its row already (disc_checks asked for it); both roads refuse the disc
// image's own partition before they look at the target's type. The setup's format step asks
// again, but with "跳过 None" it never formats, and winnt32 would then copy onto the partition
// that holds the disc it reads.
CheckList<StartRun> disc_setup_target_checks() {
    return {&kDiscOffRowDrive, &kInstallTypeKnown, &kTargetIsHardDisk};
}

CheckList<StartRun> disc_edition_target_checks() {
    return {&kEditionRowSelected, &kDiscOffRowDrive, &kEditionTypeKnown, &kTargetIsHardDisk};
}

StartRun unattended_ghost_run(const std::string& image, const std::string& target_drive,
                              const std::string& target_text) {
    StartRun run;
    run.road = CheckRoad::Unattended;
    run.kind = RestoreKind::Ghost;
    run.in.image = image;
    run.in.row_root = target_drive;
    run.in.target_root = target_drive;
    run.in.caption = target_text;
    run.in.type_name = drive_type_name(target_drive);
    return run;
}

CheckList<StartRun> unattended_ghost_checks() {
    return target_checks_of_column(kUnattendedColumn, {&kImageExists});
}

const char* const kRestoreTargetRenumberedText =
    "分区已发生变化，分区列表已刷新，请重新选择要还原的分区！";
const char* const kBackupTargetRenumberedText =
    "分区已发生变化，分区列表已刷新，请重新选择要备份的分区！";
const char* const kInstallTargetRenumberedText =
    "分区已发生变化，分区列表已刷新，请重新选择要安装的分区！";

bool target_numbered_as_confirmed(const std::string& root, const std::string& disk_partition) {
    return !root.empty() && disk_partition_of(root) == disk_partition;
}

bool selected_target_numbered_as_shown() {
    ui::Window* main = ui::main_window();
    return main != nullptr &&
           target_numbered_as_confirmed(main->text("selected_drive_label"),
                                        main->text("selected_disk_partition_label"));
}

void refuse_renumbered_target(const std::string& text, int (*say)(const std::string&, int)) {
    if (ui::Window* main = ui::main_window()) refresh_stale_partition_list(*main);
    if (say != nullptr)
        say(text, os::kIconWarning);
    else
        ui::show_notice(text, os::kIconWarning);
}

std::string image_on_target_text(bool installing) {
    return installing ? "需安装的分区不可与还原映像文件所在的路径相同！"
                      : "需还原的分区不可与还原映像文件所在的路径相同！";
}

bool same_drive_letter(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && upper_letter(a[0]) == upper_letter(b[0]);
}

bool is_on_windows_drive(const std::string& path) {
    return same_drive_letter(path, windows_dir());
}

std::string write_probe_path(const std::string& drive) {
    return drive.empty() ? std::string() : drive.substr(0, 1) + kProbeName;
}

bool test_partition_writable(const std::string& drive) {
    if (drive.empty()) return false;
    os::FileSystem& files = *os::os().files;
    std::string probe = write_probe_path(drive);
    // A probe left behind by an earlier run would otherwise make a read-only drive look
    // writable: the old file goes first, and the new one counts only when it was written whole.
    files.delete_file(probe);
    bool written = files.write_new_file(probe, kProbeContent);
    if (!written || !path_exists(probe)) return false;
    delete_file(drive.substr(0, 1) + ":\\Marlune.tmp");
    return true;
}

std::string not_hard_disk_question(const std::string& caption, const std::string& type_name) {
    return "你选择的 " + caption + " 是" + type_name + "，是否继续？\r\n注意：" + caption +
           " 不是硬盘，如果继续将导致数据丢失！";
}

std::string unattended_not_hard_disk_question(const std::string& target_text,
                                              const std::string& type_name) {
    return "需安装的分区 " + target_text + " 是 " + type_name + "，是否继续？\r\n注意：" +
           target_text + " 不是硬盘，如果继续将导致数据丢失！";
}

bool is_original_setup_program(const std::string& path) {
    return upper_ascii(os::os().files->file_description(path)) == kSetupLoaderDescription;
}

std::string setup_system_name_of(const std::string& version) {
    if (version.compare(0, 3, "5.1") == 0) return " XP";
    if (version.compare(0, 3, "5.2") == 0) return " Server 2003";
    return {};
}

void record_setup_version(const std::string& path) {
    g_winnt32_version = get_file_version(path);
    g_setup_system_name = setup_system_name_of(g_winnt32_version);
}

std::string ghost_check_image_command(const std::string& ghost_exe, const std::string& image) {
    std::string command = cmd_path_argument(ghost_exe) + "   -CHKIMG," + cmd_path_argument(image) +
                          " -sure  -fx -BATCH ";
    return path_needs_quotes(ghost_exe) ? "\"" + command + "\"" : command;
}

}  // namespace qv
