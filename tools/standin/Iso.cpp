// Stand-in for the virtual-drive tool, for Wine. Command lines, as the program writes them:
//   ISO.exe /D:<L> /I:<image>        mounts the image on drive L (the letter may be followed by
//   ISO.exe /D:<L>:\  /I:<image>     ":\" and blanks); the image path is the rest of the line
//   iso.exe /q                       unmounts every drive this tool mounted
//
// An image's contents are the folder beside it named <image>.d. Wine's drives are the links in the
// prefix's "dosdevices" folder, which QV_ISO_DOSDEVICES names as a Unix path: a mount asks Wine's
// mount manager for an optical drive <L>: on the contents folder, which makes that link and lists
// the letter among the system's drives at once, as a real virtual drive does (Wine's own
// DefineDosDevice reports success without making a drive; a link made by hand stays out of the
// drive list until the Wine server starts again). Without the mount manager the host's ln makes
// the link. Either way the tool waits until the letter answers. It touches nothing but links of
// that folder, and only links it made itself, which it lists in the file ".qv-iso-mounts" there;
// a letter that is in use otherwise is refused.
//
// Exit codes: 0 done; 1 no letter, no contents folder, a letter in use, no dosdevices folder, or
// the link could not be made; 2 an unknown command line.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "standin.h"
#include "wine_mount_manager.h"

namespace {

const wchar_t kStateFile[] = L".qv-iso-mounts";

// The Unix name of a Windows path, through Wine's own export; empty outside Wine.
std::wstring unix_name_of(const std::wstring& path) {
    using Lookup = char*(CDECL*)(LPCWSTR);
    auto lookup = reinterpret_cast<Lookup>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (lookup == nullptr) return {};
    char* name = lookup(path.c_str());
    if (name == nullptr) return {};
    std::wstring wide = standin::from_utf8(name);
    HeapFree(GetProcessHeap(), 0, name);
    return wide;
}

// A Unix path as Wine opens it from a Windows program.
std::wstring through_wine(const std::wstring& unix_path) {
    std::wstring out = L"\\\\?\\unix" + unix_path;
    std::replace(out.begin(), out.end(), L'/', L'\\');
    return out;
}

// The prefix's dosdevices folder, refused unless it is one.
std::wstring dosdevices_folder() {
    std::wstring folder = standin::env(L"QV_ISO_DOSDEVICES");
    while (folder.size() > 1 && folder.back() == L'/') folder.pop_back();
    const std::wstring tail = L"/dosdevices";
    if (folder.size() <= tail.size() || folder[0] != L'/' ||
        folder.compare(folder.size() - tail.size(), tail.size(), tail) != 0)
        return {};
    return folder;
}

std::wstring link_of(const std::wstring& dosdevices, wchar_t letter) {
    return dosdevices + L"/" + std::wstring(1, static_cast<wchar_t>(towlower(letter))) + L":";
}

std::wstring read_mounts(const std::wstring& dosdevices) {
    std::string bytes;
    standin::read_file(through_wine(dosdevices + L"/" + kStateFile), bytes);
    std::wstring letters;
    for (char c : bytes)
        if (c >= 'A' && c <= 'Z' && letters.find(static_cast<wchar_t>(c)) == std::wstring::npos)
            letters.push_back(static_cast<wchar_t>(c));
    return letters;
}

bool write_mounts(const std::wstring& dosdevices, const std::wstring& letters) {
    std::string bytes;
    for (wchar_t c : letters) {
        bytes += static_cast<char>(c);
        bytes += "\r\n";
    }
    return standin::write_file(through_wine(dosdevices + L"/" + kStateFile), bytes);
}

// Starts a host program by its Unix path. Wine hands such a program no process handle to wait
// on, so callers watch for its effect instead.
bool start_host(const std::wstring& program, const std::vector<std::wstring>& args) {
    std::wstring line = L"\"" + through_wine(program) + L"\"";
    for (const std::wstring& a : args) line += L" \"" + a + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    if (pi.hThread != nullptr) CloseHandle(pi.hThread);
    if (pi.hProcess != nullptr) CloseHandle(pi.hProcess);
    return true;
}

bool drive_answers(wchar_t letter) {
    std::wstring probe = std::wstring(1, letter) + L":\\nul";
    WIN32_FIND_DATAW data;
    HANDLE found = FindFirstFileW(probe.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

bool entry_exists(const std::wstring& unix_path) {
    return GetFileAttributesW(through_wine(unix_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Waits up to five seconds for the condition; whether it came true.
template <typename Condition>
bool wait_for(Condition condition) {
    for (int waited = 0; waited < 5000; waited += 50) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

// The text after a switch such as "/D:", found without regard to case; npos when absent.
std::size_t after_switch(const std::wstring& upper_line, const wchar_t* name) {
    std::size_t at = upper_line.find(name);
    return at == std::wstring::npos ? at : at + wcslen(name);
}

std::wstring trimmed(std::wstring text) {
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
    std::size_t start = text.find_first_not_of(L" \t");
    text = start == std::wstring::npos ? std::wstring() : text.substr(start);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = text.substr(1, text.size() - 2);
    return text;
}

int mount(const std::wstring& line, std::size_t letter_at, std::size_t image_at) {
    wchar_t letter = letter_at < line.size() ? static_cast<wchar_t>(towupper(line[letter_at])) : 0;
    if (letter < L'A' || letter > L'Z') {
        standin::print(L"no drive letter\r\n");
        return 1;
    }
    std::wstring image = trimmed(line.substr(image_at));
    std::wstring contents = image + L".d";
    DWORD attributes = GetFileAttributesW(contents.c_str());
    if (image.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        standin::print(L"cannot open the image " + image + L"\r\n");
        return 1;
    }
    std::wstring dosdevices = dosdevices_folder();
    std::wstring target = unix_name_of(contents);
    if (dosdevices.empty() || target.empty()) {
        standin::print(L"no drive folder to mount into\r\n");
        return 1;
    }
    std::wstring mounts = read_mounts(dosdevices);
    bool ours = mounts.find(letter) != std::wstring::npos;
    if (!ours && (entry_exists(link_of(dosdevices, letter)) || drive_answers(letter))) {
        standin::print(std::wstring(1, letter) + L": is in use\r\n");
        return 1;
    }
    // Listed before the link is made, so that an unmount can always find what a mount left.
    if (!ours && !write_mounts(dosdevices, mounts + letter)) return 1;
    bool made = wine_mount_manager::define_drive(letter, DRIVE_CDROM, standin::to_utf8(target)) ||
                start_host(L"/bin/ln", {L"-sfn", target, link_of(dosdevices, letter)});
    // The running program sees the new letter within about a second.
    if (!made || !wait_for([&] { return drive_answers(letter); })) {
        if (!ours) write_mounts(dosdevices, mounts);
        return 1;
    }
    return 0;
}

int unmount_all() {
    std::wstring dosdevices = dosdevices_folder();
    if (dosdevices.empty()) return 1;
    std::wstring left;
    for (wchar_t letter : read_mounts(dosdevices)) {
        std::wstring link = link_of(dosdevices, letter);
        if (!entry_exists(link)) continue;
        // The mount manager removes only the drives it knows; unlink removes a link and refuses
        // a folder: nothing else is ever deleted.
        if (wine_mount_manager::define_drive(letter, DRIVE_NO_ROOT_DIR, {}) &&
            wait_for([&] { return !entry_exists(link); }))
            continue;
        if (!(start_host(L"/usr/bin/unlink", {link}) &&
              wait_for([&] { return !entry_exists(link); })))
            left.push_back(letter);
    }
    return write_mounts(dosdevices, left) && left.empty() ? 0 : 1;
}

}  // namespace

int wmain() {
    standin::begin(L"iso");
    const std::wstring line = standin::raw_command_line();
    const std::wstring upper = standin::upper(line);
    for (const std::wstring& arg : standin::arguments())
        if (standin::upper(arg) == L"/Q") return standin::finish(unmount_all());
    std::size_t letter_at = after_switch(upper, L"/D:");
    std::size_t image_at = after_switch(upper, L"/I:");
    if (letter_at == std::wstring::npos || image_at == std::wstring::npos)
        return standin::finish(2);
    return standin::finish(mount(line, letter_at, image_at));
}
