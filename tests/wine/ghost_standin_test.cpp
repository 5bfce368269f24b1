// The stand-in Ghost under Wine, started with the very command lines the program builds: the image
// check through the command interpreter, the partition restore directly; and the write probe on a
// real drive.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "encoding.h"
#include "jobs/ghost_restore.h"
#include "jobs/start_checks.h"
#include "win32_os.h"

namespace {

using qv::win32::narrow;
using qv::win32::widen;

std::wstring build_folder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring standin(const std::wstring& file) {
    return build_folder() + L"\\standin\\" + file;
}

// An empty folder of the test's own below the build folder.
std::wstring scratch(const std::wstring& name) {
    std::wstring root = build_folder() + L"\\wine-scratch";
    CreateDirectoryW(root.c_str(), nullptr);
    std::wstring folder = root + L"\\" + name;
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string read_all(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(file);
    return bytes;
}

bool write_all(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Finished {
    int exit_code = -1;
    std::string output;
};

// Runs a command line hidden with its output on one pipe and waits for it, as the capture runner
// does; `started` is false when the process could not be created.
Finished run(const std::string& command_line, bool* started = nullptr) {
    Finished result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return result;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = write_end;
    si.hStdError = write_end;
    PROCESS_INFORMATION pi{};
    std::wstring line = widen(command_line);
    bool ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &si, &pi) != FALSE;
    CloseHandle(write_end);
    if (started != nullptr) *started = ok;
    if (ok) {
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(read_end, buf, sizeof buf, &got, nullptr) && got > 0)
            result.output.append(buf, got);
        WaitForSingleObject(pi.hProcess, 30000);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        result.exit_code = static_cast<int>(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(read_end);
    return result;
}

// The stand-in as the program's Ghost, its map and its log, in a scratch folder of the test.
struct GhostPlace {
    std::wstring folder;
    std::wstring target;
    std::wstring log;
    std::string ghost;

    explicit GhostPlace(const std::wstring& name) {
        folder = scratch(name);
        target = folder + L"\\分区 1-3";
        CreateDirectoryW(target.c_str(), nullptr);
        write_all(folder + L"\\map.txt", "# test map\r\n1:3 = " + utf8(target) + "\r\n");
        log = folder + L"\\log.txt";
        SetEnvironmentVariableW(L"QV_GHOST_MAP", (folder + L"\\map.txt").c_str());
        SetEnvironmentVariableW(L"QV_STANDIN_LOG", log.c_str());
        ghost = narrow(standin(L"Norvex32.exe"));
    }
    ~GhostPlace() {
        for (const wchar_t* name : {L"QV_GHOST_MAP", L"QV_STANDIN_LOG", L"QV_NORVEX32_REFUSE"})
            SetEnvironmentVariableW(name, nullptr);
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
        std::string text = read_all(log);
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            std::string line = text.substr(at, end - at);
            at = end == std::string::npos ? text.size() : end + 1;
            std::size_t start = line.find("\tstart\t");
            if (start != std::string::npos)
                out += line.substr(line.find('\t', start + 7) + 1) + "\n";
        }
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.as));
        std::string image = place.image(c.built, c.as);
        Finished r = run("cmd.exe /c " + qv::ghost_check_image_command(place.ghost, image));
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
    Finished r = run(command);
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
        Finished r = run(c.command);
        EXPECT_EQ(r.exit_code, c.exit_code) << r.output;
        EXPECT_FALSE(r.output.empty());
        EXPECT_FALSE(exists(place.target + L"\\已还原.txt"));
    }
    EXPECT_FALSE(exists(place.folder + L"\\outside.txt"));

    SetEnvironmentVariableW(L"QV_NORVEX32_REFUSE", L"1");
    EXPECT_EQ(run(place.restore_command(sample, "1:3")).exit_code, 5);
    SetEnvironmentVariableW(L"QV_NORVEX32_REFUSE", nullptr);
    EXPECT_FALSE(exists(place.target + L"\\已还原.txt"));

    EXPECT_EQ(run(place.restore_command(locked, "1:3", " -pwd=secret")).exit_code, 0);
    EXPECT_EQ(read_all(place.target + L"\\已还原.txt"), kRestoredNote);
    // Ignoring CRC errors restores even the damaged image.
    EXPECT_EQ(run(place.restore_command(damaged, "1:3")).exit_code, 0);
}

// A Ghost file that is not a program cannot be started: the system refuses to create the process.
TEST(GhostStandIn, AGhostThatIsNoProgramDoesNotStart) {
    GhostPlace place(L"ghost-broken");
    std::wstring broken = place.folder + L"\\Norvex32.exe";
    write_all(broken, "not a program");
    bool started = true;
    run(qv::ghost_restore_command(narrow(broken), place.image(L"sample.GHO", L"s.GHO"), "1:3", "",
                                  "", ""),
        &started);
    EXPECT_FALSE(started);
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
