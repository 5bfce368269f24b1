#include "jobs/answer_files.h"

#include "base/helpers.h"
#include "platform/os.h"
#include "platform/os_com.h"

namespace qv {

const char kAnswerFileStatusText[] = "正在添加无人值守安装文件......";
const char kAnswerFileBalloonText[] = "正在添加无人值守安装文件，请稍后......";
const char kAnswerFileFailedText[] = "添加无人值守安装文件失败！";
const char kAnswerFileUnsupportedText[] = "不支持的系统，无法添加无人值守文件！";

namespace {

std::string with_crlf(const char* text) {
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\n') out += '\r';
        out += *p;
    }
    return out;
}

std::string component(const char* name, const char* arch) {
    return std::string("        <component name=\"") + name + "\" processorArchitecture=\"" + arch +
           "\" publicKeyToken=\"31bf3856ad364e35\" language=\"neutral\" versionScope=\"nonSxS\""
           " xmlns:wcm=\"http://schemas.microsoft.com/WMIConfig/2002/State\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
}

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<unattend xmlns=\"urn:schemas-microsoft-com:unattend\">\n";
const char kTail[] =
    "    <cpi:offlineImage cpi:source=\"catalog:c:/sources/install_windows 7 ultimate.clg\""
    " xmlns:cpi=\"urn:schemas-microsoft-com:cpi\" />\n"
    "</unattend>\n";

const char kInternational[] =
    "            <SetupUILanguage>\n"
    "                <UILanguage>zh-CN</UILanguage>\n"
    "            </SetupUILanguage>\n"
    "            <InputLocale>zh-CN</InputLocale>\n"
    "            <SystemLocale>zh-CN</SystemLocale>\n"
    "            <UILanguage>zh-CN</UILanguage>\n"
    "            <UserLocale>zh-CN</UserLocale>\n"
    "        </component>\n";
const char kAcceptEula[] =
    "            <UserData>\n"
    "                <AcceptEula>true</AcceptEula>\n"
    "            </UserData>\n";
const char kOobe[] =
    "            <OOBE>\n"
    "                <SkipMachineOOBE>true</SkipMachineOOBE>\n"
    "            </OOBE>\n";
const char kTimeZone[] = "            <TimeZone>China Standard Time</TimeZone>\n";
const char kAutoLogon[] =
    "            <AutoLogon>\n"
    "                <Password>\n"
    "                    <Value>Zk9wQmx1ZVRhbmdvNTUxaw==</Value>\n"
    "                    <PlainText>false</PlainText>\n"
    "                </Password>\n"
    "                <Username>Administrator</Username>\n"
    "                <Enabled>true</Enabled>\n"
    "            </AutoLogon>\n";

// Windows Vista and 7: which image of the source to install, and the logon of the first start.
std::string vista_seven_template(const char* arch, const char* image_index, bool x64_layout) {
    std::string t = kHead;
    t += "    <settings pass=\"windowsPE\">\n";
    t += component("Microsoft-Windows-International-Core-WinPE", arch);
    t += kInternational;
    t += component("Microsoft-Windows-Setup", arch);
    std::string image_install = std::string(
                                    "            <ImageInstall>\n"
                                    "                <OSImage>\n"
                                    "                    <InstallFrom>\n"
                                    "                        <MetaData wcm:action=\"add\">\n"
                                    "                            <Key>/image/index</Key>\n"
                                    "                            <Value>") +
                                image_index +
                                "</Value>\n"
                                "                        </MetaData>\n"
                                "                    </InstallFrom>\n"
                                "                </OSImage>\n"
                                "            </ImageInstall>\n";
    t += x64_layout ? image_install + kAcceptEula : kAcceptEula + image_install;
    t += "        </component>\n    </settings>\n";
    t += "    <settings pass=\"specialize\">\n";
    t += component("Microsoft-Windows-Shell-Setup", arch);
    t += "            <ComputerName>Marlune</ComputerName>\n";
    if (x64_layout) t += kTimeZone;
    t += "        </component>\n    </settings>\n";
    t += "    <settings pass=\"oobeSystem\">\n";
    t += component("Microsoft-Windows-Shell-Setup", arch);
    if (x64_layout) {
        t += kAutoLogon;
        t += kOobe;
        t += kTimeZone;
    } else {
        t += kOobe;
        t += kTimeZone;
        t += kAutoLogon;
    }
    t += "        </component>\n    </settings>\n";
    t += kTail;
    return with_crlf(t.c_str());
}

std::string run_synchronous(const char* order, const char* description, const char* path) {
    return std::string(
               "                <RunSynchronousCommand wcm:action=\"add\">\n"
               "                    <Order>") +
           order +
           "</Order>\n"
           "                    <Description>" +
           description +
           "</Description>\n"
           "                    <Path>" +
           path +
           "</Path>\n"
           "                </RunSynchronousCommand>\n";
}

// Windows 8 and later: the built-in administrator enabled and unfiltered at the first start.
std::string eight_and_later_template(const char* arch) {
    std::string t = kHead;
    t += "    <settings pass=\"windowsPE\">\n";
    t += component("Microsoft-Windows-Setup", arch);
    t += kAcceptEula;
    t += "        </component>\n";
    t += component("Microsoft-Windows-International-Core-WinPE", arch);
    t += kInternational;
    t += "    </settings>\n";
    t += "    <settings pass=\"specialize\">\n";
    t += component("Microsoft-Windows-Deployment", arch);
    t += "            <RunSynchronous>\n";
    t += run_synchronous("1", "EnableAdmin", "cmd /c net user Administrator /active:yes");
    t += run_synchronous("2", "EnableAdmin_ploc", "cmd /c net user Administrator_ploc /active:yes");
    t += run_synchronous(
        "3", "UnfilterAdministratorToken",
        "cmd /c reg add HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies"
        "\\System /v FilterAdministratorToken /t REG_DWORD /d 0 /f");
    t += "            </RunSynchronous>\n";
    t += "        </component>\n    </settings>\n";
    t += "    <settings pass=\"oobeSystem\">\n";
    t += component("Microsoft-Windows-Shell-Setup", arch);
    t += kOobe;
    t += "        </component>\n    </settings>\n";
    t += kTail;
    return with_crlf(t.c_str());
}

}  // namespace

const std::string& unattend_template(UnattendTemplate which) {
    static const std::string a = vista_seven_template("x86", "5", false);
    static const std::string b = vista_seven_template("amd64", "4", true);
    static const std::string c = eight_and_later_template("x86");
    static const std::string d = eight_and_later_template("amd64");
    switch (which) {
        case UnattendTemplate::A:
            return a;
        case UnattendTemplate::B:
            return b;
        case UnattendTemplate::C:
            return c;
        default:
            return d;
    }
}

AnswerFileChoice choose_answer_file(const std::string& explorer_version, int binary_type) {
    std::string three = explorer_version.substr(0, 3);
    bool first_pair = three == "6.0" || three == "6.1";
    bool second_pair =
        three == "6.2" || three == "6.3" || three == "6.4" || explorer_version.substr(0, 2) == "10";
    if (!first_pair && !second_pair) return AnswerFileChoice::UnsupportedSystem;
    if (binary_type == 0) return first_pair ? AnswerFileChoice::A : AnswerFileChoice::C;
    if (binary_type == 6) return first_pair ? AnswerFileChoice::B : AnswerFileChoice::D;
    return AnswerFileChoice::OtherBinaryType;
}

int binary_type_of(const std::string& file) {
    os::BinaryTypes* types = os::os().binary_types;
    return types == nullptr ? -1 : types->binary_type(file);
}

std::string panther_folder_command(const std::string& target_root) {
    return "MD " + target_root + "Windows\\Panther";
}

std::string answer_file_path(const std::string& target_root) {
    return target_root + "Windows\\Panther\\Unattend.xml";
}

AnswerFileResult write_answer_file(const std::string& target_root,
                                   const std::function<void(const std::string&)>& run_capture) {
    AnswerFileResult result;
    if (!path_exists(target_root + "Windows\\Panther") && run_capture)
        run_capture(panther_folder_command(target_root));
    std::string explorer = target_root + "windows\\explorer.exe";
    if (!file_exists(explorer)) {
        result.report = kAnswerFileFailedText;
        return result;
    }
    AnswerFileChoice choice =
        choose_answer_file(get_file_version(explorer), binary_type_of(explorer));
    if (choice == AnswerFileChoice::UnsupportedSystem) {
        result.report = kAnswerFileUnsupportedText;
        return result;
    }
    if (choice == AnswerFileChoice::OtherBinaryType) return result;
    static const UnattendTemplate kTemplates[] = {UnattendTemplate::A, UnattendTemplate::B,
                                                  UnattendTemplate::C, UnattendTemplate::D};
    const std::string& bytes = unattend_template(kTemplates[static_cast<int>(choice)]);
    std::string path = answer_file_path(target_root);
    os::FileSystem& files = *os::os().files;
    if (files.path_exists(path)) files.delete_file(path);
    // A silent failure here would leave the user expecting an unattended first start.
    if (!files.write_new_file(path, bytes)) {
        result.report = kAnswerFileFailedText;
        return result;
    }
    result.written = true;
    return result;
}

}  // namespace qv
