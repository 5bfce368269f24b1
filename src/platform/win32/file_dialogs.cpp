#include "file_dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "encoding.h"
#include "win32_os.h"
#include "win32_window.h"

namespace qv::win32 {
namespace {

#ifdef QV_TEST_HOOKS
// QV_DIALOG_ANSWERS ("path1|path2|cancel") answers the dialogs in order without showing them;
// "cancel", an empty answer or the end of the list cancel.
bool dialogs_scripted() {
    return GetEnvironmentVariableW(L"QV_DIALOG_ANSWERS", nullptr, 0) > 0;
}

std::string next_dialog_answer() {
    static size_t taken = 0;
    DWORD n = GetEnvironmentVariableW(L"QV_DIALOG_ANSWERS", nullptr, 0);
    std::wstring script(n, L'\0');
    n = GetEnvironmentVariableW(L"QV_DIALOG_ANSWERS", script.data(), n);
    script.resize(n);
    std::vector<std::wstring> answers;
    size_t start = 0;
    for (size_t bar; (bar = script.find(L'|', start)) != std::wstring::npos; start = bar + 1)
        answers.push_back(script.substr(start, bar - start));
    answers.push_back(script.substr(start));
    if (taken >= answers.size()) return {};
    const std::wstring& answer = answers[taken++];
    return answer == L"cancel" ? std::string() : narrow(answer);
}
#endif

}  // namespace

std::wstring dialog_filter(const std::string& filter) {
    std::wstring wide = widen(filter);
    for (wchar_t& c : wide)
        if (c == L'|') c = L'\0';
    wide.push_back(L'\0');
    wide.push_back(L'\0');
    return wide;
}

std::wstring dialog_default_ext(const std::string& ext) {
    std::wstring wide = widen(ext);
    while (!wide.empty() && wide[0] == L'.') wide.erase(0, 1);
    return wide;
}

unsigned long file_dialog_flags(bool save) {
    return OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
           (save ? 0 : OFN_FILEMUSTEXIST);
}

void Win32Window::set_file_dialog(const std::string& role, const std::string& title,
                                  const std::string& filter, const std::string& file_name) {
    ControlState* state = control(role);
    if (state == nullptr) return;
    if (state->def->kind != ui::Kind::SaveDialog && state->def->kind != ui::Kind::OpenDialog)
        return;
    state->text = title;
    state->filter = filter;
    state->file_name = file_name;
}

void Win32Window::set_dialog_folder(const std::string& role, const std::string& folder) {
    ControlState* state = control(role);
    if (state == nullptr) return;
    if (state->def->kind != ui::Kind::SaveDialog && state->def->kind != ui::Kind::OpenDialog)
        return;
    state->folder = folder;
}

std::string Win32Window::run_file_dialog(const std::string& role) {
    const ControlState* state = control(role);
    if (state == nullptr) return {};
    const ui::ControlDef& d = *state->def;
    const bool save = d.kind == ui::Kind::SaveDialog;
    if (!save && d.kind != ui::Kind::OpenDialog) return {};
#ifdef QV_TEST_HOOKS
    if (dialogs_scripted()) {
        std::string answer = next_dialog_answer();
        log_notice("dialog", state->text, answer, save ? "save" : "open");
        return answer;
    }
#endif
    std::wstring filter = dialog_filter(state->filter);
    std::wstring title = widen(state->text);
    std::wstring ext = dialog_default_ext(d.default_ext);
    std::vector<wchar_t> file(32768, L'\0');
    // The starting name, cut to the buffer; the last place stays the terminator.
    std::wstring name = widen(state->file_name);
    std::wstring folder = widen(state->folder);
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = alive() ? hwnd_ : nullptr;
    dialog.lpstrFilter = state->filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    dialog.Flags = file_dialog_flags(save);
    BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? narrow(file.data()) : std::string();
}

}  // namespace qv::win32
