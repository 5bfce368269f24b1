// The debugger-gated module's Win32 host under Wine. Without a debugger the start routine leaves
// no thread and loads no web library; the window parts work on a real window of the test's own.
// The web parts are never called here: no test goes on the network.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "platform/os_api_module.h"
#include "shell/api_module.h"
#include "win32_os.h"

namespace qv {
namespace {

int own_thread_count() {
    int count = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snap);
    return count;
}

TEST(ApiModuleUnderWine, WithoutADebuggerNothingStarts) {
    win32::install_win32_os();
    os::ApiModuleHost* host = os::os().api_module;
    ASSERT_NE(host, nullptr);
    ASSERT_FALSE(host->debugger_present());
    const bool web_loaded_before = GetModuleHandleW(L"wininet.dll") != nullptr;
    const int threads_before = own_thread_count();
    const DWORD priority_before = GetPriorityClass(GetCurrentProcess());
    api_module_init();
    EXPECT_EQ(own_thread_count(), threads_before);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), priority_before);
    EXPECT_TRUE(g_api_module_version.empty());
    if (!web_loaded_before) EXPECT_EQ(GetModuleHandleW(L"wininet.dll"), nullptr);
}

struct Seen {
    UINT message;
    WPARAM wparam;
};
std::vector<Seen> g_seen_by_window;
std::vector<Seen> g_seen_by_hook;

LRESULT CALLBACK sample_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SYSCOMMAND || message == WM_COMMAND) {
        g_seen_by_window.push_back({message, wparam});
        if (message == WM_SYSCOMMAND && wparam < 0xF000) return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void record_hook(std::uintptr_t, unsigned message, std::uintptr_t wparam) {
    if (message == WM_SYSCOMMAND || message == WM_COMMAND)
        g_seen_by_hook.push_back({message, static_cast<WPARAM>(wparam)});
}

TEST(ApiModuleUnderWine, SystemMenuAndWindowProcedureOfTheFirstWindow) {
    win32::install_win32_os();
    os::ApiModuleHost& host = *os::os().api_module;
    WNDCLASSW wc{};
    wc.lpfnWndProc = sample_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvApiModuleSample";
    RegisterClassW(&wc);
    HWND hidden = CreateWindowExW(0, wc.lpszClassName, L"hidden", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                  100, nullptr, nullptr, wc.hInstance, nullptr);
    const std::uint32_t process = host.current_process_id();
    EXPECT_EQ(host.find_process_window(process, true), 0u);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"sample", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    const auto w = reinterpret_cast<std::uintptr_t>(window);
    EXPECT_EQ(host.find_process_window(process, true), w);
    EXPECT_FALSE(host.is_console_window(w));

    const int items = host.system_menu_item_count(w);
    ASSERT_GE(items, 2);
    EXPECT_TRUE(host.remove_system_menu_item(w, items - 2));
    EXPECT_TRUE(host.append_system_menu_item(w, 0x800, 0, ""));
    EXPECT_TRUE(host.append_system_menu_item(w, 0x8, 4, "使用协议(&F)"));
    HMENU menu = GetSystemMenu(window, FALSE);
    ASSERT_EQ(GetMenuItemCount(menu), items + 1);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 4, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"使用协议(&F)");
    EXPECT_EQ(GetMenuState(menu, 4, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));

    // The hook sees each message first, and the window's own procedure still gets it.
    EXPECT_EQ(host.replace_window_procedure(w, record_hook),
              reinterpret_cast<std::uintptr_t>(sample_proc));
    SendMessageW(window, WM_SYSCOMMAND, 4, 0);
    host.send_system_command(w, 2);
    ASSERT_EQ(g_seen_by_hook.size(), 2u);
    ASSERT_EQ(g_seen_by_window.size(), 2u);
    EXPECT_EQ(g_seen_by_hook[1].wparam, 2u);
    EXPECT_EQ(g_seen_by_window[0].message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(g_seen_by_window[1].wparam, 2u);
    DestroyWindow(window);
    DestroyWindow(hidden);
}

}  // namespace
}  // namespace qv
