#include "support/runtime_fixture.h"

#include <ole2.h>

#include "support/files.h"

namespace qv::testing {

std::vector<SeenEvent>& seen_events() {
    static std::vector<SeenEvent> events;
    return events;
}

void record_event(ui::Event& event) {
    bool checked = event.window != nullptr && event.window->checked(event.role);
    seen_events().push_back(
        {event.role, event.kind, event.index, event.code, event.files, checked});
}

void record(const std::string& window,
            const std::vector<std::pair<std::string, ui::EventKind>>& pairs) {
    for (const auto& [role, kind] : pairs) ui::bind_handler(window, role, kind, record_event);
}

bool pump_until(const std::function<bool()>& condition, int timeout_ms) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeout_ms)) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

std::vector<std::string> notice_log_lines() {
    const std::string bytes = wine_support::read_all(wine_support::get_env(L"QV_NOTICE_LOG"));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(wine_support::gbk_from_utf8(bytes.substr(start, end - start)));
    return lines;
}

void RuntimeTest::SetUp() {
    OleInitialize(nullptr);
    ui::clear_bindings();
    seen_events().clear();
    // A quit of an earlier test in this process must not end this test's loops.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    log_path_ =
        std::wstring(temp) + L"qv_notices_" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(log_path_.c_str());
    SetEnvironmentVariableW(L"QV_NOTICE_LOG", log_path_.c_str());
    runtime_ = std::make_unique<win32::Win32Runtime>();
}

void RuntimeTest::TearDown() {
    runtime_.reset();
    ui::clear_bindings();
    SetEnvironmentVariableW(L"QV_NOTICE_LOG", nullptr);
    DeleteFileW(log_path_.c_str());
    OleUninitialize();
}

win32::Win32Window* RuntimeTest::open_sample() {
    return static_cast<win32::Win32Window*>(runtime_->open(sample_, nullptr));
}

}  // namespace qv::testing
