#include "win32_runtime.h"

#include <windows.h>

#include "platform/os.h"
#include "ui_script.h"

namespace qv::win32 {

const wchar_t kWindowClass[] = L"QvWindow";
const wchar_t kPictureBoxClass[] = L"QvPictureBox";

namespace {

HFONT make_font(bool bold, bool underline) {
    // SimSun is the face of every Chinese system; where it is missing the font mapper picks
    // another face of the GB2312 character set.
    return CreateFontW(-12, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline ? TRUE : FALSE,
                       FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体");
}

bool is_runtime_window(HWND hwnd) {
    wchar_t name[32] = {};
    return hwnd != nullptr && GetClassNameW(hwnd, name, 32) > 0 &&
           lstrcmpW(name, kWindowClass) == 0;
}

}  // namespace

Win32Runtime::Win32Runtime()
    : normal_font_(make_font(false, false)),
      bold_font_(make_font(true, false)),
      link_font_(make_font(false, true)) {}

Win32Runtime::~Win32Runtime() {
    for (auto& window : windows_) window->destroy_silently();
}

HFONT Win32Runtime::font(bool bold, bool underline) const {
    if (underline) return link_font_.get();
    return bold ? bold_font_.get() : normal_font_.get();
}

Win32Window* Win32Runtime::create_window(const ui::WindowDef& def, ui::Window* parent) {
    windows_.push_back(std::make_unique<Win32Window>(*this, def));
    Win32Window* window = windows_.back().get();
    auto* owner = dynamic_cast<Win32Window*>(parent);
    window->create(owner != nullptr && owner->alive() ? owner->hwnd() : nullptr);
    return window;
}

ui::Window* Win32Runtime::open(const ui::WindowDef& def, ui::Window* parent) {
    Win32Window* window = create_window(def, parent);
    if (window->alive()) window->run_created_and_show();
    return window;
}

void Win32Runtime::open_modal(const ui::WindowDef& def, ui::Window* parent) {
    if (quitting_) return;
    Win32Window* window = create_window(def, parent);
    if (!window->alive()) return;
    auto* owner = dynamic_cast<Win32Window*>(parent);
    if (owner != nullptr && owner->alive()) window->set_modal_owner(owner->hwnd());
    window->run_created_and_show();
    run_loop([window] { return !window->alive(); }, false);
    // A quit leaves the window open; its owner must not stay disabled behind it.
    window->release_modal_owner();
}

ui::Window* Win32Runtime::find(const std::string& window_name) {
    return find_window(window_name);
}

Win32Window* Win32Runtime::find_window(const std::string& window_name) const {
    for (const auto& window : windows_)
        if (window->alive() && window->def().name == window_name) return window.get();
    return nullptr;
}

void Win32Runtime::pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            note_quit(static_cast<int>(msg.wParam));
            PostQuitMessage(exit_code_);
            return;
        }
        dispatch_one(msg);
    }
}

int Win32Runtime::run() {
    // With every window gone nothing can happen any more: the program has ended.
    run_loop([this] { return !any_window_alive(); }, true);
    return exit_code_;
}

void Win32Runtime::quit(int exit_code) {
    note_quit(exit_code);
    PostQuitMessage(exit_code);
}

ui::Rect Win32Runtime::cursor() const {
    POINT pt{};
    GetCursorPos(&pt);
    return {pt.x, pt.y, 0, 0};
}

void Win32Runtime::run_loop(const std::function<bool()>& done, bool outermost) {
    MSG msg;
    while (!quitting_ && !done()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            note_quit(static_cast<int>(msg.wParam));
            if (!outermost) PostQuitMessage(exit_code_);
            break;
        }
        dispatch_one(msg);
    }
}

void Win32Runtime::dispatch_one(MSG& msg) {
    // Dialog keys (Tab, mnemonics such as Alt+R for "还原分区(&R)") in the runtime's own windows.
    HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (is_runtime_window(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Win32Runtime::note_quit(int code) {
    if (quitting_) return;
    quitting_ = true;
    exit_code_ = code;
}

bool Win32Runtime::any_window_alive() const {
    for (const auto& window : windows_)
        if (window->alive()) return true;
    return false;
}

void install_win32_runtime() {
    static Win32Runtime runtime;
    os::Os set = os::os();
    set.ui = &runtime;
    os::install(set);
#ifdef QV_TEST_HOOKS
    start_ui_script(runtime);
#endif
}

}  // namespace qv::win32
