#include "jobs/boot_files.h"

#include <set>

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "base/tool_runner.h"
#include "disks/drive_facts.h"
#include "disks/partition_rows.h"
#include "jobs/command_console.h"
#include "jobs/imagex_progress.h"
#include "main_window/main_window.h"
#include "platform/os.h"
#include "platform/os_process.h"

namespace qv {

std::string g_main_boot_disk;

const char kBootBalloonText[] = "正在添加引导文件，请稍后......";
const char kBootStatusText[] = "正在添加引导，请稍候......";
const char kBootDiskMissingText[] = "获取主引导盘失败，无法添加引导文件！";
const char kBootFilesFailedText[] = "创建引导文件失败！";

namespace {

const char kBooticeName[] = "BOOTICE.EXE";
const char kBcdbootName[] = "BCDBOOT.EXE";
constexpr int kAutoWaitLimitSeconds = 2000;
constexpr int kSettleMs = 2000;
// How long BCDBOOT may take to show up after its line was typed; it may also come and go between
// two looks, so its output ends the wait as well.
constexpr std::uint32_t kToolStartGraceMs = 10000;
constexpr int kPollMs = 250;

std::uint32_t now_ms() {
    return os::os().clock->tick_ms();
}

bool program_ending() {
    ui::Runtime* runtime = os::os().ui;
    return runtime != nullptr && runtime->quitting();
}

int wait_limit(BootMode mode) {
    return mode == BootMode::Auto ? kAutoWaitLimitSeconds : 0;
}

// The first process of the name that is not in `skip`, or 0.
std::uint32_t find_process_except(const std::string& name, const std::set<std::uint32_t>& skip) {
    for (const os::ProcessEntry& p : os::os().processes->snapshot())
        if (equals_ignore_case(p.exe_name, name) && skip.count(p.id) == 0) return p.id;
    return 0;
}

// One BOOTICE run at a time: the boot record and the activation both rewrite the disk's first
// sector, and two runs at once could each write back what the other changed.
void run_bootice_steps(const std::vector<std::string>& commands, BootMode mode) {
    for (const std::string& command : commands) {
        if (program_ending()) return;
        run_hidden(command);
        wait_until_no_process(kBooticeName, wait_limit(mode));
    }
}

// Waits until the tool typed into the console has been seen running, or its output has shown
// success, or the grace has passed; then until it has ended.
void wait_for_console_tool(const std::string& name, std::uint64_t mark) {
    const std::uint32_t start = now_ms();
    while (!program_ending() && !is_process_running(name) &&
           !bcdboot_succeeded(console_output_since(mark)) && now_ms() - start < kToolStartGraceMs)
        delay_pumping(kPollMs);
    wait_until_no_process(name, 0);
}

// The tool's last lines may still be on their way from the console after it has ended.
void wait_for_success_output(std::uint64_t mark, int ms) {
    const std::uint32_t start = now_ms();
    while (!program_ending() && !bcdboot_succeeded(console_output_since(mark)) &&
           static_cast<int>(now_ms() - start) < ms)
        delay_pumping(50);
}

// The boot partition was read off the partition list when the window opened, and BOOTICE
// rewrites the first sector of its disk: it is looked up once more, as the system numbers it now.
// Unless it is still partition 1 of the target's disk, there is no boot partition to write to.
std::string boot_partition_now(const std::string& target_root) {
    if (g_main_boot_disk.empty()) return {};
    const int disk = disk_number_of(target_root);
    if (disk < 1 || disk_partition_of(g_main_boot_disk) != disk_partition_text(disk, 1)) return {};
    return g_main_boot_disk;
}

}  // namespace

std::string bootice_boot_command(const std::string& windows_folder, const std::string& device_root,
                                 LoaderKind kind, BootRecordStep step) {
    const char* switches = " /partitions /activate /quiet";
    if (step == BootRecordStep::Mbr)
        switches = kind == LoaderKind::Nt6 ? " /mbr /install  /type=nt60  /quiet"
                                           : " /mbr /install  /type=nt52  /quiet";
    else if (step == BootRecordStep::Pbr)
        switches = kind == LoaderKind::Nt6 ? " /pbr /install  /type=bootmgr /quiet"
                                           : " /pbr /install  /type=ntldr /quiet";
    return quote_path_for_cmd(windows_folder + "BOOTICE.EXE") + " /DEVICE=" + device_root +
           switches;
}

std::vector<std::string> bootice_boot_commands(const std::string& windows_folder,
                                               const std::string& device_root, LoaderKind kind) {
    std::vector<std::string> commands;
    for (BootRecordStep step : {BootRecordStep::Mbr, BootRecordStep::Pbr, BootRecordStep::Activate})
        commands.push_back(bootice_boot_command(windows_folder, device_root, kind, step));
    return commands;
}

std::string bcdboot_command(const std::string& target_root, const std::string& device_root) {
    return "BCDBOOT.EXE " + target_root + "Windows  /l zh-cn /S " + device_root;
}

LoaderKind choose_loader_kind(const std::string& cmd_version, bool boot_disk_holds_bcd) {
    if (cmd_version.substr(0, 1) == "5" && !boot_disk_holds_bcd) return LoaderKind::Nt5;
    return LoaderKind::Nt6;
}

std::string boot_device_root(BootMode mode, const std::string& main_boot_disk,
                             const std::string& target_root) {
    return mode == BootMode::Auto ? main_boot_disk : target_root;
}

std::string boot_partition_root(const std::vector<BootPartitionRow>& rows, int disk) {
    if (disk < 1) return {};
    std::string sought = disk_partition_text(disk, 1);
    for (const BootPartitionRow& row : rows)
        if (disk_partition_matches(row.disk_partition, sought)) return row.root;
    return {};
}

void find_boot_partition(const std::string& target_root) {
    g_main_boot_disk.clear();
    ui::Window* main = ui::main_window();
    if (main == nullptr || target_root.empty()) return;
    std::vector<BootPartitionRow> rows;
    for (int r = 0; r < main->row_count("partition_list"); ++r)
        rows.push_back({main->cell("partition_list", r, 0), main->cell("partition_list", r, 1)});
    g_main_boot_disk = boot_partition_root(rows, disk_number_of(target_root));
}

void wait_until_no_process(const std::string& name, int limit_seconds) {
    os::Processes& processes = *os::os().processes;
    std::set<std::uint32_t> given_up;
    while (!program_ending()) {
        std::uint32_t id = find_process_except(name, given_up);
        if (id == 0) return;
        std::unique_ptr<os::ProcessWatch> watch = processes.open(id);
        if (!watch) {
            given_up.insert(id);
            continue;
        }
        const std::uint32_t start = now_ms();
        while (!watch->ended() && !program_ending()) {
            if (limit_seconds > 0 &&
                (now_ms() - start) / 1000 >= static_cast<std::uint32_t>(limit_seconds)) {
                given_up.insert(id);
                break;
            }
            delay_pumping(kPollMs);
        }
    }
}

void report_step_failure(ui::Window& window, const std::string& status_role,
                         const std::string& text) {
    ui::show_tray_balloon("提示", text, ui::kBalloonInfo, 0);
    if (window.alive()) window.set_text(status_role, text);
    os::os().notices->message_box(text, "提示", os::kIconError);
}

void add_boot_files(ui::Window& window, BootMode mode, const std::string& target_root,
                    const std::string& status_role, const std::string& console_box_role) {
    const std::string boot_partition = boot_partition_now(target_root);
    std::string device = boot_device_root(mode, boot_partition, target_root);
    // The disk's boot partition decides, in either mode: an NT6 loader there stays, and an older
    // Windows restored beside it joins it. An unknown boot partition holds nothing.
    bool boot_disk_holds_bcd = !boot_partition.empty() && file_exists(boot_partition + "Boot\\BCD");
    LoaderKind kind = choose_loader_kind(
        get_file_version(target_root + "Windows\\system32\\CMD.EXE"), boot_disk_holds_bcd);
    if (kind == LoaderKind::Nt5)
        add_boot_files_nt5(window, mode, device, status_role);
    else
        add_boot_files_nt6(window, mode, device, target_root, status_role, console_box_role);
}

void add_boot_files_nt6(ui::Window& window, BootMode mode, const std::string& device_root,
                        const std::string& target_root, const std::string& status_role,
                        const std::string& console_box_role) {
    window.set_text(status_role, kBootStatusText);
    if (device_root.empty()) {
        report_step_failure(window, status_role, kBootDiskMissingText);
        return;
    }
    run_bootice_steps(bootice_boot_commands(windows_dir(), device_root, LoaderKind::Nt6), mode);
    if (program_ending() || !window.alive()) return;
    if (mode == BootMode::None) delay_pumping(kSettleMs);
    std::uint64_t mark = console_output_mark();
    std::string command = bcdboot_command(target_root, device_root);
    console_send_command(command);
    console_start_reader(&window, console_box_role);
    wait_for_console_tool(kBcdbootName, mark);
    if (mode == BootMode::Auto)
        delay_pumping(kSettleMs);
    else
        wait_for_success_output(mark, kSettleMs);
    if (program_ending() || !window.alive()) return;
    // imagex's own "Successfully" is still in the box: only what came after the command counts.
    if (!bcdboot_succeeded(console_output_since(mark)))
        report_step_failure(window, status_role, kBootFilesFailedText);
}

void add_boot_files_nt5(ui::Window& window, BootMode mode, const std::string& device_root,
                        const std::string& status_role) {
    window.set_text(status_role, kBootStatusText);
    if (device_root.empty()) {
        report_step_failure(window, status_role, kBootDiskMissingText);
        return;
    }
    run_bootice_steps(bootice_boot_commands(windows_dir(), device_root, LoaderKind::Nt5), mode);
}

}  // namespace qv
