// What the start button checks before any job window opens, in one place: the inputs it reads
// from the main window, the ordered lists of checks for each mode and kind with their messages,
// the checks of the unattended Ghost restore (the same checks as the start button's for a .GHO,
// in their own words), the target tests (the Windows drive, the write probe, and the last look at
// the target's number just before a job writes to it), and the Ghost image check's command line.
//
// A check that fails shows its message and stops the press; nothing has been written to the
// target by then except the probe file, which is removed again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"
#include "ui/runtime.h"

namespace qv {

// Message-box styles of the checks, all with the caption "提示".
enum : int {
    kStopError = os::kIconError,
    kStopWarning = os::kIconWarning,
    kInformation = os::kIconInfo,
    kAskYesNo = os::kBoxYesNo | os::kIconWarning,  // a question: the press goes on only after Yes
};

// One check over a run's facts: it passes, or its message is shown with its style.
template <class Run>
struct Check {
    bool (*passes)(Run& run);
    std::string (*message)(const Run& run);
    int style;
};

template <class Run>
using CheckList = std::vector<const Check<Run>*>;

// Runs the checks in order. The first that does not pass shows its message through `ask(text,
// style)`, which returns the answer, and ends the run with false; a question answered Yes lets
// the next check run. True when every check passed.
template <class Run, class Ask>
bool pass_checks(Run& run, const CheckList<Run>& checks, Ask ask) {
    for (const Check<Run>* check : checks) {
        if (check->passes(run)) continue;
        int answer = ask(check->message(run), check->style);
        if (check->style == kAskYesNo && answer == os::kIdYes) continue;
        return false;
    }
    return true;
}

enum class StartMode { Restore, Backup, DiscInstall };
// The kinds of image the restore panel accepts, in the order they are recognised.
enum class RestoreKind { Ghost, Wim, Swm, I386Folder, Winnt32, Unsupported };

// What one press reads from the main window and the selected partition, once.
struct StartInputs {
    StartMode mode = StartMode::Restore;
    std::string image;               // the image combo's current item
    std::string save_path;           // the backup path combo's current item
    std::string optical_text;        // the optical-drive combo's current item
    int row = -1;                    // the partition list's selected row, -1 for none
    std::string row_root;            // that row's drive cell ("C:\")
    std::string caption;             // the selected partition's caption ("C:\(1:1)")
    std::string target_root;         // its drive root
    std::string type_name;           // its drive-type name
    bool check_image = false;        // "检查Gho完整性(&E)"
    bool password_required = false;  // "Gho密码："
    std::string password;
};
StartInputs read_start_inputs(const ui::Window& main);

// The road a run of the checks serves. The start button's messages name the selected partition
// ("选择的分区 " + caption); the unattended Ghost restore ("/install=", and an image dropped on its
// window) names the command line's target ("指定还原的分区 " + target) and asks its own question
// before a target that is not a hard disk.
enum class CheckRoad { StartButton, Unattended };

struct StartRun {
    StartInputs in;
    RestoreKind kind = RestoreKind::Unsupported;
    CheckRoad road = CheckRoad::StartButton;
};

RestoreKind restore_kind_of(const std::string& image);

// The checks of each mode in their order. The restore mode first checks the image (present,
// existing, of a known kind, which sets the run's kind) and then the target by the kind's own
// order; the install-from-disc list ends before the disc's contents are looked at.
CheckList<StartRun> image_checks();
CheckList<StartRun> restore_target_checks(RestoreKind kind);
CheckList<StartRun> backup_checks();
CheckList<StartRun> disc_checks();
// The checks of the disc's setup branch and of its edition-list branch. Both refuse a target that
// holds the image file mounted as the disc, before they look at the target's type.
CheckList<StartRun> disc_setup_target_checks();
CheckList<StartRun> disc_edition_target_checks();

// The unattended Ghost restore of the image (its full path) onto the drive root, which its
// messages write as `target_text` (the root and "(disk:partition)"); the drive's type is asked
// here. Its checks: the image exists, then the .GHO target checks in their order, without the
// selected row and the type-known check that only the start button has.
StartRun unattended_ghost_run(const std::string& image, const std::string& target_drive,
                              const std::string& target_text);
CheckList<StartRun> unattended_ghost_checks();

// The last look at the target just before a job writes to it. Partitions are renumbered when disks
// are attached in another order or another tool repartitions: a number the list showed may then
// belong to another partition (Ghost takes the number), and the letter the list showed may name
// another partition (imagex and the setup take the letter). So the drive must still carry the
// disk:partition that the list showed; a drive that is gone carries no number and never passes.
bool target_numbered_as_confirmed(const std::string& root, const std::string& disk_partition);
// The same for the partition selected in the main window now.
bool selected_target_numbered_as_shown();

// The refusals of a target renumbered since the list was filled, one for each kind of job.
extern const char* const kRestoreTargetRenumberedText;
extern const char* const kBackupTargetRenumberedText;
extern const char* const kInstallTargetRenumberedText;
// The refusal of such a target: the partition list is rebuilt with the new numbers (also while a
// long action holds the main window's lock), then `say(text, style)`, or the main window's notice
// when `say` is null, tells the user, with the warning icon, to choose again.
void refuse_renumbered_target(const std::string& text,
                              int (*say)(const std::string&, int) = nullptr);

// The refusal of a target that holds the image, or the disc image, to be read: the install form
// for the setup and disc roads, the restore form otherwise.
std::string image_on_target_text(bool installing);

// Whether two paths start with the same drive letter; letters compare without regard to case,
// as the file system names drives.
bool same_drive_letter(const std::string& a, const std::string& b);
// Whether the path lies on the drive of the Windows folder (letters without regard to case).
bool is_on_windows_drive(const std::string& path);
// The probe file at the root of the drive named by the text's first character.
std::string write_probe_path(const std::string& drive);
// Writes the probe file at the drive's root; true only when the write itself succeeded and the
// file is then there. The file is deleted again.
bool test_partition_writable(const std::string& drive);

// The question asked before a target that is not a hard disk, in the restore and install form,
// and in the unattended Ghost restore's form.
std::string not_hard_disk_question(const std::string& caption, const std::string& type_name);
std::string unattended_not_hard_disk_question(const std::string& target_text,
                                              const std::string& type_name);

// The setup program test: the file's description, upper-cased, names the setup loader.
bool is_original_setup_program(const std::string& path);
// " XP" for a version beginning with "5.1", " Server 2003" for "5.2", empty otherwise.
std::string setup_system_name_of(const std::string& version);
// Records the setup program's version and the system name that follows from it.
void record_setup_version(const std::string& path);

// Ghost's image check: the tool's path, "   -CHKIMG,", the image, " -sure  -fx -BATCH ". A path
// that the command interpreter would split or act on is quoted so that it reaches Ghost exactly,
// "%" included (see cmd_argument); when the tool's own path needs quotes, the whole command is
// quoted once more, since the interpreter takes off the first and the last quote of a command
// that begins with one.
std::string ghost_check_image_command(const std::string& ghost_exe, const std::string& image);

}  // namespace qv
