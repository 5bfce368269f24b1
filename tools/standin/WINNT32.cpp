// Stand-in for the setup program of a Windows XP installation source (I386\WINNT32.EXE). It logs
// its command line and checks what the program hands it, argument by argument as a program's
// start-up code splits the line (so a folder with a blank must come quoted): the target after
// "/syspart:", the source folder after "/s:" and, when given, the answer file after
// "/unattend:", which must exist (its size is logged as the event "unattend"). It installs
// nothing.
//
// Exit codes: 0 the command line holds together; 1 a named folder or the answer file is missing;
// 2 "/syspart:" or "/s:" is missing. The framework's switches apply (QV_WINNT32_DELAY_MS keeps it
// running for a while, as a real setup would).
#include <windows.h>

#include <string>
#include <vector>

#include "standin.h"

namespace {

// The rest of the first argument that begins with the switch, compared without regard to case;
// `found` tells whether the switch was there.
std::wstring switch_value(const std::vector<std::wstring>& args, const std::wstring& name,
                          bool& found) {
    const std::wstring upper_name = standin::upper(name);
    for (const std::wstring& arg : args) {
        if (standin::upper(arg).compare(0, upper_name.size(), upper_name) != 0) continue;
        found = true;
        return arg.substr(name.size());
    }
    found = false;
    return {};
}

bool folder_exists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int check(const std::vector<std::wstring>& args) {
    bool has_target = false, has_source = false, has_answer = false;
    std::wstring target = switch_value(args, L"/syspart:", has_target);
    std::wstring source = switch_value(args, L"/s:", has_source);
    std::wstring answer = switch_value(args, L"/unattend:", has_answer);
    if (!has_target || !has_source) return 2;
    if (!folder_exists(target) || !folder_exists(source)) return 1;
    if (!has_answer) return 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(answer.c_str(), GetFileExInfoStandard, &data)) {
        standin::note(L"unattend", answer + L"\tmissing");
        return 1;
    }
    standin::note(L"unattend", answer + L"\t" + std::to_wstring(data.nFileSizeLow));
    return 0;
}

}  // namespace

int wmain() {
    standin::begin(L"winnt32");
    return standin::finish(check(standin::arguments()));
}
