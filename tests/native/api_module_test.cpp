#include <gtest/gtest.h>

#include "base/state.h"
#include "fakes/main_window_rig.h"
#include "shell/api_module.h"

namespace qv {
namespace {

using Strings = std::vector<std::string>;

std::string update_page(const std::string& version) {
    return std::string(u8"<html><body><p>最新版本:") + version +
           u8"</p><p>发布时间:2026-11-02</p>"
           u8"<p>文件大小:1.2MB</p><p>下载地址:http://www.example.com/orvane/v.zip</p></body></"
           u8"html>";
}

// Without a debugger the program starts as always and the module leaves no trace: no priority,
// no thread, no look at the network. With one, the program's start routine raises the priority
// and starts the window thread, and the rest waits for that thread.
TEST(ApiModule, DoesNothingWithoutADebugger) {
    for (bool debugger : {false, true}) {
        SCOPED_TRACE(debugger);
        fakes::MainWindowRig rig;
        rig.os.api_module.debugger = debugger;
        rig.start_program();
        const auto& host = rig.os.api_module;
        if (!debugger) {
            EXPECT_TRUE(host.priority_classes.empty());
            EXPECT_TRUE(host.thread_priorities.empty());
            EXPECT_TRUE(host.threads.empty());
            EXPECT_TRUE(g_api_module_version.empty());
        } else {
            EXPECT_EQ(host.priority_classes, std::vector<std::uint32_t>{0x80});
            EXPECT_EQ(host.thread_priorities, std::vector<int>{15});
            EXPECT_EQ(host.threads.size(), 1u);
            EXPECT_EQ(g_api_module_version, "V3.53");
        }
        EXPECT_TRUE(host.connection_checks.empty());
        EXPECT_TRUE(host.downloads.empty());
        EXPECT_EQ(host.window_looks, 0);
    }
}

TEST(ApiModule, UnderADebuggerExtendsTheFirstWindowAndLooksForUpdates) {
    fakes::FakeOs os;
    auto& host = os.api_module;
    host.debugger = true;
    host.window_missing_looks = 3;
    host.page = update_page("V3.60");
    api_module_init();
    host.run_threads();

    EXPECT_EQ(host.window_looks, 4);
    EXPECT_TRUE(host.looked_for_visible_only);
    EXPECT_GE(host.message_rounds, 3);
    EXPECT_EQ(host.menu_log,
              (Strings{"remove 5", "append 0x800 0 ", "append 0x8 2 模块作者：Orvane",
                       "append 0x800 0 ", "append 0x8 4 使用协议(&F)"}));
    EXPECT_EQ(host.hooked_window, host.window);
    EXPECT_EQ(host.hook, &api_on_window_message);
    EXPECT_EQ(g_api_module_old_wndproc, 0xBEEFu);
    ASSERT_EQ(host.threads.size(), 2u);
    EXPECT_EQ(g_api_module_state, host.threads[1].id);
    EXPECT_EQ(host.connection_checks, Strings{"http://www.example.com/"});
    EXPECT_EQ(host.downloads, Strings{"http://www.example.com/orvane/api-module.html"});
    EXPECT_EQ(g_api_update_field1, "V3.60");
    EXPECT_EQ(g_api_update_field2, "2026-11-02");
    EXPECT_EQ(g_api_update_field3, "1.2MB");
    EXPECT_EQ(g_api_update_field4, "http://www.example.com/orvane/v.zip");
    EXPECT_TRUE(g_api_update_flag);
    EXPECT_TRUE(os.notices.boxes.empty());  // nothing is shown
}

TEST(ApiModule, ConsoleWindowIsLeftAlone) {
    fakes::FakeOs os;
    os.api_module.debugger = true;
    os.api_module.window_is_console = true;
    api_module_init();
    os.api_module.run_threads();
    EXPECT_TRUE(os.api_module.menu_log.empty());
    EXPECT_EQ(os.api_module.hook, nullptr);
    EXPECT_EQ(os.api_module.threads.size(), 1u);
}

// The flag is set only by a version read from the page that is not this one; a page that could
// not be had, or that names no version, tells nothing.
TEST(ApiModule, UpdateFlagNeedsAnotherVersionOnThePage) {
    struct Case {
        bool connected;
        std::string page;
        bool flag;
        std::size_t downloads;
    };
    const Case cases[] = {{true, update_page("V3.53"), false, 1},
                          {true, update_page("v3.53"), false, 1},
                          {true, update_page("V3.54"), true, 1},
                          {true, "<html>moved</html>", false, 1},
                          {true, "", false, 1},
                          {false, update_page("V3.54"), false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        fakes::FakeOs os;
        os.api_module.connected = c.connected;
        os.api_module.page = c.page;
        g_api_module_version = "V3.53";
        api_update_thread(nullptr);
        EXPECT_EQ(g_api_update_flag, c.flag);
        EXPECT_EQ(os.api_module.downloads.size(), c.downloads);
        reset_api_module_state();
    }
}

TEST(ApiModule, DownloadReadsThousandBytePiecesProcessingMessagesBetween) {
    fakes::FakeOs os;
    os.api_module.page = std::string(2500, 'a');
    os.api_module.piece_limit = 1000;
    EXPECT_EQ(api_download_text("http://www.example.com/p").size(), 2500u);
    EXPECT_EQ(os.api_module.read_sizes, (std::vector<std::size_t>{1000, 1000, 1000, 1000}));
    EXPECT_EQ(os.api_module.message_rounds, 3);

    // A page that does not end is cut at the piece that reaches a megabyte.
    os.api_module.page = std::string(3 << 20, 'b');
    EXPECT_EQ(api_download_text("http://www.example.com/p").size(), 1049000u);
    EXPECT_TRUE(api_download_text("ftp://www.example.com/p").empty());
}

TEST(ApiModule, WindowMessagesTheModuleActsOn) {
    struct Case {
        unsigned message;
        std::uintptr_t wparam;
        ApiWindowAction action;
    };
    using A = ApiWindowAction;
    const Case cases[] = {{0x112, 2, A::OpenContact},
                          {0x112, 4, A::ShowTerms},
                          {0x112, 0xF060, A::None},
                          {0x111, 10001, A::ForwardAsSystemCommand},
                          {0x111, 0xF010, A::ForwardAsSystemCommand},
                          {0x111, 0xF060, A::ForwardAsSystemCommand},
                          {0x111, 30001, A::EndProgram},
                          {0x111, 2, A::None},
                          {0x0010, 30001, A::None}};
    for (const Case& c : cases)
        EXPECT_EQ(api_window_action(c.message, c.wparam), c.action) << c.message << " " << c.wparam;

    fakes::MainWindowRig rig;
    auto& host = rig.os.api_module;
    api_on_window_message(host.window, 0x112, 2);
    EXPECT_EQ(host.opened_addresses, Strings{"http://www.example.com/orvane/contact.html"});
    api_on_window_message(host.window, 0x112, 4);
    ASSERT_EQ(rig.os.notices.boxes.size(), 1u);
    EXPECT_EQ(rig.os.notices.boxes[0].caption, "使用协议");
    EXPECT_EQ(rig.os.notices.boxes[0].style, 0x40);
    api_on_window_message(host.window, 0x111, 10001);
    api_on_window_message(host.window, 0x111, 0xF060);
    EXPECT_EQ(host.system_commands, (std::vector<std::uintptr_t>{10001, 0xF060}));
    EXPECT_FALSE(rig.ui.quitting());
    api_on_window_message(host.window, 0x111, 30001);
    EXPECT_TRUE(rig.ui.quitting());
    EXPECT_EQ(rig.ui.exit_code(), 0);
}

TEST(ApiModule, PriorityKinds) {
    const std::pair<int, std::uint32_t> cases[] = {{0, 0x80}, {1, 0x8000}, {2, 0x100},
                                                   {3, 0x20}, {4, 0x4000}, {5, 0x40},
                                                   {6, 0x80}, {-1, 0x80}};
    for (const auto& [kind, priority_class] : cases)
        EXPECT_EQ(api_priority_class(kind), priority_class);
}

TEST(ApiModule, CanonicalWebAddresses) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://www.example.com/a/b.html", "http://www.example.com/a/b.html"},
        {"  HTTP://WWW.Example.COM  ", "http://www.example.com/"},
        {"https://h.example.com/a/./b/../c?x=1 2#top", "https://h.example.com/a/c?x=1%202#top"},
        {"http://h.example.com/a/..", "http://h.example.com/"},
        {"http:\\\\h.example.com\\dir\\page.html", "http://h.example.com/dir/page.html"},
        {"http://h.example.com/my page.html", "http://h.example.com/my%20page.html"},
        {"http://h.example.com/表\\x", "http://h.example.com/表/x"},
        // Anything but a web address with a host is refused.
        {"C:\\Windows\\notepad.exe", ""},
        {"file:///c:/boot.ini", ""},
        {"http:///path", ""},
        {"http://h.example.com/a\r\nHost: other", ""},
        {"", ""},
    };
    for (const auto& [address, canonical] : cases)
        EXPECT_EQ(api_canonical_url(address), canonical) << address;

    fakes::FakeOs os;
    EXPECT_FALSE(api_open_url("C:\\Windows\\System32\\cmd.exe"));
    EXPECT_TRUE(os.api_module.opened_addresses.empty());
}

TEST(ApiModule, Utf8PagesBecomeCodePage936) {
    fakes::FakeOs os;
    const std::pair<std::string, std::string> cases[] = {
        {u8"abc", "abc"},
        {u8"最新版本:V3.54", "最新版本:V3.54"},
        {std::string("a\xFF"
                     "b"),
         "a?b"},                          // not UTF-8
        {std::string("\xE6\x9C"), "??"},  // cut short
        {std::string("\xC0\xAF"), "??"},  // overlong "/"
        {u8"\U0001F600x", "?x"},          // no form in code page 936
        {"", ""},
    };
    for (const auto& [utf8, text] : cases) EXPECT_EQ(api_utf8_to_ansi(utf8), text);
}

}  // namespace
}  // namespace qv
