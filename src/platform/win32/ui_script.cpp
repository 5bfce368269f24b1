#include "ui_script.h"

#ifdef QV_TEST_HOOKS

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "encoding.h"
#include "gdi.h"
#include "handles.h"
#include "pictures.h"
#include "win32_os.h"
#include "win32_runtime.h"

namespace qv::win32 {
namespace {

using ui::Kind;

const UINT kTickMs = 50;
const DWORD kDefaultWaitMs = 10000;
const int kScriptFailedExitCode = 99;

std::vector<std::string> read_script(const std::wstring& path) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr));
    if (!file.valid()) return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    int n =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= wide.size()) {
        size_t end = wide.find(L'\n', start);
        std::wstring line =
            wide.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' ')) line.pop_back();
        if (!line.empty() && line[0] != L'#') lines.push_back(narrow(line));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return lines;
}

// Splits off the first blank-separated word. A GBK trail byte is never a blank, so this is safe.
std::string take_word(std::string& rest) {
    size_t start = rest.find_first_not_of(' ');
    if (start == std::string::npos) {
        rest.clear();
        return {};
    }
    size_t end = rest.find(' ', start);
    std::string word =
        rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    return word;
}

int to_number(const std::string& text, int fallback) {
    if (text.empty()) return fallback;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 0);
    return end != nullptr && *end == '\0' ? static_cast<int>(value) : fallback;
}

bool usable(HWND hwnd) {
    return hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

void notify_container(HWND control, UINT code, int row) {
    NMITEMACTIVATE note{};
    note.hdr.hwndFrom = control;
    note.hdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(control, GWLP_ID));
    note.hdr.code = code;
    note.iItem = row;
    note.iSubItem = 0;
    SendMessageW(GetParent(control), WM_NOTIFY, note.hdr.idFrom, reinterpret_cast<LPARAM>(&note));
}

void command_container(HWND control, UINT code) {
    auto id = static_cast<WORD>(GetWindowLongPtrW(control, GWLP_ID));
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(control));
}

LPARAM list_box_item_point(HWND list, int index) {
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// A handle to a shell drop list, as Explorer hands it to WM_DROPFILES.
HGLOBAL make_drop_list(const std::string& paths) {
    std::wstring list = widen(paths);
    for (wchar_t& c : list)
        if (c == L'|') c = L'\0';
    list.push_back(L'\0');
    list.push_back(L'\0');
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    if (memory == nullptr) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

bool save_screenshot(HWND window, const std::string& path) {
    RECT r{};
    if (window == nullptr || !GetWindowRect(window, &r)) return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    WindowDc screen(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc memory(screen.get());
    if (!bitmap || !memory) return false;
    memory.select(bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY)) return false;
    GdiFlush();
    return write_png_file(path, bits, w, h, w * 4);
}

class UiScript {
public:
    UiScript(Win32Runtime& runtime, std::vector<std::string> lines)
        : runtime_(runtime), lines_(std::move(lines)) {}

    ~UiScript() { stop(); }

    void start() {
        resume_at_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, kTickMs, on_timer);
    }
    bool finished() const { return finished_; }
    static UiScript* current;

private:
    static void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD) {
        if (current != nullptr) current->tick();
    }

    void stop() {
        if (timer_ != 0) KillTimer(nullptr, timer_);
        timer_ = 0;
        finished_ = true;
    }

    void fail(const std::string& line, const std::string& why) {
        log_notice("script", line, "failed", why);
        stop();
        runtime_.quit(kScriptFailedExitCode);
    }

    bool wait_met() const {
        if (!wait_file_.empty())
            return GetFileAttributesW(wait_file_.c_str()) != INVALID_FILE_ATTRIBUTES;
        Win32Window* window = runtime_.find_window(wait_window_);
        if (!wait_unit_.empty()) {
            int index = window != nullptr ? window->control_index_by_unit(wait_unit_) : -1;
            return index >= 0 && window->enabled(window->control_at(index).def->role);
        }
        return wait_for_open_ ? window != nullptr && window->visible() : window == nullptr;
    }

    void tick() {
        if (finished_) return;
        if (runtime_.quitting()) {
            stop();
            return;
        }
        DWORD now = GetTickCount();
        if (waiting_) {
            if (!wait_met()) {
                if (now - wait_start_ >= wait_limit_) fail(wait_line_, "timed out");
                return;
            }
            waiting_ = false;
        }
        if (static_cast<LONG>(now - resume_at_) < 0) return;
        if (next_ >= lines_.size()) {
            log_notice("script", "(end)", "", "");
            stop();
            return;
        }
        // The line is taken before it runs: a step that opens a modal loop lets the next steps
        // run inside that loop.
        std::string line = lines_[next_++];
        log_notice("script", line, "", "");
        std::string why;
        if (!execute(line, why)) fail(line, why);
    }

    bool find(const std::string& window_name, const std::string& unit, Win32Window*& window,
              int& index, std::string& why) {
        window = runtime_.find_window(window_name);
        if (window == nullptr) {
            why = "no window " + window_name;
            return false;
        }
        if (unit.empty()) return true;
        index = window->control_index_by_unit(unit);
        if (index < 0) {
            why = "no unit " + unit;
            return false;
        }
        return true;
    }

    bool execute(const std::string& line, std::string& why) {
        std::string rest = line;
        const std::string command = take_word(rest);
        if (command == "wait") {
            resume_at_ = GetTickCount() + static_cast<DWORD>(to_number(take_word(rest), 0));
            return true;
        }
        if (command == "waitwindow" || command == "waitgone" || command == "waitenabled" ||
            command == "waitfile") {
            wait_file_ = command == "waitfile" ? widen(take_word(rest)) : std::wstring();
            wait_window_ = wait_file_.empty() ? take_word(rest) : std::string();
            wait_for_open_ = command == "waitwindow";
            wait_unit_ = command == "waitenabled" ? take_word(rest) : std::string();
            wait_limit_ =
                static_cast<DWORD>(to_number(take_word(rest), static_cast<int>(kDefaultWaitMs)));
            wait_start_ = GetTickCount();
            wait_line_ = line;
            waiting_ = true;
            return true;
        }
        if (command == "quit") {
            stop();
            runtime_.quit(to_number(take_word(rest), 0));
            return true;
        }
        if (command == "shot") {
            std::string path = take_word(rest);
            std::string name = take_word(rest);
            HWND target = first_visible_window_of_process();
            if (!name.empty()) {
                Win32Window* window = runtime_.find_window(name);
                target = window != nullptr ? window->hwnd() : nullptr;
            }
            if (!save_screenshot(target, path)) {
                why = "no screenshot";
                return false;
            }
            return true;
        }

        const std::string window_name = take_word(rest);
        Win32Window* window = nullptr;
        int index = -1;
        if (command == "close" || command == "hotkey" || command == "device" || command == "drop" ||
            command == "menu") {
            if (!find(window_name, "", window, index, why)) return false;
            return window_command(command, *window, rest, why);
        }
        const std::string unit = take_word(rest);
        if (!find(window_name, unit, window, index, why)) return false;
        return control_command(command, *window, index, rest, why);
    }

    bool window_command(const std::string& command, Win32Window& window, std::string& rest,
                        std::string& why) {
        HWND hwnd = window.hwnd();
        if (command == "close") {
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        } else if (command == "hotkey") {
            PostMessageW(hwnd, WM_HOTKEY, static_cast<WPARAM>(to_number(take_word(rest), 0)), 0);
        } else if (command == "device") {
            // Sent, as the system sends it: event numbers from 0x8000 on (arrival, removal) carry
            // a pointer, and the system refuses to post those.
            SendMessageW(hwnd, WM_DEVICECHANGE, static_cast<WPARAM>(to_number(take_word(rest), 0)),
                         0);
        } else if (command == "drop") {
            HGLOBAL list = make_drop_list(rest);
            if (list == nullptr ||
                !PostMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(list), 0)) {
                if (list != nullptr) GlobalFree(list);
                why = "cannot drop";
                return false;
            }
        } else if (command == "menu") {
            int id = window.menu_command_by_caption(rest);
            if (id == 0) {
                why = "no menu item " + rest;
                return false;
            }
            // A menu on screen closes first, as it does when the user chooses from it.
            EndMenu();
            PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        }
        return true;
    }

    bool control_command(const std::string& command, Win32Window& window, int index,
                         std::string& rest, std::string& why) {
        const ControlState& state = window.control_at(index);
        const Kind kind = state.def->kind;
        HWND hwnd = state.hwnd;
        if (command == "state") {
            log_state(window, index);
            return true;
        }
        if (command == "item") {
            const std::string& role = state.def->role;
            int count = window.item_count(role);
            int at = to_number(take_word(rest), 0);
            if (at < 0) at += count;
            if (at < 0 || at >= count) {
                why = "no item";
                return false;
            }
            log_notice("item", window.def().name + " " + state.def->unit + " " + std::to_string(at),
                       window.item_text(role, at), "");
            return true;
        }
        if (kind == Kind::TrayIcon && command == "rclick") {
            PostMessageW(window.hwnd(), kTrayMessage, 1, WM_RBUTTONDOWN);
            PostMessageW(window.hwnd(), kTrayMessage, 1, WM_RBUTTONUP);
            return true;
        }
        if (!usable(hwnd)) {
            why = "not visible or not enabled";
            return false;
        }
        const std::string argument = take_word(rest);
        const int number = to_number(argument, -1);
        if (command == "click" &&
            (kind == Kind::PictureButton || kind == Kind::Check || kind == Kind::Radio)) {
            SendMessageW(hwnd, BM_CLICK, 0, 0);
        } else if (command == "click" && kind == Kind::Label) {
            SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
        } else if (command == "check" && (kind == Kind::Check || kind == Kind::Radio)) {
            bool now = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (kind == Kind::Radio && number == 0) {
                why = "a radio is cleared by choosing another";
                return false;
            }
            if (now != (number != 0)) SendMessageW(hwnd, BM_CLICK, 0, 0);
        } else if ((command == "click" || command == "select" || command == "rclick" ||
                    command == "dblclick") &&
                   kind == Kind::ListView) {
            if (number < 0 || number >= window.row_count(state.def->role)) {
                why = "no row " + argument;
                return false;
            }
            window.select_row(state.def->role, number);
            notify_container(hwnd,
                             command == "rclick"     ? NM_RCLICK
                             : command == "dblclick" ? NM_DBLCLK
                                                     : NM_CLICK,
                             number);
        } else if ((command == "select" || command == "click" || command == "rclick") &&
                   kind == Kind::ListBox) {
            if (number < 0 || number >= window.item_count(state.def->role)) {
                why = "no item " + argument;
                return false;
            }
            LPARAM at = list_box_item_point(hwnd, number);
            UINT down = command == "rclick" ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
            SendMessageW(hwnd, down, command == "rclick" ? MK_RBUTTON : MK_LBUTTON, at);
            SendMessageW(hwnd, down + 1, 0, at);
        } else if (command == "select" && kind == Kind::DropList) {
            if (number < 0 || number >= window.item_count(state.def->role)) {
                why = "no item " + argument;
                return false;
            }
            SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(number), 0);
            command_container(hwnd, CBN_SELCHANGE);
        } else if (command == "settext" && kind == Kind::Edit) {
            if (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY) {
                why = "read-only";
                return false;
            }
            std::string text = argument + (rest.empty() ? std::string() : " " + rest);
            SetWindowTextW(hwnd, widen(text).c_str());
        } else {
            why = "cannot " + command + " a control of this kind";
            return false;
        }
        return true;
    }

    void log_state(Win32Window& window, int index) {
        const ControlState& state = window.control_at(index);
        const std::string& role = state.def->role;
        std::string facts =
            "checked=" + std::to_string(window.checked(role) ? 1 : 0) +
            " enabled=" + std::to_string(window.enabled(role) ? 1 : 0) +
            " visible=" + std::to_string(window.control_visible(role) ? 1 : 0) +
            " selected=" + std::to_string(window.selected(role)) + " count=" +
            std::to_string(state.def->kind == Kind::ListView ? window.row_count(role)
                                                             : window.item_count(role));
        log_notice("state", window.def().name + " " + state.def->unit, window.text(role), facts);
    }

    Win32Runtime& runtime_;
    std::vector<std::string> lines_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
    bool finished_ = false;
    DWORD resume_at_ = 0;
    bool waiting_ = false;
    bool wait_for_open_ = true;
    std::string wait_window_;
    std::string wait_unit_;   // waitenabled: the control waited for
    std::wstring wait_file_;  // waitfile: the file waited for
    std::string wait_line_;
    DWORD wait_start_ = 0;
    DWORD wait_limit_ = kDefaultWaitMs;
};

UiScript* UiScript::current = nullptr;

std::unique_ptr<UiScript>& running_script() {
    static std::unique_ptr<UiScript> script;
    return script;
}

}  // namespace

void start_ui_script(Win32Runtime& runtime) {
    std::unique_ptr<UiScript>& script = running_script();
    DWORD n = GetEnvironmentVariableW(L"QV_UI_SCRIPT", nullptr, 0);
    if (n == 0 || (script != nullptr && !script->finished())) return;
    std::wstring path(n, L'\0');
    path.resize(GetEnvironmentVariableW(L"QV_UI_SCRIPT", path.data(), n));
    script = std::make_unique<UiScript>(runtime, read_script(path));
    UiScript::current = script.get();
    script->start();
}

void stop_ui_script() {
    UiScript::current = nullptr;
    running_script().reset();
}

}  // namespace qv::win32

#else

namespace qv::win32 {
void start_ui_script(Win32Runtime&) {}
void stop_ui_script() {}
}  // namespace qv::win32

#endif
