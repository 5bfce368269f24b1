// The stand-in Ghost under Wine, started with the very command lines the program builds: the image
// check through the command interpreter, the partition restore directly; and the write probe on a
// real drive.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "encoding.h"
#include "jobs/ghost_restore.h"
#include "jobs/start_checks.h"
#include "jobs/whole_disk_layouts.h"
#include "support/files.h"
#include "support/standins.h"
#include "win32_os.h"

namespace {

using qv::win32::narrow;
using qv::win32::widen;

using namespace qv::wine_support;

// The stand-in as the program's Ghost, its map and its log, in a scratch folder of the test.
struct GhostPlace {
    std::wstring folder;
    std::wstring target;
    std::wstring log;
    std::string ghost;

    explicit GhostPlace(const std::wstring& name) {
        folder = scratch_folder(name);
        target = folder + L"\\分区 1-3";
        CreateDirectoryW(target.c_str(), nullptr);
        use_ghost_map(folder, "# test map\r\n1:3 = " + utf8(target) + "\r\n");
        log = folder + L"\\log.txt";
        set_env(L"QV_STANDIN_LOG", log);
        ghost = narrow(standin(L"Norvex32.exe"));
    }
    ~GhostPlace() {
        for (const wchar_t* name : {L"QV_GHOST_MAP", L"QV_STANDIN_LOG", L"QV_NORVEX32_REFUSE"})
            set_env(name, L"");
    }
    // A stand-in image of the build, copied under a name of the test's choice.
    std::string image(const wchar_t* built, const std::wstring& as) {
        std::wstring path = folder + L"\\" + as;
        CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
        CopyFileW(standin(std::wstring(L"images\\") + built).c_str(), path.c_str(), FALSE);
        return narrow(path);
    }
    std::string restore_command(const std::string& image, const std::string& disk_partition,
                                const std::string& password_part = "", bool crcignore = true) {
        return qv::ghost_restore_command(ghost, image, disk_partition,
                                         crcignore ? " -crcignore " : "", " -noide", password_part);
    }
    std::string logged_starts() const {
        std::string out;
        for (const std::string& line : started_commands(log)) out += line + "\n";
        return out;
    }
};

// The fixture's file is UTF-8 text.
const char kRestoredNote[] = u8"这个分区由测试用的 Ghost 映像还原。\r\n";

TEST(GhostStandIn, ImageCheckPrintsNothingOnlyForASoundImage) {
    qv::win32::install_win32_os();
    GhostPlace place(L"ghost-check");
    const struct {
        const wchar_t* built;
        const wchar_t* as;
        bool sound;
    } cases[] = {
        {L"sample.GHO", L"sample.GHO", true},
        {L"damaged.GHO", L"damaged.GHO", false},
        // The command interpreter would split the blank and act on "&" without the quotes.
        {L"sample.GHO", L"My Images\\a&b.GHO", true},
        {L"damaged.GHO", L"My Images\\c&d.GHO", false},
        // Nor would it leave a defined variable's name as it is, even inside quotes.
        {L"sample.GHO", L"%PATH% 50% 镜像\\e&f.GHO", true},
        {L"damaged.GHO", L"%PATH% 50% 镜像\\g&h.GHO", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.as));
        std::string image = place.image(c.built, c.as);
        Finished r =
            run_captured("cmd.exe /c " + qv::ghost_check_image_command(place.ghost, image));
        if (c.sound) {
            EXPECT_EQ(r.output, "");
            EXPECT_EQ(r.exit_code, 0);
        } else {
            EXPECT_NE(r.output.find("CRC error"), std::string::npos) << r.output;
            EXPECT_EQ(r.exit_code, 1);
        }
    }
    EXPECT_NE(place.logged_starts().find("-CHKIMG,\"" +
                                         place.image(L"sample.GHO", L"My Images\\a&b.GHO") + "\""),
              std::string::npos)
        << place.logged_starts();
}

TEST(GhostStandIn, RestoreWritesTheImageIntoTheMappedFolderOnly) {
    qv::win32::install_win32_os();
    GhostPlace place(L"ghost-restore");
    std::string image = place.image(L"sample.GHO", L"GHO\\win7.GHO");
    std::string command = place.restore_command(image, "1:3");
    ASSERT_EQ(command, place.ghost + " -clone,mode=pload,src=\"" + image +
                           "\":1,dst=1:3 -crcignore  -noide -sure  -fx");
    Finished r = run_captured(command);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(read_all(place.target + L"\\已还原.txt"), kRestoredNote);
    EXPECT_EQ(read_all(place.target + L"\\Windows\\System32\\config.sys"),
              "stand-in system file\r\n");
    EXPECT_TRUE(exists(place.target + L"\\Program Files\\空文件夹"));
    // The tool sees exactly the command line the program built.
    EXPECT_EQ(place.logged_starts(), command + "\n");
}

TEST(GhostStandIn, RestoreRefusesWithoutWritingAnything) {
    qv::win32::install_win32_os();
    GhostPlace place(L"ghost-refusals");
    std::string sample = place.image(L"sample.GHO", L"sample.GHO");
    std::string damaged = place.image(L"damaged.GHO", L"damaged.GHO");
    std::string locked = place.image(L"locked.GHO", L"locked.GHO");
    // An image whose entry would climb out of the partition's folder.
    std::string escaping = narrow(place.folder + L"\\escape.GHO");
    write_all(widen(escaping), "QVGHO 1\n\nfile 1 0000000000000000 ../outside.txt\nx\nend\n");
    const struct {
        const char* name;
        std::string command;
        int exit_code;
    } cases[] = {
        {"unmapped partition", place.restore_command(sample, "1:2"), 4},
        {"image missing", place.restore_command(sample + ".none", "1:3"), 2},
        {"damaged, CRC checked", place.restore_command(damaged, "1:3", "", false), 1},
        {"no password", place.restore_command(locked, "1:3"), 3},
        {"wrong password", place.restore_command(locked, "1:3", " -pwd=other"), 3},
        {"outside the partition", place.restore_command(escaping, "1:3"), 1},
        {"unknown switch", place.restore_command(sample, "1:3") + " -format", 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Finished r = run_captured(c.command);
        EXPECT_EQ(r.exit_code, c.exit_code) << r.output;
        EXPECT_FALSE(r.output.empty());
        EXPECT_FALSE(exists(place.target + L"\\已还原.txt"));
    }
    EXPECT_FALSE(exists(place.folder + L"\\outside.txt"));

    SetEnvironmentVariableW(L"QV_NORVEX32_REFUSE", L"1");
    EXPECT_EQ(run_captured(place.restore_command(sample, "1:3")).exit_code, 5);
    SetEnvironmentVariableW(L"QV_NORVEX32_REFUSE", nullptr);
    EXPECT_FALSE(exists(place.target + L"\\已还原.txt"));

    EXPECT_EQ(run_captured(place.restore_command(locked, "1:3", " -pwd=secret")).exit_code, 0);
    EXPECT_EQ(read_all(place.target + L"\\已还原.txt"), kRestoredNote);
    // Ignoring CRC errors restores even the damaged image.
    EXPECT_EQ(run_captured(place.restore_command(damaged, "1:3")).exit_code, 0);
}

// A whole-disk load names its layout image in the folder of the mapped disk and nowhere else;
// started by hand, with no arguments, Ghost stays open for its delay and ends well.
TEST(GhostStandIn, WholeDiskLoadOnlyOntoAMappedDisk) {
    qv::win32::install_win32_os();
    GhostPlace place(L"ghost-load");
    const std::wstring disk = place.folder + L"\\disk 1";
    CreateDirectoryW(disk.c_str(), nullptr);
    use_ghost_map(place.folder, "1:3=" + utf8(place.target) + "\r\n1 = " + utf8(disk) + "\r\n");
    const std::string layout = narrow(place.folder + L"\\system32\\");
    make_folders_to(widen(layout));
    ASSERT_TRUE(write_all(widen(layout + "HD4.GHO"), "layout"));
    const struct {
        const char* name;
        std::string image;
        const char* disk;
        int exit_code;
    } refusals[] = {
        {"unmapped disk", layout + "\\HD4.GHO", "2", 4},
        {"a partition for a disk", layout + "\\HD4.GHO", "1:3", 10},
        {"layout missing", layout + "\\HD5.GHO", "1", 2},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.name);
        Finished r = run_captured(place.ghost + " -nousb -clone,mode=load,src=" + c.image +
                                  ",dst=" + c.disk + " -fx -sure");
        EXPECT_EQ(r.exit_code, c.exit_code) << r.output;
        EXPECT_FALSE(r.output.empty());
    }
    EXPECT_FALSE(exists(disk + L"\\whole-disk-layout.txt"));
    EXPECT_FALSE(exists(place.target + L"\\whole-disk-layout.txt"));

    const std::string command = qv::ghost_disk_clone_command(place.ghost, layout, "HD4.GHO");
    Finished r = run_captured(command);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(read_all(disk + L"\\whole-disk-layout.txt"), layout + "\\HD4.GHO\r\n");
    EXPECT_FALSE(exists(place.target + L"\\whole-disk-layout.txt"));

    set_env(L"QV_NORVEX32_DELAY_MS", L"400");
    DWORD started = GetTickCount();
    r = run_captured(place.ghost);
    set_env(L"QV_NORVEX32_DELAY_MS", L"");
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_GE(GetTickCount() - started, 400u);
}

// A Ghost file that is not a program cannot be started: the system refuses to create the process.
TEST(GhostStandIn, AGhostThatIsNoProgramDoesNotStart) {
    qv::win32::install_win32_os();
    GhostPlace place(L"ghost-broken");
    std::wstring broken = place.folder + L"\\Norvex32.exe";
    write_all(broken, "not a program");
    EXPECT_FALSE(
        run_captured(qv::ghost_restore_command(narrow(broken), place.image(L"sample.GHO", L"s.GHO"),
                                               "1:3", "", "", ""))
            .started);
}

// The probe on a real drive: it writes and removes its file; a probe file that cannot be replaced
// (read-only, as one left on a write-protected medium) makes the drive count as not writable.
TEST(WriteProbe, NeedsAWriteThatSucceededOnARealDrive) {
    qv::win32::install_win32_os();
    const std::wstring probe = L"C:\\Marlune.Tmp";
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(probe.c_str());
    EXPECT_TRUE(qv::test_partition_writable("c:\\"));
    EXPECT_FALSE(exists(probe));

    ASSERT_TRUE(write_all(probe, "left behind"));
    ASSERT_TRUE(SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(qv::test_partition_writable("C:\\"));
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(probe.c_str());

    // Wine's Windows folder is on C:, whatever case a path names it in.
    EXPECT_TRUE(qv::is_on_windows_drive("c:\\"));
    EXPECT_FALSE(qv::is_on_windows_drive("D:\\"));
}

}  // namespace
