#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "base/helpers.h"
#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "fixture_files.h"
#include "jobs/ghost_switches.h"
#include "jobs/imagex_apply.h"
#include "jobs/start_checks.h"
#include "jobs/virtual_drive.h"
#include "main_window/main_window.h"
#include "shell/main_window_handlers.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int64_t kMB = 1024 * 1024;
constexpr const char* kCaption = "C:\\(1:1)";

// Everything a press looks at, in a form that a test can break one fact at a time. The defaults
// pass every check: the target C: (1:1) is a writable hard disk, the image lies on D:, the
// system runs from X:.
struct Knobs {
    std::string image = "D:\\GHO\\w7.gho";
    std::int64_t image_bytes = 200 * kMB;
    bool image_exists = true;
    bool image_is_folder = false;  // an I386 folder
    std::string setup_description = "Stub Loader for WINNT32 Setup Program";
    bool row = true;
    std::string row_root = "C:\\";
    bool row_drive_exists = true;
    std::string target_root = "C:\\";
    std::string windows = "X:\\WINDOWS";
    bool writable = true;
    std::string type = "硬盘驱动器";
    std::string save_path = "D:\\BAK\\c.gho";
    bool save_exists = false;
    std::string desktop = "D:\\Desktop\\";
    std::string optical = "F:\\ 总大小：650 MB，文件系统：CDFS";
    bool disc_inserted = true;
    bool disc_setup = false;
    bool disc_wim = true;
    bool check_image = false;
    bool password_required = false;
    std::string password;
};

std::string setup_program(const std::string& image) {
    return upper_ascii(get_file_title(image, true)) == "WINNT32.EXE" ? image
                                                                     : image + "\\winnt32.EXE";
}

// A machine made from the knobs, ready for a press of the start button.
struct Press {
    fakes::MainWindowRig rig;
    ui::Window* main = nullptr;

    Press(StartMode mode, const Knobs& k, std::initializer_list<int> answers = {},
          bool now = true) {
        g_ghost_exe_path = "X:\\WINDOWS\\Norvex32.exe";
        g_imagex_exe_name = "Imagex.exe";
        auto& files = rig.os.files;
        files.windows = k.windows;
        files.special[16] = k.desktop;
        files.add_file("X:\\WINDOWS\\Norvex32.exe", "ghost");
        files.fail_writes(!k.writable);
        rig.os.drives.add("C:\\", os::kDriveFixed, 0, 1);
        rig.os.drives.add("D:\\", os::kDriveFixed, 0, 2);
        if (k.row_drive_exists) files.add_folder(k.row_root);
        files.add_folder("D:\\");
        if (k.image_is_folder) {
            files.add_folder(k.image);
        } else if (!k.image.empty() && k.image_exists) {
            files.add_file_of_size(k.image, k.image_bytes);
        }
        std::string setup = setup_program(k.image);
        files.add_file(setup, "setup");
        files.entry(setup)->description = k.setup_description;
        files.entry(setup)->version = "5.1.2600.0";
        if (k.save_exists) files.add_file(k.save_path, "old");
        fakes::FakeDrive& disc = rig.os.drives.add("F:\\", os::kDriveCdrom, 1, 0);
        disc.space_readable = k.disc_inserted;
        files.add_folder("F:\\");
        if (k.disc_setup) {
            files.add_file("F:\\I386\\winnt32.EXE", "setup");
            files.entry("F:\\I386\\winnt32.EXE")->description =
                "STUB LOADER FOR WINNT32 SETUP PROGRAM";
            files.entry("F:\\I386\\winnt32.EXE")->version = "5.2.3790.0";
        }
        if (k.disc_wim) files.add_file_of_size("F:\\sources\\install.wim", 2000 * kMB);
        for (int a : answers) rig.os.notices.answers.push_back(a);
        // The edition list that the imagex restore window reads when it opens.
        fakes::FakeProcesses::Script info;
        info.match = "/INFO";
        info.output = testing_fixtures::read_fixture("wim_info/four_editions.txt");
        rig.os.processes.scripts.push_back(info);

        main = &rig.open_main_window();
        main->set_checked("restore_radio", mode == StartMode::Restore);
        main->set_checked("backup_radio", mode == StartMode::Backup);
        main->set_checked("disc_install_radio", mode == StartMode::DiscInstall);
        if (mode == StartMode::Backup) ui::show_backup_panel(*main);
        if (mode == StartMode::DiscInstall) {
            main->set_visible("image_combo", false);
            main->set_visible("optical_drive_combo", true);
        }
        add_item("image_combo", k.image);
        add_item("backup_path_combo", k.save_path);
        add_item("optical_drive_combo", k.optical);
        main->add_row("partition_list", {k.row_root, "1:1", "", k.type, "20.00 GB", "10.00 GB"});
        if (k.row) main->select_row("partition_list", 0);
        main->set_text("selected_caption_label", kCaption);
        main->set_text("selected_disk_partition_label", "1:1");
        main->set_text("selected_drive_label", k.target_root);
        main->set_text("selected_drive_type_label", k.type);
        main->set_checked("integrity_check", k.check_image);
        if (k.password_required) {
            fakes::click(*main, "password_check");
            fakes::type_text(*main, "password_edit", k.password);
        }
        if (now) click_start();
    }
    void click_start() { EXPECT_TRUE(fakes::click(*main, "start_button")); }
    void add_item(const char* combo, const std::string& text) {
        if (text.empty()) return;
        main->add_item(combo, text);
        main->select(combo, 0);
    }
    Strings boxes() const { return rig.os.notices.hint_texts_and_styles(); }
    // The job windows reached, as the runtime opened them.
    Strings opened() const { return rig.ui.modal_log(); }
};

// The checks by name, each with the fact that breaks it.
enum Id {
    NoRow,
    RowDriveMissing,
    NotAFolder,
    ImageOnTarget,
    WindowsDrive,
    Probe,
    SmallImage,
    NotOriginalSetup,
    TypeEmpty,
    NotHardDisk,
    SaveEmpty,
    SaveOnTarget,
    SaveOnPe,
    SaveOnDesktop,
    SaveExists,
    NoOpticalDrive,
    NoDisc,
};

const std::map<Id, std::function<void(Knobs&)>> kBreakers = {
    {NoRow, [](Knobs& k) { k.row = false; }},
    {RowDriveMissing, [](Knobs& k) { k.row_drive_exists = false; }},
    {NotAFolder, [](Knobs& k) { k.image_is_folder = false; }},
    // Letters in lower case: the drive is the same whatever case the path was written in.
    {ImageOnTarget, [](Knobs& k) { k.image[0] = 'c'; }},
    {WindowsDrive, [](Knobs& k) { k.windows = "c:\\windows"; }},
    {Probe, [](Knobs& k) { k.writable = false; }},
    {SmallImage, [](Knobs& k) { k.image_bytes = 1023; }},
    {NotOriginalSetup, [](Knobs& k) { k.setup_description = "Setup Loader"; }},
    {TypeEmpty, [](Knobs& k) { k.type = ""; }},
    {NotHardDisk, [](Knobs& k) { k.type = "可移动驱动器"; }},
    {SaveEmpty, [](Knobs& k) { k.save_path = ""; }},
    {SaveOnTarget, [](Knobs& k) { k.save_path = "c:\\b.gho"; }},
    {SaveOnPe, [](Knobs& k) { k.save_path = "x:\\b.gho"; }},
    {SaveOnDesktop, [](Knobs& k) { k.save_path = "D:\\Desktop\\b.gho"; }},
    {SaveExists, [](Knobs& k) { k.save_exists = true; }},
    {NoOpticalDrive, [](Knobs& k) { k.optical = "未检测到光盘驱动器"; }},
    {NoDisc, [](Knobs& k) { k.disc_inserted = false; }},
};

// Breaks the check at `at` and every later one: only the first may speak, so the box shows the
// order. Later checks are broken first, so that where two breakers touch one fact the earlier
// check's breaker decides.
Knobs broken_from(Knobs k, const std::vector<Id>& order, std::size_t at) {
    for (std::size_t i = order.size(); i-- > at;) kBreakers.at(order[i])(k);
    return k;
}

struct KindCase {
    const char* name;
    Knobs knobs;
    std::vector<std::pair<Id, std::string>> checks;  // in their order, with the expected box
    Strings opened;                                  // after a press that passes
};

std::string question(const std::string& type) {
    return not_hard_disk_question(kCaption, type) + "|52";
}

Knobs with_image(const std::string& image, bool folder = false) {
    Knobs k;
    k.image = image;
    k.image_is_folder = folder;
    return k;
}

TEST(StartChecks, RestoreKindsRefuseInTheOrderOfTheirChecks) {
    const std::string in_use = std::string("选择的分区 ") + kCaption + " 正在使用！|48";
    const std::string missing = std::string("选择的分区 ") + kCaption + " 不存在！|16";
    const std::string probe =
        std::string("选择的分区 ") + kCaption + " 写入数据失败，请选择正确的分区！|16";
    const std::string restore_on_target = "需还原的分区不可与还原映像文件所在的路径相同！|48";
    const std::string install_on_target = "需安装的分区不可与还原映像文件所在的路径相同！|48";
    const KindCase cases[] = {
        {".GHO",
         with_image("D:\\GHO\\w7.gho"),
         {{NoRow, "请选择要还原的分区！|48"},
          {RowDriveMissing, missing},
          {ImageOnTarget, restore_on_target},
          {WindowsDrive, in_use},
          {Probe, probe},
          {SmallImage, "无效的Gho映像文件，请选择正确的Gho映像文件！|48"},
          {TypeEmpty, "请选择要还原的分区！|48"},
          {NotHardDisk, question("可移动驱动器")}},
         {"GhostRestoreWindow"}},
        {".WIM",
         with_image("D:\\w7.WIM"),
         {{NoRow, "请选择要还原的分区！|48"},
          {RowDriveMissing, missing},
          {WindowsDrive, in_use},
          {ImageOnTarget, restore_on_target},
          {Probe, probe},
          {SmallImage, "无效的WIM映像文件，请选择正确的WIM映像文件！|48"},
          {TypeEmpty, "请选择要还原的分区！|48"},
          {NotHardDisk, question("可移动驱动器")}},
         {"ImagexApplyWindow"}},
        {".SWM",
         with_image("D:\\w7.swm"),
         {{NoRow, "请选择要还原的分区！|48"},
          {RowDriveMissing, missing},
          {WindowsDrive, in_use},
          {ImageOnTarget, restore_on_target},
          {Probe, probe},
          {SmallImage, "无效的SWM分卷映像文件，请选择正确的SWM分卷映像文件！|48"},
          {TypeEmpty, "请选择要还原的分区！|48"},
          {NotHardDisk, question("可移动驱动器")}},
         {"ImagexApplyWindow"}},
        {"I386 folder",
         with_image("D:\\i386", true),
         {{NoRow, "请选择要安装Windows的分区！|48"},
          {RowDriveMissing, missing},
          {NotAFolder, missing},
          {WindowsDrive, in_use},
          {ImageOnTarget, install_on_target},
          {Probe, probe},
          {NotOriginalSetup, "D:\\i386 为非原版WinXP/2003系统盘！|48"},
          {TypeEmpty, "请选择要安装Windows的分区！|48"},
          {NotHardDisk, question("可移动驱动器")}},
         {"Winnt32SetupWindow"}},
        {"WINNT32.EXE",
         with_image("D:\\xp\\winnt32.exe"),
         {{NoRow, "请选择要安装Windows的分区！|48"},
          {RowDriveMissing, missing},
          {WindowsDrive, in_use},
          {ImageOnTarget, install_on_target},
          {Probe, probe},
          {NotOriginalSetup, "D:\\xp\\winnt32.exe 为非原版WinXP/2003系统盘！|48"},
          {TypeEmpty, "请选择安装Windows的分区！|48"},
          {NotHardDisk, question("可移动驱动器")}},
         {"Winnt32SetupWindow"}},
    };
    for (const KindCase& c : cases) {
        std::vector<Id> order;
        for (const auto& check : c.checks) order.push_back(check.first);
        for (std::size_t at = 0; at < order.size(); ++at) {
            SCOPED_TRACE(std::string(c.name) + ", check " + std::to_string(at + 1));
            Press p(StartMode::Restore, broken_from(c.knobs, order, at));
            EXPECT_EQ(p.boxes(), Strings{c.checks[at].second});
            EXPECT_TRUE(p.opened().empty());
            EXPECT_FALSE(p.rig.os.files.has("C:\\Marlune.Tmp"));
        }
        SCOPED_TRACE(std::string(c.name) + " passes");
        Press p(StartMode::Restore, c.knobs);
        EXPECT_TRUE(p.boxes().empty());
        EXPECT_EQ(p.opened(), c.opened);
        // The question of a removable target lets the press go on after Yes.
        Knobs removable = c.knobs;
        removable.type = "可移动驱动器";
        Press yes(StartMode::Restore, removable, {os::kIdYes});
        EXPECT_EQ(yes.boxes(), Strings{question("可移动驱动器")});
        EXPECT_EQ(yes.opened(), c.opened);
    }
}

TEST(StartChecks, RestoreImageIsCheckedBeforeTheTarget) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "请选择Gho、ISO、SWM、WIM映像文件！|48"},
        {"D:\\gone.gho", "D:\\gone.gho 不存在！|16"},
        {"D:\\w7.iso", "本工具支持Gho、ISO、SWM、WIM快速装机，请选择正确的文件！|48"},
    };
    for (const auto& [image, box] : cases) {
        SCOPED_TRACE(image);
        Knobs k = with_image(image);
        k.image_exists = std::string(image) != "D:\\gone.gho";
        k.row = false;
        Press p(StartMode::Restore, k);
        EXPECT_EQ(p.boxes(), Strings{box});
        EXPECT_TRUE(p.opened().empty());
    }
}

// The partition list takes the keyboard focus before its selected row is read, in every mode and
// whether or not a check then refuses.
TEST(StartChecks, EveryPressFocusesThePartitionList) {
    for (StartMode mode : {StartMode::Restore, StartMode::Backup, StartMode::DiscInstall}) {
        Knobs k;
        k.row = false;
        Press p(mode, k);
        EXPECT_EQ(fakes::headless(*p.main).focused(), "partition_list") << static_cast<int>(mode);
    }
}

TEST(StartChecks, ImageOfOneKilobytePassesTheSizeCheck) {
    Knobs k;
    k.image_bytes = 1024;
    Press p(StartMode::Restore, k);
    EXPECT_TRUE(p.boxes().empty());
    EXPECT_EQ(p.opened(), Strings{"GhostRestoreWindow"});
}

TEST(StartChecks, BackupRefusesInTheOrderOfItsChecks) {
    const std::vector<std::pair<Id, std::string>> checks = {
        {SaveEmpty, "请保存Gho、WIM映像文件！|48"},
        {NoRow, "请选择要备份的分区！|48"},
        {SaveOnTarget, "需备份的分区不可与保存备份映像文件路径相同！|48"},
        {RowDriveMissing, std::string("选择的分区 ") + kCaption + " 不存在！|16"},
        {TypeEmpty, "请选择要备份的分区！|48"},
        {WindowsDrive, std::string("选择的分区 ") + kCaption + " 正在使用！|48"},
        {SaveOnPe,
         std::string("不可将 ") + kCaption +
             " 备份文件保存到WinPE系统分区！\r\n注意：此保存路径为内存分区，保存到此路径，"
             "将备份失败且导致死机等！|48"},
        {SaveOnDesktop,
         std::string("不可将 ") + kCaption + " 备份文件保存到桌面目录，请重新选择保存路径！|48"},
        {SaveExists, "D:\\Desktop\\b.gho 已存在，是否覆盖？|52"},
        {NotHardDisk, std::string("你选择的 ") + kCaption + " 是可移动驱动器，是否继续？|52"},
    };
    std::vector<Id> order;
    for (const auto& check : checks) order.push_back(check.first);
    for (std::size_t at = 0; at < order.size(); ++at) {
        SCOPED_TRACE("check " + std::to_string(at + 1));
        Knobs k = broken_from(Knobs{}, order, at);
        Press p(StartMode::Backup, k);
        std::string expected = checks[at].second;
        if (order[at] == SaveExists) expected = k.save_path + " 已存在，是否覆盖？|52";
        EXPECT_EQ(p.boxes(), Strings{expected});
        EXPECT_TRUE(p.opened().empty());
    }
}

TEST(StartChecks, BackupOpensTheWindowOfItsFileType) {
    struct Case {
        const char* save;
        bool password_required;
        Strings boxes, opened;
    };
    const Case cases[] = {
        {"D:\\BAK\\c.GHO", false, {}, {"GhostBackupWindow"}},
        {"D:\\BAK\\c.wim", false, {}, {"ImagexCaptureWindow"}},
        {"D:\\BAK\\c.gho", true, {"请输入Gho密码|48"}, {}},
        {"D:\\BAK\\c.iso", false, {"本工具支持Gho、WIM备份，请输入正确的文件！|48"}, {}},
        // The desktop is found whatever case the path was written in.
        {"d:\\desktop\\c.gho",
         false,
         {std::string("不可将 ") + kCaption + " 备份文件保存到桌面目录，请重新选择保存路径！|48"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.save);
        Knobs k;
        k.save_path = c.save;
        k.password_required = c.password_required;
        Press p(StartMode::Backup, k);
        EXPECT_EQ(p.boxes(), c.boxes);
        EXPECT_EQ(p.opened(), c.opened);
    }
}

// A double quote in the password would end up among Ghost's switches: the start button refuses
// such a password for the restore and the backup alike, and nothing starts; every other password
// reaches Ghost as it always did.
TEST(StartChecks, GhostPasswordWithADoubleQuoteIsRefused) {
    EXPECT_EQ(ghost_password_quote_refusal_text(), "Gho密码不能包含双引号（\"）！");
    const struct {
        const char* password;
        const char* part;  // null: refused
    } cases[] = {
        {"a\"b -sure -fx", nullptr}, {"\"", nullptr},           {"密\"码", nullptr},
        {"abc123", " -pwd=abc123 "}, {"a b", " -pwd=\"a b\" "}, {"密码", " -pwd=密码 "},
    };
    for (StartMode mode : {StartMode::Restore, StartMode::Backup}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(mode == StartMode::Restore ? "restore " : "backup ") +
                         c.password);
            Knobs k;
            k.password_required = true;
            k.password = c.password;
            Press p(mode, k, {}, false);
            for (const char* window : {"GhostRestoreWindow", "GhostBackupWindow"})
                p.rig.ui.on_modal(window, [](ui::Window& w) { fakes::click(w, "ok_button"); });
            p.click_start();
            const Strings ghost = p.rig.os.processes.commands();
            if (c.part == nullptr) {
                EXPECT_EQ(p.boxes(), Strings{"Gho密码不能包含双引号（\"）！|48"});
                EXPECT_TRUE(p.opened().empty());
                EXPECT_TRUE(ghost.empty());
                continue;
            }
            EXPECT_TRUE(p.boxes().empty());
            EXPECT_EQ(p.opened().size(), 1u);
            ASSERT_EQ(ghost.size(), 1u);
            EXPECT_NE(ghost[0].find(c.part), std::string::npos) << ghost[0];
        }
    }
}

TEST(StartChecks, DiscInstallRefusesInTheOrderOfItsChecks) {
    const std::vector<std::pair<Id, std::string>> checks = {
        {NoOpticalDrive, "未检测到任何光盘驱动器！|48"},
        {NoDisc, "请将系统光盘插入 F:\\ ！|48"},
        {NoRow, "请选择要安装的分区！|48"},
        {RowDriveMissing, std::string("选择的分区 ") + kCaption + " 不存在！|16"},
        {WindowsDrive, std::string("选择的分区 ") + kCaption + " 正在使用！|48"},
        {Probe, std::string("选择的分区 ") + kCaption + " 写入数据失败，请选择正确的分区！|16"},
    };
    std::vector<Id> order;
    for (const auto& check : checks) order.push_back(check.first);
    for (std::size_t at = 0; at < order.size(); ++at) {
        SCOPED_TRACE("check " + std::to_string(at + 1));
        Knobs k = broken_from(Knobs{}, order, at);
        Press p(StartMode::DiscInstall, k);
        std::string expected = checks[at].second;
        if (order[at] == NoOpticalDrive) expected = "未检测到任何光盘驱动器！|48";
        EXPECT_EQ(p.boxes(), Strings{expected});
        EXPECT_TRUE(p.opened().empty());
    }
}

// What the disc holds decides: its setup program first, then its install.wim.
TEST(StartChecks, DiscInstallChoosesBySetupProgramThenImage) {
    struct Case {
        const char* name;
        bool setup, wim;
        std::string type;
        Strings boxes, opened;
        int install_mode;
        bool from_disc;
    };
    const Case cases[] = {
        {"setup and image", true, true, "硬盘驱动器", {}, {"Winnt32SetupWindow"}, 1, false},
        {"setup, no type", true, false, "", {"请选择要安装的分区！|48"}, {}, 0, false},
        {"image", false, true, "硬盘驱动器", {}, {"ImagexApplyWindow"}, 0, true},
        {"image, no type", false, true, "", {"请选择要还原的分区！|48"}, {}, 0, true},
        {"image, removable", false, true, "可移动驱动器", {question("可移动驱动器")}, {}, 0, true},
        {"neither",
         false,
         false,
         "硬盘驱动器",
         {"      F:\\ 为非原版Windows系统光盘！\r\n本功能仅支持原版Windows系统光盘一键安装。\r\n"
          "   其他系统光盘请使用 还原分区(&R) 功能！|48"},
         {},
         0,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Knobs k;
        k.disc_setup = c.setup;
        k.disc_wim = c.wim;
        k.type = c.type;
        Press p(StartMode::DiscInstall, k);
        EXPECT_EQ(p.boxes(), c.boxes);
        EXPECT_EQ(p.opened(), c.opened);
        EXPECT_EQ(g_install_mode, c.install_mode);
        EXPECT_EQ(g_from_install_disc, c.from_disc);
        if (c.setup) {
            EXPECT_EQ(g_winnt32_version, "5.2.3790.0");
            EXPECT_EQ(g_setup_system_name, " Server 2003");
        }
        if (c.opened == Strings{"ImagexApplyWindow"}) {
            EXPECT_EQ(p.rig.os.processes.commands().front(),
                      "cmd.exe /c Imagex.exe /INFO F:\\sources\\install.wim");
        }
    }
}

// The setup openers mark the program busy for the setup window and record the setup's origin.
// The image lies on a disc that this run mounted from an image file on the target partition.
TEST(StartChecks, RefusesADiscImageMountedFromTheTarget) {
    struct Case {
        const char* image;
        bool folder;
        const char* refusal;
    } cases[] = {
        {"Z:\\sources\\install.wim", false, "需还原的分区不可与还原映像文件所在的路径相同！|48"},
        {"Z:\\I386", true, "需安装的分区不可与还原映像文件所在的路径相同！|48"}};
    for (const Case& c : cases) {
        Press p(StartMode::Restore, with_image(c.image, c.folder), {}, false);
        remember_mounted_iso("Z", "c:\\iso\\disc.iso");
        p.click_start();
        EXPECT_EQ(p.boxes(), Strings{c.refusal}) << c.image;
        EXPECT_TRUE(p.opened().empty()) << c.image;
    }
}

// The disc drive is an image file mounted from the target partition: the start button refuses
// that target before the editions are read or the setup window opens, ahead of the target's type,
// for the install.wim and the XP setup alike. A disc image elsewhere, or a disc the run did not
// mount, passes.
TEST(StartChecks, DiscInstallRefusesTheTargetHoldingTheDiscImage) {
    const std::string refusal = "需安装的分区不可与还原映像文件所在的路径相同！|48";
    struct Case {
        const char* name;
        const char* iso;  // mounted on F:, none when empty
        bool setup;
        std::string type;
        Strings boxes, opened;
    };
    const Case cases[] = {
        {"image from the target", "c:\\iso\\g7.iso", false, "硬盘驱动器", {refusal}, {}},
        {"before the type", "C:\\iso\\g7.iso", false, "", {refusal}, {}},
        {"image elsewhere", "D:\\iso\\g7.iso", false, "硬盘驱动器", {}, {"ImagexApplyWindow"}},
        {"a real disc", "", false, "硬盘驱动器", {}, {"ImagexApplyWindow"}},
        {"XP setup", "C:\\iso\\xp.iso", true, "硬盘驱动器", {refusal}, {}},
        {"XP setup before the type", "c:\\iso\\xp.iso", true, "", {refusal}, {}},
        {"XP setup before the question", "C:\\iso\\xp.iso", true, "可移动驱动器", {refusal}, {}},
        {"XP setup, image elsewhere",
         "D:\\iso\\xp.iso",
         true,
         "硬盘驱动器",
         {},
         {"Winnt32SetupWindow"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Knobs k;
        k.disc_setup = c.setup;
        k.type = c.type;
        Press p(StartMode::DiscInstall, k, {}, false);
        if (*c.iso) remember_mounted_iso("F", c.iso);
        p.click_start();
        EXPECT_EQ(p.boxes(), c.boxes);
        EXPECT_EQ(p.opened(), c.opened);
        EXPECT_EQ(p.rig.os.processes.commands().empty(), c.opened != Strings{"ImagexApplyWindow"});
    }
}

TEST(StartChecks, SetupOpenersRecordTheSetupOrigin) {
    Press folder(StartMode::Restore, with_image("D:\\I386", true), {}, false);
    bool busy_while_open = false;
    folder.rig.ui.on_modal("Winnt32SetupWindow", [&](ui::Window&) { busy_while_open = g_busy; });
    folder.click_start();
    EXPECT_EQ(folder.opened(), Strings{"Winnt32SetupWindow"});
    EXPECT_TRUE(busy_while_open);
    EXPECT_EQ(g_install_mode, 2);
    EXPECT_EQ(g_winnt32_version, "5.1.2600.0");
    EXPECT_EQ(g_setup_system_name, " XP");

    Press program(StartMode::Restore, with_image("D:\\xp\\WINNT32.EXE"));
    EXPECT_EQ(g_install_mode, 0);
    EXPECT_EQ(setup_system_name_of("5.0.2195"), "");
}

// The edition list of a WIM goes into the hidden box the imagex window reads, with the main
// window locked until that window has read it.
TEST(StartChecks, WimListsItsEditionsBeforeTheApplyWindow) {
    Press p(StartMode::Restore, with_image("D:\\My Images\\w7.wim"), {}, false);
    bool locked_while_listing = false;
    p.rig.ui.pump_hook = [&] { locked_while_listing |= !p.main->enabled("start_button"); };
    p.click_start();
    EXPECT_EQ(p.rig.os.processes.commands().front(),
              "cmd.exe /c Imagex.exe /INFO \"D:\\My Images\\w7.wim\"");
    EXPECT_EQ(p.main->text("edition_info_edit"),
              testing_fixtures::read_fixture("wim_info/four_editions.txt"));
    EXPECT_TRUE(locked_while_listing);
    bool loading_balloon = false;
    for (const auto& b : fakes::headless(*p.main).balloons())
        loading_balloon |= b.text == "正在加载系统版本，请稍后....." && b.timeout_ms == 3000;
    EXPECT_TRUE(loading_balloon);
    EXPECT_EQ(p.opened(), Strings{"ImagexApplyWindow"});
}

struct CheckedPress {
    const char* name;
    std::string output;
    int answer;  // to the question whether to check
    bool password_required;
    Strings boxes;
    Strings opened;
    bool checked;
};

// Ghost's image check: any output refuses the image; the main window is hidden and locked while
// Ghost reads it; with an empty password the refusal comes after the check.
TEST(StartChecks, GhostImageCheckRefusesOnAnyOutput) {
    const std::string ask = "还原前是否对镜像文件 D:\\GHO\\w7.gho 镜像文件进行完整性检查？|52";
    const CheckedPress cases[] = {
        {"sound",
         "",
         os::kIdYes,
         false,
         {ask, "经检查 D:\\GHO\\w7.gho 镜像文件非常完整！|64"},
         {"GhostRestoreWindow"},
         true},
        {"damaged",
         "Image file is corrupt",
         os::kIdYes,
         false,
         {ask, "D:\\GHO\\w7.gho 镜像文件不能通过完整性检查，程序无法继续！|16"},
         {},
         true},
        {"skipped", "", os::kIdNo, false, {ask}, {"GhostRestoreWindow"}, false},
        {"no password",
         "",
         os::kIdYes,
         true,
         {ask, "经检查 D:\\GHO\\w7.gho 镜像文件非常完整！|64", "请输入Gho密码|48"},
         {},
         true},
    };
    for (const CheckedPress& c : cases) {
        SCOPED_TRACE(c.name);
        Knobs k;
        k.check_image = true;
        k.password_required = c.password_required;
        auto press = std::make_unique<Press>(StartMode::Restore, k,
                                             std::initializer_list<int>{c.answer}, false);
        fakes::MainWindowRig* rig = &press->rig;
        fakes::FakeProcesses::Script chk;
        chk.match = "-CHKIMG";
        chk.output = c.output;
        chk.polls = 2;
        rig->os.processes.scripts.push_back(chk);
        // The main window as the user would see it while Ghost reads the image.
        struct Seen {
            bool hidden = false, locked = false, busy = false;
        } seen;
        ui::Window& main = *press->main;
        rig->ui.pump_hook = [&] {
            seen.hidden = seen.hidden || !main.visible();
            seen.locked = seen.locked || !main.enabled("start_button");
            seen.busy = seen.busy || g_busy;
        };
        press->click_start();
        EXPECT_EQ(press->boxes(), c.boxes);
        EXPECT_EQ(press->opened(), c.opened);
        if (!c.checked) {
            EXPECT_TRUE(rig->os.processes.launches.empty());
            continue;
        }
        EXPECT_EQ(rig->os.processes.commands(),
                  Strings{"cmd.exe /c X:\\WINDOWS\\Norvex32.exe   -CHKIMG,D:\\GHO\\w7.gho -sure  "
                          "-fx -BATCH "});
        EXPECT_EQ(main.text("image_check_output_edit"), c.output);
        EXPECT_TRUE(seen.hidden && seen.locked && seen.busy);
        EXPECT_TRUE(main.visible());
        EXPECT_TRUE(main.enabled("start_button"));
        EXPECT_FALSE(g_busy);
        EXPECT_EQ(fakes::balloon_texts(main), (Strings{"正在检查 D:\\GHO\\w7.gho 镜像文件完整性。",
                                                       "D:\\GHO\\w7.gho镜像文件完整性检查完成。"}));
    }
}

TEST(StartChecks, GhostImageCheckCommandQuotesPathsThatNeedIt) {
    const char* const cases[][3] = {
        {"X:\\WINDOWS\\Norvex32.exe", "D:\\GHO\\w7.gho",
         "X:\\WINDOWS\\Norvex32.exe   -CHKIMG,D:\\GHO\\w7.gho -sure  -fx -BATCH "},
        {"X:\\WINDOWS\\Norvex32.exe", "D:\\My Images\\a&b.gho",
         "X:\\WINDOWS\\Norvex32.exe   -CHKIMG,\"D:\\My Images\\a&b.gho\" -sure  -fx -BATCH "},
        // The interpreter drops the first and the last quote of a command that begins with one.
        {"D:\\My Tools\\Ghost32.exe", "D:\\GHO\\w7.gho",
         "\"\"D:\\My Tools\\Ghost32.exe\"   -CHKIMG,D:\\GHO\\w7.gho -sure  -fx -BATCH \""},
    };
    for (const auto& c : cases) EXPECT_EQ(ghost_check_image_command(c[0], c[1]), c[2]);
}

// The write probe counts only a write that succeeded; a probe file left behind on a drive that
// can no longer be written does not make it look writable.
TEST(StartChecks, WriteProbeNeedsASuccessfulWrite) {
    fakes::FakeOs os;
    os.files.add_folder("E:\\");
    EXPECT_TRUE(test_partition_writable("e:\\whatever"));
    EXPECT_EQ(os.files.writes, Strings{"e:\\Marlune.Tmp"});
    EXPECT_FALSE(os.files.has("E:\\Marlune.Tmp"));

    os.files.add_file("E:\\Marlune.Tmp", "left by an earlier run");
    EXPECT_TRUE(test_partition_writable("E:\\"));
    EXPECT_FALSE(os.files.has("E:\\Marlune.Tmp"));

    os.files.add_file("E:\\Marlune.Tmp", "left by an earlier run");
    os.files.fail_writes(true);
    EXPECT_FALSE(test_partition_writable("E:\\"));
    EXPECT_FALSE(test_partition_writable(""));
}

// A read-only drive can neither take a new probe nor lose the one an earlier run left there: the
// old file is still found after the write failed, and only the write's result tells. The start
// button refuses such a target, and so does the unattended restore.
TEST(StartChecks, ReadOnlyTargetWithAnOldProbeIsRefused) {
    {
        fakes::FakeOs fake;
        fake.files.add_folder("E:\\");
        fake.files.add_file("E:\\Marlune.Tmp", "left by an earlier run");
        fake.files.set_read_only_drive('e');
        EXPECT_FALSE(test_partition_writable("E:\\"));
        EXPECT_EQ(fake.files.contents("E:\\Marlune.Tmp"), "left by an earlier run");
        EXPECT_TRUE(fake.files.writes.empty());
    }
    const std::string refusal =
        std::string("选择的分区 ") + kCaption + " 写入数据失败，请选择正确的分区！|16";
    for (StartMode mode : {StartMode::Restore, StartMode::DiscInstall}) {
        SCOPED_TRACE(mode == StartMode::Restore ? "restore" : "disc install");
        Press p(mode, Knobs{}, {}, false);
        p.rig.os.files.add_file("C:\\Marlune.Tmp", "left by an earlier run");
        p.rig.os.files.set_read_only_drive('C');
        p.click_start();
        EXPECT_EQ(p.boxes(), Strings{refusal});
        EXPECT_TRUE(p.opened().empty());
    }
    fakes::FakeOs fake;
    fake.files.add_folder("C:\\");
    fake.files.add_file_of_size("D:\\w7.gho", 200 * kMB);
    fake.files.add_file("C:\\Marlune.Tmp", "left by an earlier run");
    fake.files.set_read_only_drive('C');
    fake.drives.add("C:\\", os::kDriveFixed, 0, 1);
    StartRun run = unattended_ghost_run("D:\\w7.gho", "C:\\", "C:\\(1:1)");
    Strings boxes;
    EXPECT_FALSE(pass_checks(run, unattended_ghost_checks(), [&](const std::string& text, int) {
        boxes.push_back(text);
        return os::kIdOk;
    }));
    EXPECT_EQ(boxes, Strings{"指定还原的分区 C:\\(1:1) 写入数据失败，请选择正确的分区！"});
}

TEST(StartChecks, DriveLettersCompareWithoutRegardToCase) {
    fakes::FakeOs os;
    os.files.windows = "x:\\windows";
    EXPECT_TRUE(is_on_windows_drive("X:\\"));
    EXPECT_FALSE(is_on_windows_drive("C:\\"));
    EXPECT_TRUE(same_drive_letter("d:\\x.gho", "D:\\"));
    EXPECT_FALSE(same_drive_letter("", "D:\\"));
    os.files.windows = "";
    EXPECT_FALSE(is_on_windows_drive("X:\\"));
}

TEST(StartChecks, ParentDirAndKinds) {
    const std::pair<const char*, const char*> parents[] = {
        {"D:\\Desktop\\b.gho", "D:\\Desktop\\"},
        {"D:\\Desktop\\", "D:\\"},
        {"D:\\", ""},
        {"b.gho", ""},
        // The trail byte 0x5C of "嘰" is no separator, at the end of the path or inside it.
        {"D:\\嘰\\b.gho", "D:\\嘰\\"},
        {"D:\\嘰", "D:\\"},
        {"D:\\x\\嘰b.gho", "D:\\x\\"},
    };
    for (const auto& [path, parent] : parents) EXPECT_EQ(parent_dir(path), parent) << path;

    const std::pair<const char*, RestoreKind> kinds[] = {
        {"D:\\a.Gho", RestoreKind::Ghost},         {"D:\\a.wim", RestoreKind::Wim},
        {"D:\\a.SWM", RestoreKind::Swm},           {"e:\\i386", RestoreKind::I386Folder},
        {"D:\\x\\i386", RestoreKind::Unsupported}, {"D:\\xp\\Winnt32.exe", RestoreKind::Winnt32},
        {"D:\\a.iso", RestoreKind::Unsupported},   {"", RestoreKind::Unsupported},
    };
    for (const auto& [image, kind] : kinds) EXPECT_EQ(restore_kind_of(image), kind) << image;
}

}  // namespace
}  // namespace qv
