// A small outside observer for the end-to-end tests: it finds the program's windows by title the
// way a user sees them and reads or closes them, from another process, as automation would.
//
//   qv_probe wait TITLE [TIMEOUT_MS]   waits for a visible top-level window with that title;
//                                      prints "x y w h" of it, exit 0, or exit 1 on time-out
//   qv_probe controls TITLE            prints one line per child window: class, unit, text, flags
//   qv_probe close TITLE               posts WM_CLOSE to the window
//   qv_probe gone TITLE [TIMEOUT_MS]   waits until no window has that title; exit 1 on time-out
//   qv_probe click TITLE TEXT          clicks the window's button whose text is TEXT ("确定(&C)")
// Titles and texts are passed and printed in UTF-8; the arguments are read from the wide command
// line, since Wine hands narrow arguments over in the ANSI code page. Programs started inside a
// Wine virtual desktop see only that desktop's windows, so the probe runs there too, and its
// caller cannot read its output or exit code through the desktop's launcher: when QV_PROBE_OUT
// names a file, the output goes there, ending with a line "exit N".
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <vector>
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
    HWND found = nullptr;
};

FILE* g_out = stdout;

BOOL CALLBACK match_title(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    if (s->title == text && IsWindowVisible(w)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND find_window(const std::wstring& title) {
    Search s{title};
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
    auto* unit = static_cast<const wchar_t*>(GetPropW(w, L"QvUnit"));
    std::wstring line = std::wstring(cls) + L"\t" + (unit ? unit : L"") + L"\t" + text + L"\t" +
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

int run(const std::vector<std::wstring>& args);

int main() {
    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"QV_PROBE_OUT", path, MAX_PATH) > 0) {
        FILE* f = _wfopen(path, L"w");
        if (f != nullptr) g_out = f;
    }
    std::vector<std::wstring> args;
    int argc = 0;
    if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    int code = run(args);
    std::fprintf(g_out, "exit %d\n", code);
    if (g_out != stdout) std::fclose(g_out);
    return code;
}

int run(const std::vector<std::wstring>& args) {
    if (args.size() < 2) return 2;
    const std::wstring& verb = args[0];
    const std::wstring& title = args[1];
    DWORD timeout = args.size() > 2 ? static_cast<DWORD>(_wtoi(args[2].c_str())) : 20000;
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
    HWND w = find_window(title);
    if (w == nullptr) return 1;
    if (verb == L"controls") {
        EnumChildWindows(w, print_child, 0);
        return 0;
    }
    if (verb == L"close") return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
    if (verb == L"click" && args.size() > 2) {
        ChildSearch child{args[2]};
        EnumChildWindows(w, match_child, reinterpret_cast<LPARAM>(&child));
        if (child.found == nullptr || !IsWindowEnabled(child.found)) return 1;
        return PostMessageW(child.found, BM_CLICK, 0, 0) ? 0 : 1;
    }
    return 2;
}
