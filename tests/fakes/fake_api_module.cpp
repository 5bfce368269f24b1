#include "fakes/fake_api_module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace qv::fakes {
namespace {

class PageDownload : public os::WebDownload {
public:
    PageDownload(FakeApiModuleHost& host, std::string page) : host_(host), page_(std::move(page)) {}
    std::string read(std::size_t max_bytes) override {
        host_.read_sizes.push_back(max_bytes);
        std::size_t n = std::min({max_bytes, host_.piece_limit, page_.size() - at_});
        std::string piece = page_.substr(at_, n);
        at_ += n;
        return piece;
    }

private:
    FakeApiModuleHost& host_;
    std::string page_;
    std::size_t at_ = 0;
};

}  // namespace

void FakeApiModuleHost::run_threads() {
    while (threads_run_ < threads.size()) {
        Thread t = threads[threads_run_++];
        t.routine(t.argument);
    }
}

bool FakeApiModuleHost::set_priority_class(std::uint32_t priority_class) {
    priority_classes.push_back(priority_class);
    return true;
}

bool FakeApiModuleHost::set_thread_priority(int level) {
    thread_priorities.push_back(level);
    return true;
}

std::uint32_t FakeApiModuleHost::start_thread(os::ThreadRoutine routine, void* argument) {
    threads.push_back({routine, argument, static_cast<std::uint32_t>(700 + threads.size())});
    return threads.back().id;
}

std::uintptr_t FakeApiModuleHost::find_process_window(std::uint32_t process, bool visible_only) {
    EXPECT_EQ(process, process_id);
    looked_for_visible_only = visible_only;
    // A window that never comes would keep the module's thread looking for ever.
    if (window_looks++ > 10000) ADD_FAILURE() << "the first window was sought for ever";
    return window_looks > window_missing_looks ? window : 0;
}

int FakeApiModuleHost::system_menu_item_count(std::uintptr_t w) {
    EXPECT_EQ(w, window);
    return menu_items;
}

bool FakeApiModuleHost::remove_system_menu_item(std::uintptr_t w, int position) {
    EXPECT_EQ(w, window);
    menu_log.push_back("remove " + std::to_string(position));
    --menu_items;
    return true;
}

bool FakeApiModuleHost::append_system_menu_item(std::uintptr_t w, unsigned flags, unsigned command,
                                                const std::string& text) {
    EXPECT_EQ(w, window);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", flags);
    menu_log.push_back("append " + std::string(hex) + " " + std::to_string(command) + " " + text);
    ++menu_items;
    return true;
}

std::uintptr_t FakeApiModuleHost::replace_window_procedure(std::uintptr_t w,
                                                           os::WindowMessageHook h) {
    hooked_window = w;
    hook = h;
    return previous_procedure;
}

void FakeApiModuleHost::send_system_command(std::uintptr_t w, std::uintptr_t command) {
    EXPECT_EQ(w, window);
    system_commands.push_back(command);
}

bool FakeApiModuleHost::open_address(const std::string& address) {
    opened_addresses.push_back(address);
    return true;
}

bool FakeApiModuleHost::check_connection(const std::string& address) {
    connection_checks.push_back(address);
    return connected;
}

std::unique_ptr<os::WebDownload> FakeApiModuleHost::open_download(const std::string& address) {
    downloads.push_back(address);
    return std::make_unique<PageDownload>(*this, page);
}

}  // namespace qv::fakes
