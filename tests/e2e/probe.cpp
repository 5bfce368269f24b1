// A small outside observer for the end-to-end tests: it finds the program's windows by title the
// way a user sees them and reads or closes them, from another process, as automation would.
//
//   qv_probe wait TITLE [TIMEOUT_MS]   waits for a visible top-level window with that title;
//                                      prints "x y w h" of it, exit 0, or exit 1 on time-out
//   qv_probe controls TITLE            prints one line per child window: class, unit, text, flags
//   qv_probe close TITLE               posts WM_CLOSE to the window
//   qv_probe gone TITLE [TIMEOUT_MS]   waits until no window has that title; exit 1 on time-out
//   qv_probe click TITLE TEXT          clicks the window's enabled button whose text is TEXT
//   qv_probe ping TITLE DURATION_MS    for that long, sends WM_NULL to the window (a hidden one
//   when
//                                      no visible window has the title) again and again
//                                      (SendMessageTimeout, 10 s) and prints "longest N pings M":
//                                      the longest time in ms the window took to answer one;
//                                      exit 1 when it stopped answering or went away
// Titles are passed as the shell passes them; texts are printed in UTF-8. Programs started inside a
// Wine virtual desktop see only that desktop's windows, so the probe runs there too, and its caller
// cannot read its output or exit code through the desktop's launcher: when QV_PROBE_OUT names a
// file, the output goes there, ending with a line "exit N".
#include <windows.h>

#include <cstdio>
#include <string>

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

BOOL CALLBACK print_child(HWND w, LPARAM) {
    wchar_t cls[128] = {}, text[1024] = {};
    GetClassNameW(w, cls, 128);
    GetWindowTextW(w, text, 1024);
    // The unit name is a global atom, readable from another process.
    wchar_t unit[256] = {};
    auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(w, L"QvUnit")));
    if (atom != 0) GlobalGetAtomNameW(atom, unit, 256);
    std::wstring line = std::wstring(cls) + L"\t" + unit + L"\t" + text + L"\t" +
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
    if (w == nullptr && verb == L"ping") w = find_window(title, true);
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
    if (verb == L"close") return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
    if (verb == L"click" && argc > 3) {
        ChildSearch child{argv[3]};
        EnumChildWindows(w, match_child, reinterpret_cast<LPARAM>(&child));
        if (child.found == nullptr || !IsWindowEnabled(child.found)) return 1;
        return PostMessageW(child.found, BM_CLICK, 0, 0) ? 0 : 1;
    }
    return 2;
}
