// What the debugger-gated module asks of the system: the debugger test, priorities, threads of its
// own, the system menu and window procedure of the program's first window, and web access. Only
// the debugger test is asked in normal use; everything else runs only under a debugger. Windows
// are opaque numbers here (0: none). Texts are code-page-936 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qv::os {

using ThreadRoutine = void (*)(void* argument);
// Sees every message of a window whose procedure was replaced, before the previous procedure does.
using WindowMessageHook = void (*)(std::uintptr_t window, unsigned message, std::uintptr_t wparam);

// One opened web address; closes its handles when destroyed.
class WebDownload {
public:
    virtual ~WebDownload() = default;
    // Up to `max_bytes` more bytes; empty once nothing more comes (or a read fails).
    virtual std::string read(std::size_t max_bytes) = 0;
};

class ApiModuleHost {
public:
    virtual ~ApiModuleHost() = default;
    virtual bool debugger_present() = 0;
    // The priority class of this process, as the system numbers it (0x80 high, ...).
    virtual bool set_priority_class(std::uint32_t priority_class) = 0;
    // The priority of the calling thread (15: time-critical).
    virtual bool set_thread_priority(int level) = 0;
    // Starts a thread; its id, or 0 when it could not be made. No handle is kept open.
    virtual std::uint32_t start_thread(ThreadRoutine routine, void* argument) = 0;
    virtual std::uint32_t current_process_id() = 0;
    // The first top-level window without a parent that belongs to the process (only visible
    // ones when asked), or 0.
    virtual std::uintptr_t find_process_window(std::uint32_t process_id, bool visible_only) = 0;
    virtual bool is_console_window(std::uintptr_t window) = 0;
    // Processes the messages waiting for the calling thread.
    virtual void process_thread_messages() = 0;
    // The window's system menu: its item count, an item removed by position, an item appended
    // (flags as the system numbers them: 0x800 a separator, 0x8 checked).
    virtual int system_menu_item_count(std::uintptr_t window) = 0;
    virtual bool remove_system_menu_item(std::uintptr_t window, int position) = 0;
    virtual bool append_system_menu_item(std::uintptr_t window, unsigned flags, unsigned command,
                                         const std::string& text) = 0;
    // Puts a procedure of the host's in front of the window's own, calling `hook` with every
    // message first; the previous procedure (opaque), or 0 when it could not be replaced.
    virtual std::uintptr_t replace_window_procedure(std::uintptr_t window,
                                                    WindowMessageHook hook) = 0;
    // Sends WM_SYSCOMMAND with this command to the window.
    virtual void send_system_command(std::uintptr_t window, std::uintptr_t command) = 0;
    // Opens an address with the shell's "open" verb.
    virtual bool open_address(const std::string& address) = 0;
    // The web parts, looked up when first needed: false or null when the system has none.
    virtual bool check_connection(const std::string& address) = 0;
    virtual std::unique_ptr<WebDownload> open_download(const std::string& address) = 0;
};

}  // namespace qv::os
