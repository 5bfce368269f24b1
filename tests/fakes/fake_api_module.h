// The debugger-gated module's host in memory: no threads (a started routine waits in a list until
// the test runs it on its own thread of control), a scripted first window and system menu, and a
// web that serves one page and never leaves the process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os_api_module.h"

namespace qv::fakes {

class FakeApiModuleHost : public os::ApiModuleHost {
public:
    struct Thread {
        os::ThreadRoutine routine = nullptr;
        void* argument = nullptr;
        std::uint32_t id = 0;
    };

    bool debugger = false;
    std::vector<std::uint32_t> priority_classes;
    std::vector<int> thread_priorities;
    std::vector<Thread> threads;  // started, in order
    std::uint32_t process_id = 4242;
    // The program's first visible window: found after `window_missing_looks` looks that find none.
    std::uintptr_t window = 0x1000;
    int window_missing_looks = 0;
    bool window_is_console = false;
    int window_looks = 0;
    bool looked_for_visible_only = false;  // as the last look asked
    int message_rounds = 0;                // process_thread_messages calls
    int menu_items = 7;
    std::vector<std::string> menu_log;  // "remove N", "append FLAGS COMMAND TEXT"
    os::WindowMessageHook hook = nullptr;
    std::uintptr_t hooked_window = 0;
    std::uintptr_t previous_procedure = 0xBEEF;
    std::vector<std::uintptr_t> system_commands;
    std::vector<std::string> opened_addresses;
    bool connected = true;
    std::vector<std::string> connection_checks;
    std::string page;                    // what every download serves
    std::size_t piece_limit = 300;       // the most one read hands over
    std::vector<std::string> downloads;  // addresses opened for download
    std::vector<std::size_t> read_sizes;

    // Runs the started routines in order, each to its end, including those they start.
    void run_threads();

    bool debugger_present() override { return debugger; }
    bool set_priority_class(std::uint32_t priority_class) override;
    bool set_thread_priority(int level) override;
    std::uint32_t start_thread(os::ThreadRoutine routine, void* argument) override;
    std::uint32_t current_process_id() override { return process_id; }
    std::uintptr_t find_process_window(std::uint32_t process, bool visible_only) override;
    bool is_console_window(std::uintptr_t w) override { return window_is_console && w == window; }
    void process_thread_messages() override { ++message_rounds; }
    int system_menu_item_count(std::uintptr_t w) override;
    bool remove_system_menu_item(std::uintptr_t w, int position) override;
    bool append_system_menu_item(std::uintptr_t w, unsigned flags, unsigned command,
                                 const std::string& text) override;
    std::uintptr_t replace_window_procedure(std::uintptr_t w, os::WindowMessageHook h) override;
    void send_system_command(std::uintptr_t w, std::uintptr_t command) override;
    bool open_address(const std::string& address) override;
    bool check_connection(const std::string& address) override;
    std::unique_ptr<os::WebDownload> open_download(const std::string& address) override;

private:
    std::size_t threads_run_ = 0;
};

}  // namespace qv::fakes
