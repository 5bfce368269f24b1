// What a tool receives of a path that the command interpreter hands on: the lines are read the
// way the interpreter reads a typed line (and "cmd.exe /c"), then split into arguments the way a
// tool's runtime splits its command line.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "base/cmd_quoting.h"
#include "base/helpers.h"
#include "jobs/imagex_capture.h"
#include "jobs/imagex_commands.h"
#include "jobs/start_checks.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;
using Variables = std::map<std::string, std::string>;  // names upper-cased

// The interpreter outside a batch file: %NAME% of a variable it knows becomes its value, case
// ignored; a name it does not know stays as written. Whether the scan goes on after the first
// "%" of an unknown name or after its closing one is not pinned down, so both are tried.
std::string interpreter_reading(const std::string& line, const Variables& known,
                                bool resume_after_name) {
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] != '%') {
            std::size_t next = next_char(line, i);
            out.append(line, i, next - i);
            i = next;
            continue;
        }
        std::size_t close = line.find('%', i + 1);
        if (close == std::string::npos) {
            out.append(line, i, std::string::npos);
            break;
        }
        auto found = known.find(upper_ascii(line.substr(i + 1, close - i - 1)));
        if (found != known.end()) {
            out += found->second;
            i = close + 1;
        } else if (resume_after_name) {
            out.append(line, i, close - i);
            i = close;
        } else {
            out += '%';
            i += 1;
        }
    }
    return out;
}

// Then the interpreter reads the line's operators: a double quote opens or closes a quoted stretch
// and stays in the line; outside one, a caret goes and the character after it stays as it is, and
// & | < > end the tool's command (what follows is another command or a redirection, never the
// tool's).
std::string tool_command(const std::string& line) {
    std::string out;
    bool quoted = false;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t next = next_char(line, i);
        char c = line[i];
        if (next - i == 1 && c == '"') {
            quoted = !quoted;
        } else if (next - i == 1 && !quoted && c == '^') {
            i = next;
            next = next_char(line, i);
        } else if (next - i == 1 && !quoted && std::strchr("&|<>", c) != nullptr) {
            break;
        }
        out.append(line, i, next - i);
        i = next;
    }
    return out;
}

// A tool's runtime: blanks part the arguments outside quotes; 2n backslashes before a quote give
// n and the quote opens or closes, 2n+1 give n and a quote of the text; "" inside quotes is a
// quote of the text; other backslashes are themselves. The line is walked by character.
Lines tool_arguments(const std::string& line) {
    Lines args;
    std::string arg;
    bool in_arg = false, quoted = false;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t next = next_char(line, i);
        char c = line[i];
        if (next - i > 1) {
            arg.append(line, i, next - i);
            in_arg = true;
        } else if (c == '\\') {
            std::size_t n = 0;
            while (i + n < line.size() && line[i + n] == '\\') ++n;
            if (i + n < line.size() && line[i + n] == '"') {
                arg.append(n / 2, '\\');
                if (n % 2 == 1) arg += '"';
                next = i + n + (n % 2 == 1 ? 1 : 0);
            } else {
                arg.append(n, '\\');
                next = i + n;
            }
            in_arg = true;
        } else if (c == '"') {
            if (quoted && next < line.size() && line[next] == '"') {
                arg += '"';
                ++next;
            } else {
                quoted = !quoted;
            }
            in_arg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (in_arg) args.push_back(arg);
            arg.clear();
            in_arg = false;
        } else {
            arg += c;
            in_arg = true;
        }
        i = next;
    }
    if (in_arg) args.push_back(arg);
    return args;
}

// "cmd.exe /c" takes off the first and the last quote of a command that begins with one.
std::string after_slash_c(const std::string& command) {
    if (command.empty() || command[0] != '"') return command;
    std::string inner = command.substr(1);
    std::size_t last = inner.rfind('"');
    return last == std::string::npos ? inner : inner.erase(last, 1);
}

const Variables kKnown = {
    {"PATH", "C:\\windows\\system32;C:\\windows"}, {"X", "expanded"}, {"CD", "C:\\"}};

Lines received(const std::string& command, bool resume_after_name) {
    return tool_arguments(
        tool_command(interpreter_reading(after_slash_c(command), kKnown, resume_after_name)));
}

TEST(CmdQuoting, EachPercentStandsBetweenQuotedPieces) {
    struct Row {
        std::string text, argument;
    } rows[] = {
        {"D:\\images\\win7.wim", "\"D:\\images\\win7.wim\""},
        {"D:\\50%\\x.wim", "\"D:\\50\"%\"\\x.wim\""},
        {"D:\\a&b %PATH% c.wim", "\"D:\\a&b \"%\"PATH\"%\" c.wim\""},
        {"a%%b", "\"a\"%\"\"%\"b\""},
        {"%X", "\"\"%\"X\""},
        // Backslashes before an added quote stay backslashes; a trail byte 0x5C is none.
        {"D:\\x\\%y.wim", "\"D:\\x\\\\\"%\"y.wim\""},
        {"C_BAK\\", "\"C_BAK\\\\\""},
        {"备\x95\x5c%", "\"备\x95\x5c\"%\"\""},
        {" ", "\" \""},
    };
    for (const Row& r : rows) EXPECT_EQ(cmd_argument(r.text), r.argument) << r.text;
    EXPECT_EQ(cmd_path_argument("E:\\images\\win7.wim"), "E:\\images\\win7.wim");
    EXPECT_EQ(cmd_path_argument("D:\\50%.wim"), "\"D:\\50\"%\".wim\"");
    // A command line started directly is read by no interpreter: its quoting stays plain.
    EXPECT_EQ(quote_path_for_cmd("D:\\50%\\BOOTICE.EXE"), "\"D:\\50%\\BOOTICE.EXE\"");
}

// Every command that goes through the interpreter hands the tool the path and the name exactly,
// a defined variable's name, "&", blanks and double-byte characters included.
TEST(CmdQuoting, ToolsReceiveThePathsTheUserChose) {
    const std::string texts[] = {
        "D:\\50%\\win7.wim",      "D:\\a&b %PATH% c.wim",   "D:\\镜像 %x% (1)\\系统.wim",
        "D:\\%cd%%PATH%%\\w.wim", "D:\\x\\%PATH%\\s^p.wim", "D:\\plain\\win7.wim",
        "D:\\备\x95\x5c%X%.wim",  "D:\\100%% sure!.wim",    "D:\\A&B\\x.wim",
        "D:\\A^B\\x.wim",
    };
    for (bool resume_after_name : {false, true}) {
        for (const std::string& path : texts) {
            SCOPED_TRACE(path);
            EXPECT_EQ(received(imagex_info_command("Imagex.exe", path), resume_after_name),
                      (Lines{"Imagex.exe", "/INFO", path}));
            EXPECT_EQ(received(imagex_apply_command("Imagex.exe", path, 5, "E:\\", ""),
                               resume_after_name),
                      (Lines{"Imagex.exe", "/apply", path, "5", "E:\\"}));
            EXPECT_EQ(received(imagex_apply_command("Imagex.exe", path, 1, "E:\\", "/ref"),
                               resume_after_name),
                      (Lines{"Imagex.exe", "/apply", path, "1", "E:\\", "/ref",
                             split_set_pattern(path)}));
            const std::string name = capture_name_text(path.substr(3) + "\\");
            EXPECT_EQ(received(imagex_capture_command("Imagex.exe", "C:\\", path, name,
                                                      " /compress Maximum"),
                               resume_after_name),
                      (Lines{"Imagex.exe", "/capture", "C:\\", path, name, "/compress", "Maximum",
                             "/temp", "D:\\ImagexTemp"}));
            for (const char* ghost : {"X:\\WINDOWS\\Norvex32.exe", "D:\\Ghost 100%\\g.exe"}) {
                EXPECT_EQ(received(ghost_check_image_command(ghost, path), resume_after_name),
                          (Lines{ghost, "-CHKIMG," + path, "-sure", "-fx", "-BATCH"}));
            }
        }
    }
}

TEST(CmdQuoting, RefusesWhatNoQuotingCarries) {
    for (const char* text : {"D:\\a\"&calc&\".wim", "D:\\a\r\ncalc.wim", "n\tame", "\x1a", "\x1f"})
        EXPECT_FALSE(cmd_can_carry(text)) << text;
    for (const char* text : {"D:\\a&b %PATH% c.wim", "备\x95\x5c份", "", " "})
        EXPECT_TRUE(cmd_can_carry(text)) << text;
}

}  // namespace
}  // namespace qv
