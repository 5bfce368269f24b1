#include <gtest/gtest.h>

#include <memory>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "main_window/main_window.h"
#include "shell/command_line.h"

namespace qv {
namespace {

constexpr std::int64_t kMB = 1024 * 1024;

// The main window as start-up has it at step 15, on a machine whose Windows folder is on C:, with
// the command line given after the program's quoted path.
struct CommandLineStart {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;

    CommandLineStart() {
        rig.os.files.windows = "C:\\windows";
        rig.os.files.special[16] = "X:\\Desktop";
        main = &rig.open_main_window();
    }
    // A fixed drive on disk 1 (device 0) unless numbers are given; add drives in letter order.
    void add_drive(char letter, std::uint32_t device = 0, std::uint32_t partition = 1) {
        std::string root = std::string(1, letter) + ":\\";
        if (rig.os.drives.find(root) != nullptr) return;
        rig.os.drives.add(root, os::kDriveFixed, device, partition);
        rig.os.files.add_folder(root);
    }
    void add_image(const std::string& path, std::int64_t mb) {
        add_drive(path[0]);
        rig.os.files.add_file_of_size(path, mb * kMB);
    }
    // A partition-list row; its drive reports the same numbers.
    void add_row(const std::string& root, int disk, int partition) {
        add_drive(root[0], static_cast<std::uint32_t>(disk - 1),
                  static_cast<std::uint32_t>(partition));
        std::string cell = std::to_string(disk) + ":" + std::to_string(partition);
        main->add_row("partition_list", {root, cell, "", "硬盘驱动器", "", ""});
    }
    StartUpRun apply(const std::string& args) {
        rig.os.program.line = "\"X:\\Program\\QuennixVelquist.exe\" " + args;
        g_scan_images_at_start = true;
        StartUpRun run{*main};
        run.no_option_applied = true;
        apply_command_line(run);
        return run;
    }
    // Every message box as "text|style"; each must carry the caption "提示".
    std::vector<std::string> boxes() const { return rig.os.notices.hint_texts_and_styles(); }
    std::vector<std::string> items(const char* combo) const {
        std::vector<std::string> out;
        for (int i = 0; i < main->item_count(combo); ++i) out.push_back(main->item_text(combo, i));
        return out;
    }
};

using Strings = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAfterTheProgramName) {
    const std::pair<const char*, Strings> cases[] = {
        {"QuennixVelquist.exe", {}},
        {"QuennixVelquist.exe ", {}},  // a trailing blank is no argument
        {"\"C:\\my tools\\QuennixVelquist.exe\" /debug", {"/debug"}},
        {"X:\\QuennixVelquist.exe  /load=D:\\a\tb.gho  ", {"/load=D:\\a", "b.gho"}},
        {"X:\\QuennixVelquist.exe \"/load=D:\\a b.gho\"", {"\"/load=D:\\a", "b.gho\""}},
        {"\"X:\\QuennixVelquist.exe\"/q", {"/q"}},
        {"X:\\Q.exe /load=D:\\系统\\映像.gho", {"/load=D:\\系统\\映像.gho"}},
    };
    for (const auto& [line, args] : cases) EXPECT_EQ(split_command_arguments(line), args) << line;
}

TEST(CommandLine, JoinsUpToEightPieces) {
    Strings eight = {"/load=", "a", "b", "c", "d", "e", "f", "g.gho"};
    EXPECT_EQ(join_command_text(eight), "/load=abcdefg.gho");
    eight.push_back("h");
    EXPECT_EQ(join_command_text(eight), "错误");
}

TEST(CommandLine, RecognisesTheFirstArgumentByTheOptionsLength) {
    using O = CommandOption;
    const std::pair<const char*, O> cases[] = {
        {"/config", O::Config}, {"/CONFIGURE", O::Config}, {"/LOAD=D:\\x.gho", O::Load},
        {"/load", O::Unknown},  {"/backup=x", O::Backup},  {"/install=", O::Install},
        {"/ms", O::Ms},         {"/msdos", O::Ms},         {"/Debug", O::Debug},
        {"/e", O::Eject},       {"/eject", O::Eject},      {"/q", O::Quiet},
        {"/q1", O::Quiet},      {"/hdd3", O::Hdd3},        {"/HDD4x", O::Hdd4},
        {"/hdd5", O::Hdd5},     {"/gq", O::VirtualDrive},  {"/GQ", O::VirtualDrive},
        {"/gq1", O::Unknown},   {"/gqq", O::Unknown},      {"/system", O::System},
        {"/s", O::Unknown},     {"/r", O::Unknown},        {"/device=1:1", O::Unknown},
        {"debug", O::Unknown},  {"/调试", O::Unknown},
    };
    for (const auto& [arg, option] : cases)
        EXPECT_EQ(static_cast<int>(recognise_option(arg)), static_cast<int>(option)) << arg;
}

TEST(CommandLine, OptionsSetTheRunsFacts) {
    struct Case {
        const char* args;
        bool no_option_applied, scan, automatic, main_visible, end_after_help, quit;
        const char* letter;
        Strings boxes;
        Strings modals;
    };
    const Case cases[] = {
        {"", true, true, false, true, false, false, "X", {}, {}},
        {"/q", false, false, false, true, false, false, "X", {}, {}},
        {"/debug", false, true, false, true, false, false, "C", {}, {}},
        // Windows on C: is not Windows PE: the layouts end at the PE-only notice.
        {"/hdd3", false, false, true, false, false, true, "X", {}, {"PeOnlyNoticeWindow"}},
        {"/HDD5", false, false, true, false, false, true, "X", {}, {"PeOnlyNoticeWindow"}},
        // The virtual-drive window is the run's only window: closing it ends the program.
        {"/gq", false, false, true, false, false, true, "C", {}, {"VirtualDriveWindow"}},
        {"/e", true, true, false, true, false, true, "", {}, {}},
        {"/ms",
         true,
         true,
         false,
         true,
         true,
         true,
         "",
         {"参数 /ms 已更改为 /system，详见调用参数说明！|48"},
         {"ParameterHelpWindow"}},
        {"/system",
         true,
         true,
         false,
         true,
         true,
         true,
         "",
         {"对不起，本版本已取消本参数！|16"},
         {"ParameterHelpWindow"}},
        {"/gq1",
         true,
         true,
         false,
         true,
         true,
         true,
         "",
         {"错误的参数，详见调用参数说明！|16"},
         {"ParameterHelpWindow"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        CommandLineStart s;
        StartUpRun run = s.apply(c.args);
        EXPECT_EQ(run.no_option_applied, c.no_option_applied);
        EXPECT_EQ(g_scan_images_at_start, c.scan);
        EXPECT_EQ(g_automatic_mode, c.automatic);
        EXPECT_EQ(s.main->visible(), c.main_visible);
        EXPECT_EQ(g_end_after_help, c.end_after_help);
        EXPECT_EQ(s.rig.ui.quitting(), c.quit);
        EXPECT_EQ(g_expected_system_letter, c.letter);
        EXPECT_EQ(s.boxes(), c.boxes);
        EXPECT_EQ(s.rig.ui.modal_log(), c.modals);
        // The options that end after the help take the tray icon away first.
        if (c.end_after_help) {
            EXPECT_NE(s.rig.ui.journal_index("tray_remove"), -1);
        }
    }
}

TEST(CommandLine, ShortcutOptionWritesTheLinkThenEnds) {
    CommandLineStart s;
    s.apply("/eject");
    ASSERT_EQ(s.rig.os.shell.saved.size(), 1u);
    EXPECT_EQ(s.rig.os.shell.saved[0].link.target_path, "X:\\Program\\QuennixVelquist.exe");
    EXPECT_TRUE(s.rig.ui.quitting());
    EXPECT_EQ(s.rig.ui.exit_code(), 0);
}

TEST(CommandLine, FinishMarksAreSoughtCaseExactlyAnywhere) {
    struct Case {
        const char* args;
        bool restart, shutdown;
    };
    const Case cases[] = {{"/q /r", true, false},    {"/q /R", false, false},
                          {"/q /s", false, true},    {"/q /S", false, false},
                          {"/q /s /r", true, false}, {"/q/r", true, false},
                          {"/system", false, true},  {"/q", false, false}};
    for (const Case& c : cases) {
        CommandLineStart s;
        s.apply(c.args);
        EXPECT_EQ(s.main->checked("restart_after_job_check"), c.restart) << c.args;
        EXPECT_EQ(s.main->checked("shutdown_after_job_check"), c.shutdown) << c.args;
    }
}

TEST(CommandLine, WithoutPartitionsNoOptionIsApplied) {
    CommandLineStart s;
    g_no_partitions = true;
    StartUpRun run = s.apply("/hdd3 /r");
    EXPECT_EQ(s.boxes(), Strings{"未检测到磁盘分区，参数无法调用！|48"});
    EXPECT_TRUE(run.no_option_applied);
    EXPECT_FALSE(g_automatic_mode);
    EXPECT_TRUE(s.main->visible());
    EXPECT_EQ(g_expected_system_letter, "X");
    EXPECT_TRUE(s.main->checked("restart_after_job_check"));  // sought before the check
}

TEST(CommandLine, DebugSelectsTheRowOfDriveD) {
    CommandLineStart s;
    s.add_row("C:\\", 1, 1);
    s.add_row("D:\\", 1, 2);
    s.apply("/debug");
    EXPECT_EQ(s.main->selected_row("partition_list"), 1);
}

TEST(CommandLine, LoadFindsTheImageOnItsDriveOrOnEveryDrive) {
    struct Case {
        const char* args;
        std::vector<std::pair<const char*, int>> images;  // path, size in MB
        Strings items;
        Strings boxes;
        bool scan;
    };
    const Case cases[] = {
        {"/LOAD=D:\\x.gho", {{"D:\\x.gho", 200}}, {"D:\\x.gho"}, {}, false},
        {"/load=win7.gho",
         {{"C:\\win7.gho", 200}, {"D:\\other.gho", 200}, {"E:\\win7.gho", 300}},
         {"C:\\win7.gho", "E:\\win7.gho"},
         {},
         false},
        // The blank is lost: the two pieces are joined and that name is sought.
        {"/load=D:\\my image.wim", {{"D:\\myimage.wim", 200}}, {"D:\\myimage.wim"}, {}, false},
        {"/load=D:\\small.gho", {{"D:\\small.gho", 99}}, {}, {"未找到 D:\\small.gho|48"}, true},
        {"/load=D:\\none.gho", {}, {}, {"未找到 D:\\none.gho|48"}, true},
        // A large copy still counts when the first one found was dropped for its size.
        {"/load=w.gho", {{"C:\\w.gho", 50}, {"E:\\w.gho", 200}}, {"E:\\w.gho"}, {}, false},
        {"/load=", {}, {}, {"参数 /Load 不可为空！|16"}, false},
        {"/load=D:\\x.iso", {}, {}, {"本工具仅支持加载*.WIM、*.Gho格式！|48"}, false},
        {"/load=a b c d e f g h i.gho",
         {},
         {},
         {"调用参数 /load 时出现错误！\r\n错误原因：命令行不可有很多的空格！|48"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        CommandLineStart s;
        for (const auto& [path, mb] : c.images) s.add_image(path, mb);
        StartUpRun run = s.apply(c.args);
        EXPECT_FALSE(run.no_option_applied);
        EXPECT_EQ(s.items("image_combo"), c.items);
        EXPECT_EQ(s.main->selected("image_combo"), c.items.empty() ? -1 : 0);
        EXPECT_EQ(s.boxes(), c.boxes);
        EXPECT_EQ(g_scan_images_at_start, c.scan);
        EXPECT_EQ(g_expected_system_letter, "X");
    }
}

TEST(CommandLine, BackupOpensTheBackupPanelWithThePath) {
    CommandLineStart s;
    s.apply("/backup=D:\\bak\\w7.WIM");
    EXPECT_TRUE(s.main->checked("backup_radio"));
    EXPECT_FALSE(s.main->checked("restore_radio"));
    EXPECT_EQ(s.main->column_caption("partition_list", 0), "备份");
    EXPECT_EQ(s.items("backup_path_combo"), Strings{"D:\\bak\\w7.WIM"});
    EXPECT_EQ(s.main->selected("backup_path_combo"), 0);
    EXPECT_TRUE(s.boxes().empty());

    CommandLineStart refused;
    refused.apply("/backup=D:\\w7.iso");
    EXPECT_TRUE(refused.items("backup_path_combo").empty());
    EXPECT_EQ(refused.boxes(), Strings{"本工具仅支持备份*.Gho、*.WIM格式映像文件！|48"});
}

TEST(CommandLine, InstallFindsTheTargetByTheWholeCell) {
    struct Case {
        const char* args;
        const char* target;
        const char* row_key;
        const char* drive;
    };
    // Rows that merely contain "1:1" come first: they are other partitions.
    const Case cases[] = {
        {"/install=D:\\w7.gho /DEVICE=1:1", "1:1", "1:1", "C:\\"},
        {"/install=D:\\w7.gho /DEVICE=1：2", "1:2", "1:2", "F:\\"},  // full-width colon
        {"/install=D:\\w7.gho /DEVICE=f", "1:2", "1:2", "F:\\"},     // a drive letter
        {"/install=D:\\w7.gho /DEVICE=11:1", "11:1", "11:1", "D:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        CommandLineStart s;
        s.add_row("D:\\", 11, 1);
        s.add_row("E:\\", 1, 10);
        s.add_row("C:\\", 1, 1);
        s.add_row("F:\\", 1, 2);
        s.add_image("D:\\w7.gho", 200);
        StartUpRun run = s.apply(c.args);
        EXPECT_TRUE(s.boxes().empty());
        EXPECT_EQ(g_install_image_path, "D:\\w7.gho");
        EXPECT_EQ(g_target_disk_partition, c.target);
        EXPECT_EQ(g_target_row_key, c.row_key);
        EXPECT_EQ(g_target_drive, c.drive);
        EXPECT_TRUE(g_automatic_mode);
        EXPECT_FALSE(run.no_option_applied);
        EXPECT_FALSE(g_scan_images_at_start);
    }
}

TEST(CommandLine, InstallRefusesInTheOrderOfItsChecks) {
    struct Case {
        const char* args;
        const char* box;
        bool scan;
    };
    const Case cases[] = {
        {"/install=D:\\w7.gho", "调用参数 /install 时需参数 /DEVICE 指定要安装的分区！", false},
        {"/install=D:\\w7.gho /device=1:1", "调用参数 /install 时需参数 /DEVICE 指定要安装的分区！",
         false},
        // Nine pieces: the joined text holds no "/DEVICE=" at all.
        {"/install=D:\\w7.gho /DEVICE=1:1 a b c d e f g",
         "调用参数 /install 时需参数 /DEVICE 指定要安装的分区！", false},
        {"/install= /DEVICE=1:1", "调用参数 /install 时需指定要安装的*.GHO文件！", false},
        {"/Install=D:\\w7.gho /DEVICE=1:1", "调用参数 /install 时需指定要安装的*.GHO文件！", false},
        // A missing image is named before a missing target.
        {"/install=D:\\none.gho /DEVICE=", "未找到 D:\\none.gho ！", true},
        {"/install=D:\\w7.gho /DEVICE=", "调用参数 /DEVICE 时需指定要安装分区！", false},
        {"/install=D:\\w7.gho /DEVICE=2:1", "参数 /DEVICE 指定要安装分区 2:1 不存在！", false},
        {"/install=D:\\w7.gho /DEVICE=1:1", "参数 /DEVICE 指定要安装分区 1:1 不存在！", false},
        // A letter without a drive has no numbers.
        {"/install=D:\\w7.gho /DEVICE=x", "参数 /DEVICE 指定要安装分区 -1:-1 不存在！", false},
        {"/install=D:\\w7.wim /DEVICE=1:10", "本工具仅支持还原*.Gho格式映像文件！", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        CommandLineStart s;
        s.add_row("D:\\", 11, 1);
        s.add_row("E:\\", 1, 10);
        s.add_image("D:\\w7.gho", 200);
        s.add_image("D:\\w7.wim", 200);
        s.apply(c.args);
        EXPECT_EQ(s.boxes(), Strings{std::string(c.box) + "|48"});
        EXPECT_FALSE(g_automatic_mode);
        EXPECT_EQ(g_scan_images_at_start, c.scan);
    }
}

TEST(CommandLine, InstallTakesTheLastDriveHoldingABareImageName) {
    CommandLineStart s;
    s.add_row("C:\\", 1, 1);
    s.add_drive('D', 0, 2);
    s.add_image("C:\\w7.gho", 200);
    s.add_image("E:\\w7.gho", 200);
    s.apply("/install=w7.gho /DEVICE=1:1");
    EXPECT_EQ(g_install_image_path, "E:\\w7.gho");
    EXPECT_EQ(g_drive_roots, (Strings{"C:\\", "D:\\", "E:\\"}));
    EXPECT_EQ(g_install_device_arg, "1:1");
}

// The configuration file beside the program names an image under \MarluneOS\ of its drive.
TEST(CommandLine, ConfigLoadsTheNamedImage) {
    struct Case {
        const char* ini;  // null: no file
        std::pair<const char*, std::int64_t> image;
        Strings boxes;
        bool quit, scan;
        Strings items;
        Strings details;  // location, type, size, time
    };
    const char* const kIni = "X:\\Program\\QuennixVelquist.ini";
    const Case cases[] = {
        {nullptr, {}, {"配置文件 QuennixVelquist.ini 不存在！|16"}, true, false, {}, {}},
        {"[Config]\r\nOther=1\r\n", {}, {"未指定需加载的文件！|16"}, false, false, {}, {}},
        {"[config]\r\nPath=win7.iso\r\n",
         {},
         {"本参数仅支持加载*.WIM、*.GHO映像文件！|16"},
         true,
         false,
         {},
         {}},
        {"[Config]\r\nPath=win7.gho\r\n",
         {},
         {"未找到 X:\\MarluneOS\\win7.gho ！|48"},
         false,
         true,
         {},
         {}},
        {"[Config]\r\nPath = Sys\\w7.GHO\r\n",
         {"X:\\MarluneOS\\Sys\\w7.GHO", 5000 * kMB},
         {},
         false,
         false,
         {"X:\\MarluneOS\\Sys\\w7.GHO"},
         {"位置： X:\\MarluneOS\\Sys\\w7.GHO", "类型： Ghost 映像文件", "大小：  > 4096 MB",
          "时间： 2025-03-04 05:06:07"}},
        {"[Config]\r\nPath=Images\\Windows7\\win7.wim\r\n",
         {"X:\\MarluneOS\\Images\\Windows7\\win7.wim", 1536 * kMB + kMB / 2},
         {},
         false,
         false,
         {"X:\\MarluneOS\\Images\\Windows7\\win7.wim"},
         {"位置： X:\\Marlune...\\Windows7\\win7.wim", "类型： WIM 映像文件", "大小： 1536.5 MB",
          "时间： 2025-03-04 05:06:07"}},
        // The cut of a long location never splits a double-byte character.
        {"[Config]\r\nPath=备份\\最新系统映像.gho\r\n",
         {"X:\\MarluneOS\\备份\\最新系统映像.gho", 200 * kMB},
         {},
         false,
         false,
         {"X:\\MarluneOS\\备份\\最新系统映像.gho"},
         {"位置： X:\\Marlune...\\最新系统映像.gho", "类型： Ghost 映像文件", "大小： 200 MB",
          "时间： 2025-03-04 05:06:07"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no file");
        CommandLineStart s;
        if (c.ini) s.rig.os.files.add_file(kIni, c.ini);
        if (c.image.first) {
            s.add_image(c.image.first, 0);
            ASSERT_NE(s.rig.os.files.entry(c.image.first), nullptr);
            s.rig.os.files.entry(c.image.first)->size = c.image.second;
            s.rig.os.files.entry(c.image.first)->times.created = {2025, 3, 4, 5, 6, 7};
        }
        StartUpRun run = s.apply("/config");
        EXPECT_FALSE(run.no_option_applied);
        EXPECT_EQ(s.boxes(), c.boxes);
        EXPECT_EQ(s.rig.ui.quitting(), c.quit);
        EXPECT_EQ(g_scan_images_at_start, c.scan);
        EXPECT_EQ(s.items("image_combo"), c.items);
        if (c.details.empty()) {
            EXPECT_FALSE(s.main->control_visible("image_size_label"));
            continue;
        }
        EXPECT_EQ(s.main->selected("image_combo"), 0);
        Strings details;
        for (const char* label :
             {"image_location_label", "image_type_label", "image_size_label", "image_time_label"})
            details.push_back(s.main->text(label));
        EXPECT_EQ(details, c.details);
        EXPECT_TRUE(s.main->control_visible("image_size_label"));
        EXPECT_TRUE(s.main->control_visible("image_time_label"));
    }
}

}  // namespace
}  // namespace qv
