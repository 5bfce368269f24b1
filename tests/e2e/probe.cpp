// A small outside observer for the end-to-end tests: it finds the program's windows by title the
// way a user sees them and reads or closes them, from another process, as automation would.
//
//   qv_probe wait TITLE [TIMEOUT_MS]   waits for a visible top-level window with that title;
//                                      prints "x y w h" of it, exit 0, or exit 1 on time-out
//   qv_probe controls TITLE            prints one line per child window: class, unit, text, flags
//   qv_probe close TITLE               posts WM_CLOSE to the window
//   qv_probe gone TITLE [TIMEOUT_MS]   waits until no window has that title; exit 1 on time-out
//   qv_probe click TITLE TEXT          clicks the window's enabled button whose text is TEXT
//   qv_probe rows TITLE UNIT           prints the rows of the window's list view whose unit name
//                                      is UNIT, one line each, its cells separated by tabs (the
//                                      window may be hidden)
//   qv_probe ping TITLE DURATION_MS    for that long, sends WM_NULL to the window (a hidden one
//                                      when no visible window has the title) again and again
//                                      (SendMessageTimeout, 10 s) and prints "longest N pings M":
//                                      the longest time in ms the window took to answer one;
//                                      exit 1 when it stopped answering or went away
//   qv_probe plug LETTER TYPE FOLDER   asks Wine's mount manager for the drive LETTER: of TYPE
//                                      (hd or cdrom) on the Unix FOLDER, as a drive plugged in
//                                      while programs run; waits until the letter answers
//   qv_probe unplug LETTER             asks the mount manager to remove the drive LETTER:, as a
//                                      drive pulled out; waits until the letter is gone
//   qv_probe number LETTER             prints the drive's disk and partition numbers as Ghost
//                                      counts them ("1:3": disks from 1); exit 1 when it has none
// Titles are passed as the shell passes them; texts are printed in UTF-8. Programs started inside a
// Wine virtual desktop see only that desktop's windows, so the probe runs there too, and its caller
// cannot read its output or exit code through the desktop's launcher: when QV_PROBE_OUT names a
// file, the output goes there, ending with a line "exit N".
#include <windows.h>
#include <commctrl.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "wine_mount_manager.h"

namespace {

std::string to_utf8(const std::wstring& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

struct Search {
    std::wstring title;
    bool hidden_too = false;
    HWND found = nullptr;
};

FILE* g_out = stdout;

BOOL CALLBACK match_title(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    if (s->title == text && (s->hidden_too || IsWindowVisible(w))) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND find_window(const std::wstring& title, bool hidden_too = false) {
    Search s{title, hidden_too};
    EnumWindows(match_title, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND wait_window(const std::wstring& title, DWORD timeout) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND w = find_window(title)) return w;
        if (GetTickCount() - start > timeout) return nullptr;
        Sleep(100);
    }
}

// The unit name is a global atom, readable from another process.
std::wstring unit_of(HWND w) {
    wchar_t unit[256] = {};
    auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(w, L"QvUnit")));
    if (atom != 0) GlobalGetAtomNameW(atom, unit, 256);
    return unit;
}

BOOL CALLBACK print_child(HWND w, LPARAM) {
    wchar_t cls[128] = {}, text[1024] = {};
    GetClassNameW(w, cls, 128);
    GetWindowTextW(w, text, 1024);
    std::wstring line = std::wstring(cls) + L"\t" + unit_of(w) + L"\t" + text + L"\t" +
                        (IsWindowVisible(w) ? L"visible" : L"hidden") + L"," +
                        (IsWindowEnabled(w) ? L"enabled" : L"disabled");
    std::fprintf(g_out, "%s\n", to_utf8(line).c_str());
    return TRUE;
}

struct ChildSearch {
    std::wstring text;
    HWND found = nullptr;
};

BOOL CALLBACK match_child(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ChildSearch*>(p);
    wchar_t text[1024] = {};
    GetWindowTextW(w, text, 1024);
    if (s->text == text) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

struct UnitSearch {
    std::wstring unit;
    HWND found = nullptr;
};

BOOL CALLBACK match_unit(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<UnitSearch*>(p);
    if (unit_of(w) != s->unit) return TRUE;
    s->found = w;
    return FALSE;
}

// Memory in another process, for messages whose pointers the receiving window writes through.
class RemoteBlock {
public:
    RemoteBlock(HWND owner, SIZE_T size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr)
            at_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (at_ != nullptr) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool valid() const { return at_ != nullptr; }
    char* at(SIZE_T offset) const { return static_cast<char*>(at_) + offset; }
    bool write(SIZE_T offset, const void* data, SIZE_T size) const {
        return WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }
    bool read(SIZE_T offset, void* data, SIZE_T size) const {
        return ReadProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }

private:
    HANDLE process_ = nullptr;
    void* at_ = nullptr;
};

// Each row of a list view of another process, its cells read through LVM_GETITEMTEXTW.
bool print_rows(HWND list) {
    const int kCellChars = 512;
    RemoteBlock block(list, sizeof(LVITEMW) + kCellChars * sizeof(wchar_t));
    if (!block.valid()) return false;
    auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    const auto rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        std::wstring line;
        for (int column = 0; column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<LPWSTR>(block.at(sizeof(LVITEMW)));
            item.cchTextMax = kCellChars;
            wchar_t cell[kCellChars] = {};
            if (!block.write(0, &item, sizeof item)) return false;
            auto n = static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                                   reinterpret_cast<LPARAM>(block.at(0))));
            if (n > 0 &&
                !block.read(sizeof(LVITEMW), cell, static_cast<SIZE_T>(n) * sizeof(wchar_t)))
                return false;
            line +=
                (column > 0 ? L"\t" : L"") + std::wstring(cell, n > 0 ? static_cast<size_t>(n) : 0);
        }
        std::fprintf(g_out, "%s\n", to_utf8(line).c_str());
    }
    return true;
}

bool drive_answers(wchar_t letter) {
    std::wstring root = std::wstring(1, letter) + L":\\";
    return GetDriveTypeW(root.c_str()) > DRIVE_NO_ROOT_DIR;
}

// The volume's device numbers; false for a drive without them.
bool device_number(wchar_t letter, STORAGE_DEVICE_NUMBER& out) {
    std::wstring volume = L"\\\\.\\" + std::wstring(1, letter) + L":";
    HANDLE device = CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL done = DeviceIoControl(device, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &out,
                                sizeof out, &returned, nullptr);
    CloseHandle(device);
    return done != FALSE;
}

template <typename Condition>
bool wait_until(Condition condition, DWORD timeout) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout) return false;
        Sleep(50);
    }
    return true;
}

int drive_verb(const std::wstring& verb, int argc, wchar_t** argv) {
    const wchar_t letter = static_cast<wchar_t>(towupper(argv[2][0]));
    if (letter < L'A' || letter > L'Z' || argv[2][1] != L'\0') return 2;
    if (verb == L"unplug") {
        if (!wine_mount_manager::define_drive(letter, DRIVE_NO_ROOT_DIR, {})) return 1;
        return wait_until([&] { return !drive_answers(letter); }, 5000) ? 0 : 1;
    }
    if (verb == L"plug") {
        if (argc < 5) return 2;
        const std::wstring type = argv[3];
        const ULONG kind = type == L"hd"      ? DRIVE_FIXED
                           : type == L"cdrom" ? DRIVE_CDROM
                                              : DRIVE_UNKNOWN;
        if (kind == DRIVE_UNKNOWN) return 2;
        if (!wine_mount_manager::define_drive(letter, kind, to_utf8(argv[4]))) return 1;
        return wait_until([&] { return drive_answers(letter); }, 5000) ? 0 : 1;
    }
    // An optical drive answers with partition -1.
    STORAGE_DEVICE_NUMBER number{};
    if (!device_number(letter, number) || number.PartitionNumber == MAXDWORD) return 1;
    std::fprintf(g_out, "%lu:%lu\n", number.DeviceNumber + 1, number.PartitionNumber);
    return 0;
}

}  // namespace

int run(int argc, wchar_t** argv);

// The wide command line: the narrow one arrives in the ANSI code page, not in UTF-8.
int wmain(int argc, wchar_t** argv) {
    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"QV_PROBE_OUT", path, MAX_PATH) > 0) {
        FILE* f = _wfopen(path, L"w");
        if (f != nullptr) g_out = f;
    }
    int code = run(argc, argv);
    std::fprintf(g_out, "exit %d\n", code);
    if (g_out != stdout) std::fclose(g_out);
    return code;
}

int run(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::wstring verb = argv[1];
    std::wstring title = argv[2];
    if (verb == L"plug" || verb == L"unplug" || verb == L"number")
        return drive_verb(verb, argc, argv);
    DWORD timeout = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 20000;
    if (verb == L"wait") {
        HWND w = wait_window(title, timeout);
        if (w == nullptr) return 1;
        RECT r;
        GetWindowRect(w, &r);
        std::fprintf(g_out, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (verb == L"gone") {
        DWORD start = GetTickCount();
        while (find_window(title) != nullptr) {
            if (GetTickCount() - start > timeout) return 1;
            Sleep(100);
        }
        return 0;
    }
    // A hidden window's thread answers sent messages all the same: ping takes one when no
    // visible window has the title (the main window hides during some waits).
    HWND w = find_window(title);
    if (w == nullptr && (verb == L"ping" || verb == L"rows")) w = find_window(title, true);
    if (w == nullptr) return 1;
    if (verb == L"controls") {
        EnumChildWindows(w, print_child, 0);
        return 0;
    }
    if (verb == L"ping") {
        // How long the window's thread leaves a sent message waiting: a thread that dispatches
        // messages answers at once, one that is blocked answers when it is free again.
        const DWORD duration = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;
        const DWORD start = GetTickCount();
        DWORD longest = 0, pings = 0;
        while (GetTickCount() - start < duration) {
            DWORD_PTR result = 0;
            const DWORD sent = GetTickCount();
            if (SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) == 0) {
                std::fprintf(g_out, "longest %lu pings %lu\n", GetTickCount() - sent, pings);
                return 1;
            }
            const DWORD took = GetTickCount() - sent;
            if (took > longest) longest = took;
            ++pings;
            Sleep(10);
        }
        std::fprintf(g_out, "longest %lu pings %lu\n", longest, pings);
        return 0;
    }
    if (verb == L"rows" && argc > 3) {
        UnitSearch list{argv[3]};
        EnumChildWindows(w, match_unit, reinterpret_cast<LPARAM>(&list));
        return list.found != nullptr && print_rows(list.found) ? 0 : 1;
    }
    if (verb == L"close") return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
    if (verb == L"click" && argc > 3) {
        ChildSearch child{argv[3]};
        EnumChildWindows(w, match_child, reinterpret_cast<LPARAM>(&child));
        if (child.found == nullptr || !IsWindowEnabled(child.found)) return 1;
        return PostMessageW(child.found, BM_CLICK, 0, 0) ? 0 : 1;
    }
    return 2;
}
