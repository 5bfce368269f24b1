// The debugger-gated module's host. The web functions live in a library that a Windows PE may
// lack, and that normal use never needs, so they are looked up on first use; the program does
// not import them.
#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include <atomic>

#include "encoding.h"
#include "platform/os_api_module.h"
#include "win32_os.h"

namespace qv::win32 {
namespace {

struct WebFunctions {
    HMODULE library = nullptr;
    decltype(&InternetCheckConnectionW) check_connection = nullptr;
    decltype(&InternetOpenW) open = nullptr;
    decltype(&InternetOpenUrlW) open_url = nullptr;
    decltype(&InternetReadFile) read_file = nullptr;
    decltype(&InternetCloseHandle) close_handle = nullptr;

    WebFunctions() {
        library = LoadLibraryW(L"wininet.dll");
        if (library == nullptr) return;
        find(check_connection, "InternetCheckConnectionW");
        find(open, "InternetOpenW");
        find(open_url, "InternetOpenUrlW");
        find(read_file, "InternetReadFile");
        find(close_handle, "InternetCloseHandle");
    }
    ~WebFunctions() {
        if (library != nullptr) FreeLibrary(library);
    }
    WebFunctions(const WebFunctions&) = delete;
    WebFunctions& operator=(const WebFunctions&) = delete;

    template <typename F>
    void find(F& function, const char* name) {
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    }
    bool complete() const {
        return check_connection != nullptr && open != nullptr && open_url != nullptr &&
               read_file != nullptr && close_handle != nullptr;
    }
};

const WebFunctions& web() {
    static const WebFunctions functions;
    return functions;
}

// The session and the opened address; both handles are closed with it.
class Win32WebDownload : public os::WebDownload {
public:
    Win32WebDownload(HINTERNET session, HINTERNET url) : session_(session), url_(url) {}
    ~Win32WebDownload() override {
        web().close_handle(url_);
        web().close_handle(session_);
    }
    Win32WebDownload(const Win32WebDownload&) = delete;
    Win32WebDownload& operator=(const Win32WebDownload&) = delete;

    std::string read(std::size_t max_bytes) override {
        std::string piece(max_bytes, '\0');
        DWORD got = 0;
        if (!web().read_file(url_, piece.data(), static_cast<DWORD>(max_bytes), &got)) return {};
        piece.resize(got);
        return piece;
    }

private:
    HINTERNET session_;
    HINTERNET url_;
};

struct ThreadStart {
    os::ThreadRoutine routine;
    void* argument;
};

DWORD WINAPI thread_entry(LPVOID parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    start.routine(start.argument);
    return 0;
}

// The one window procedure the module puts in front of another. Written before the procedure
// is installed, so the window never calls ours without a procedure to pass its messages to.
std::atomic<os::WindowMessageHook> g_hook{nullptr};
std::atomic<WNDPROC> g_previous{nullptr};

LRESULT CALLBACK module_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (os::WindowMessageHook hook = g_hook.load())
        hook(reinterpret_cast<std::uintptr_t>(window), message,
             static_cast<std::uintptr_t>(wparam));
    return CallWindowProcW(g_previous.load(), window, message, wparam, lparam);
}

struct WindowSearch {
    DWORD process;
    bool visible_only;
    HWND found;
};

BOOL CALLBACK find_window_proc(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || GetParent(window) != nullptr) return TRUE;
    if (search->visible_only && !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND as_window(std::uintptr_t window) {
    return reinterpret_cast<HWND>(window);
}

class Win32ApiModuleHost : public os::ApiModuleHost {
public:
    bool debugger_present() override { return IsDebuggerPresent() != FALSE; }

    bool set_priority_class(std::uint32_t priority_class) override {
        return SetPriorityClass(GetCurrentProcess(), priority_class) != FALSE;
    }

    bool set_thread_priority(int level) override {
        return SetThreadPriority(GetCurrentThread(), level) != FALSE;
    }

    std::uint32_t start_thread(os::ThreadRoutine routine, void* argument) override {
        auto* start = new ThreadStart{routine, argument};
        DWORD id = 0;
        HANDLE thread = CreateThread(nullptr, 0, thread_entry, start, 0, &id);
        if (thread == nullptr) {
            delete start;
            return 0;
        }
        CloseHandle(thread);
        return id;
    }

    std::uint32_t current_process_id() override { return GetCurrentProcessId(); }

    std::uintptr_t find_process_window(std::uint32_t process_id, bool visible_only) override {
        WindowSearch search{process_id, visible_only, nullptr};
        EnumWindows(find_window_proc, reinterpret_cast<LPARAM>(&search));
        return reinterpret_cast<std::uintptr_t>(search.found);
    }

    bool is_console_window(std::uintptr_t window) override {
        HWND console = GetConsoleWindow();
        return console != nullptr && console == as_window(window);
    }

    void process_thread_messages() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    int system_menu_item_count(std::uintptr_t window) override {
        HMENU menu = GetSystemMenu(as_window(window), FALSE);
        return menu == nullptr ? -1 : GetMenuItemCount(menu);
    }

    bool remove_system_menu_item(std::uintptr_t window, int position) override {
        HMENU menu = GetSystemMenu(as_window(window), FALSE);
        return menu != nullptr &&
               RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION) != FALSE;
    }

    bool append_system_menu_item(std::uintptr_t window, unsigned flags, unsigned command,
                                 const std::string& text) override {
        HMENU menu = GetSystemMenu(as_window(window), FALSE);
        if (menu == nullptr) return false;
        if ((flags & MF_SEPARATOR) != 0) return AppendMenuW(menu, flags, command, nullptr) != FALSE;
        return AppendMenuW(menu, flags | MF_STRING, command, widen(text).c_str()) != FALSE;
    }

    std::uintptr_t replace_window_procedure(std::uintptr_t window,
                                            os::WindowMessageHook hook) override {
        HWND w = as_window(window);
        auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWLP_WNDPROC));
        if (current == nullptr) return 0;
        g_previous.store(current);
        g_hook.store(hook);
        if (SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(module_window_proc)) == 0)
            return 0;
        return reinterpret_cast<std::uintptr_t>(current);
    }

    void send_system_command(std::uintptr_t window, std::uintptr_t command) override {
        SendMessageW(as_window(window), WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
    }

    bool open_address(const std::string& address) override {
        auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
            nullptr, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    }

    bool check_connection(const std::string& address) override {
        if (!web().complete()) return false;
        return web().check_connection(widen(address).c_str(), FLAG_ICC_FORCE_CONNECTION, 0) !=
               FALSE;
    }

    std::unique_ptr<os::WebDownload> open_download(const std::string& address) override {
        if (!web().complete()) return nullptr;
        HINTERNET session =
            web().open(L"Mozilla/4.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (session == nullptr) return nullptr;
        HINTERNET url = web().open_url(session, widen(address).c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
        if (url == nullptr) {
            web().close_handle(session);
            return nullptr;
        }
        return std::make_unique<Win32WebDownload>(session, url);
    }
};

}  // namespace

os::ApiModuleHost* win32_api_module_host() {
    static Win32ApiModuleHost host;
    return &host;
}

}  // namespace qv::win32
