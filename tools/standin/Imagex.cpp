// Stand-in for the Windows imaging tool. It acts only on the target folder it is given.
//
//   /INFO <image>   prints the tool's report with the image's XML: the bytes of the file named by
//                   QV_IMAGEX_INFO, else a built-in report of two editions.
//   /apply "<image>" <n> <target> [/ref <pattern>]
//                   prints progress lines "[ NN% ] Applying progress: m:ss mins remaining", one
//                   every QV_IMAGEX_STEP_MS milliseconds (default 100), copies a payload onto the
//                   target folder and prints "Successfully applied image.". The payload is the tree
//                   of the folder named by QV_IMAGEX_PAYLOAD, else Windows\explorer.exe (a copy of
//                   this program, which carries the version 6.1.7601.17514) and a placeholder
//                   Windows\System32\cmd.exe.
//   /capture <root> "<image>" "<name>" /compress <level> /temp <folder>
//                   needs the folder <root> and the temporary folder; prints progress lines
//                   "[ NN% ] Capturing progress: m:ss mins remaining" paced the same way, writes
//                   the image file (a short header naming the image, its compression and the files
//                   below <root>, padded with zeros to QV_IMAGEX_CAPTURE_KB kilobytes, default
//                   2048) and prints "Successfully imaged <root>". It reads <root> and writes only
//                   the image file.
//
// Switches besides the common ones (EXIT, DELAY_MS, HANG): QV_IMAGEX_NO_SUCCESS=1 leaves the
// success line out; QV_IMAGEX_HANG_AT=NN stops after the line of NN percent until it is killed.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "standin.h"

namespace {

const char* const kBanner =
    "\r\nImageX Tool for Windows\r\nCopyright (C) Microsoft Corp. All rights reserved.\r\n"
    "Version: 6.1.7600.16385\r\n\r\n";

const char* const kBuiltInInfo =
    "WIM Information:\r\n----------------\r\nImage Count: 2\r\nCompression: LZX\r\n"
    "Part Number: 1/1\r\n\r\nAvailable Image Choices:\r\n------------------------\r\n"
    "<WIM><TOTALBYTES>1048576</TOTALBYTES>"
    "<IMAGE INDEX=\"1\"><NAME>Windows 7 PROFESSIONAL</NAME>"
    "<DISPLAYNAME>Windows 7 %E4%B8%93%E4%B8%9A%E7%89%88</DISPLAYNAME></IMAGE>"
    "<IMAGE INDEX=\"2\"><NAME>Windows 7 ULTIMATE</NAME>"
    "<DISPLAYNAME>Windows 7 %E6%97%97%E8%88%B0%E7%89%88</DISPLAYNAME></IMAGE></WIM>\r\n";

const int kSteps[] = {0, 1, 5, 12, 27, 45, 63, 81, 95, 100};

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring with_backslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

void make_folders(const std::wstring& folder) {
    for (size_t i = 3; i <= folder.size(); ++i)
        if (i == folder.size() || folder[i] == L'\\')
            CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
}

bool copy_tree(const std::wstring& from, const std::wstring& to) {
    make_folders(to);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = copy_tree(from + name + L"\\", to + name + L"\\") && ok;
        else
            ok = CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE) != FALSE && ok;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return ok;
}

bool copy_built_in_payload(const std::wstring& target) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    make_folders(target + L"Windows\\System32\\");
    return CopyFileW(self, (target + L"Windows\\explorer.exe").c_str(), FALSE) != FALSE &&
           standin::write_file(target + L"Windows\\System32\\cmd.exe",
                               "stand-in command interpreter\r\n");
}

std::string progress_line(int percent, const char* verb) {
    char line[96];
    if (percent < 5) {
        std::snprintf(line, sizeof line, "[ %3d%% ] %s progress\r\n", percent, verb);
    } else {
        int seconds = (100 - percent) * 6;
        std::snprintf(line, sizeof line, "[ %3d%% ] %s progress: %d:%02d mins remaining\r\n",
                      percent, verb, seconds / 60, seconds % 60);
    }
    return line;
}

// Prints the progress lines, one a step; at QV_IMAGEX_HANG_AT it stays until it is killed.
void print_progress(const char* verb) {
    int step_ms = standin::tool_switch_int(L"STEP_MS", 100);
    int hang_at = standin::tool_switch_int(L"HANG_AT", -1);
    for (int percent : kSteps) {
        standin::print_bytes(progress_line(percent, verb));
        if (percent == hang_at) {
            for (;;) Sleep(1000);
        }
        Sleep(static_cast<DWORD>(step_ms));
    }
}

int info(const std::wstring& image) {
    standin::print_bytes(kBanner);
    if (!exists(image)) {
        standin::print_bytes("Error opening file [" + standin::to_utf8(image) +
                             "].\r\n\r\n"
                             "The system cannot find the file specified.\r\n\r\n");
        return standin::finish(2);
    }
    std::string report;
    std::wstring fixture = standin::tool_switch(L"INFO");
    if (fixture.empty() || !standin::read_file(fixture, report)) report = kBuiltInInfo;
    standin::print_bytes(report);
    return standin::finish(0);
}

int apply(const std::vector<std::wstring>& args) {
    standin::print_bytes(kBanner);
    if (args.size() < 4 || !exists(args[1])) {
        standin::print_bytes(
            "Error opening file.\r\n\r\nThe system cannot find the file specified.\r\n");
        return standin::finish(2);
    }
    std::wstring target = with_backslash(args[3]);
    if (!exists(target)) {
        standin::print_bytes("Error: the target folder does not exist.\r\n");
        return standin::finish(3);
    }
    print_progress("Applying");
    std::wstring payload = standin::tool_switch(L"PAYLOAD");
    bool copied = payload.empty() ? copy_built_in_payload(target)
                                  : copy_tree(with_backslash(payload), target);
    if (!copied) {
        standin::print_bytes("Error applying image.\r\n");
        return standin::finish(4);
    }
    if (standin::tool_switch_int(L"NO_SUCCESS", 0) == 0)
        standin::print_bytes("\r\nSuccessfully applied image.\r\n");
    return standin::finish(0);
}

// The files below a folder, by their paths below the captured root, one a line.
void list_files(const std::wstring& folder, const std::wstring& relative, std::string& out) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            list_files(folder + name + L"\\", relative + name + L"\\", out);
        else
            out += "file " + standin::to_utf8(relative + name) + "\r\n";
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

bool write_image(const std::wstring& path, const std::string& header, long long bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        WriteFile(file, header.data(), static_cast<DWORD>(header.size()), &written, nullptr) &&
        written == header.size();
    if (ok && bytes > static_cast<long long>(header.size())) {
        LARGE_INTEGER end;
        end.QuadPart = bytes;
        ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    }
    CloseHandle(file);
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

int capture(const std::vector<std::wstring>& args) {
    standin::print_bytes(kBanner);
    std::wstring compress, temp;
    for (size_t i = 4; i + 1 < args.size(); ++i) {
        std::wstring option = standin::upper(args[i]);
        if (option == L"/COMPRESS")
            compress = args[++i];
        else if (option == L"/TEMP")
            temp = args[++i];
    }
    if (args.size() < 4 || !exists(with_backslash(args[1]))) {
        standin::print_bytes(
            "Error imaging drive.\r\n\r\nThe system cannot find the path specified.\r\n");
        return standin::finish(2);
    }
    if (temp.empty() || !exists(with_backslash(temp))) {
        standin::print_bytes("Error: the temporary folder does not exist.\r\n");
        return standin::finish(3);
    }
    print_progress("Capturing");
    std::wstring root = with_backslash(args[1]);
    std::string header = "QVWIM 1\r\nname " + standin::to_utf8(args[3]) + "\r\ncompression " +
                         standin::to_utf8(compress) + "\r\n";
    list_files(root, L"", header);
    long long bytes = static_cast<long long>(standin::tool_switch_int(L"CAPTURE_KB", 2048)) * 1024;
    if (!write_image(args[2], header, bytes)) {
        standin::print_bytes("Error writing the image file.\r\n");
        return standin::finish(4);
    }
    if (standin::tool_switch_int(L"NO_SUCCESS", 0) == 0)
        standin::print_bytes("\r\nSuccessfully imaged " + standin::to_utf8(args[1]) + "\r\n");
    return standin::finish(0);
}

}  // namespace

int wmain() {
    standin::begin(L"imagex");
    // The output goes out exactly as written, line ends included.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::wstring> args = standin::arguments();
    std::wstring verb = args.empty() ? std::wstring() : standin::upper(args[0]);
    if (verb == L"/INFO" && args.size() >= 2) return info(args[1]);
    if (verb == L"/APPLY") return apply(args);
    if (verb == L"/CAPTURE") return capture(args);
    return standin::finish(0);
}
