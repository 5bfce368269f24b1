// The Win32 window runtime: windows from definitions, message loops (modal ones nest), quitting.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gdi.h"
#include "ui/runtime.h"
#include "win32_window.h"

namespace qv::win32 {

extern const wchar_t kWindowClass[];
extern const wchar_t kPictureBoxClass[];

class Win32Runtime : public ui::Runtime {
public:
    Win32Runtime();
    ~Win32Runtime() override;
    Win32Runtime(const Win32Runtime&) = delete;
    Win32Runtime& operator=(const Win32Runtime&) = delete;

    ui::Window* open(const ui::WindowDef& def, ui::Window* parent) override;
    void open_modal(const ui::WindowDef& def, ui::Window* parent) override;
    ui::Window* find(const std::string& window_name) override;
    void pump() override;
    int run() override;
    void quit(int exit_code) override;
    bool quitting() const override { return quitting_; }
    ui::Rect cursor() const override;

    Win32Window* find_window(const std::string& window_name) const;
    int exit_code() const { return exit_code_; }
    // The face of every control's text: the normal one, a bold one and an underlined one for links.
    HFONT font(bool bold, bool underline) const;

private:
    Win32Window* create_window(const ui::WindowDef& def, ui::Window* parent);
    // Runs the message loop until `done` holds or the program quits. A nested loop passes
    // WM_QUIT on, so that the loops around it end too.
    void run_loop(const std::function<bool()>& done, bool outermost);
    void dispatch_one(MSG& msg);
    void note_quit(int code);
    bool any_window_alive() const;

    std::vector<std::unique_ptr<Win32Window>> windows_;
    bool quitting_ = false;
    int exit_code_ = 0;
    Font normal_font_;
    Font bold_font_;
    Font link_font_;
};

// Puts a runtime into os().ui (and, in builds with test hooks, starts the UI script when
// QV_UI_SCRIPT names one).
void install_win32_runtime();

}  // namespace qv::win32
