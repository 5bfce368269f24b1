#include <expat.h>
#include <gtest/gtest.h>

#include <map>

#include "fakes/fake_os.h"
#include "jobs/answer_files.h"

namespace qv {
namespace {

// The parsed answer file: every element's text by its path of local names, every component's
// attributes, and the namespace of the root.
struct Parsed {
    bool well_formed = false;
    std::string root;
    std::multimap<std::string, std::string> texts;
    std::vector<std::map<std::string, std::string>> components;
    std::vector<std::string> stack;
    std::string text;
};

std::string local_name(const XML_Char* name) {
    std::string n = name;
    std::size_t bar = n.rfind('|');
    return bar == std::string::npos ? n : n.substr(bar + 1);
}

Parsed parse(const std::string& xml) {
    Parsed p;
    XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
    XML_SetUserData(parser, &p);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** attrs) {
            auto& q = *static_cast<Parsed*>(data);
            if (q.stack.empty()) q.root = name;
            q.stack.push_back(local_name(name));
            q.text.clear();
            if (q.stack.back() == "component") {
                std::map<std::string, std::string> a;
                for (int i = 0; attrs[i] != nullptr; i += 2) a[local_name(attrs[i])] = attrs[i + 1];
                q.components.push_back(a);
            }
        },
        [](void* data, const XML_Char*) {
            auto& q = *static_cast<Parsed*>(data);
            std::string path;
            for (const std::string& s : q.stack) path += "/" + s;
            q.texts.emplace(path, q.text);
            q.stack.pop_back();
            q.text.clear();
        });
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* s, int len) {
        static_cast<Parsed*>(data)->text.append(s, static_cast<std::size_t>(len));
    });
    p.well_formed =
        XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return p;
}

std::vector<std::string> texts_at(const Parsed& p, const std::string& path) {
    std::vector<std::string> out;
    auto range = p.texts.equal_range(path);
    for (auto i = range.first; i != range.second; ++i) out.push_back(i->second);
    return out;
}

TEST(AnswerFiles, ChoosesTheTemplateByVersionAndWordSize) {
    using C = AnswerFileChoice;
    struct Row {
        const char* version;
        int type;
        C expected;
    } rows[] = {
        {"6.0.6002.18005", 0, C::A},
        {"6.1.7601.17514", 6, C::B},
        {"6.1.7600", 0, C::A},
        {"6.2.9200.16384", 0, C::C},
        {"6.3.9600.16384", 6, C::D},
        {"6.4.9841", 0, C::C},
        {"10.0.19041.1", 6, C::D},
        {"10.0.22000.1", 0, C::C},
        {"5.1.2600.5512", 0, C::UnsupportedSystem},
        {"6.5", 0, C::UnsupportedSystem},
        {"", 0, C::UnsupportedSystem},
        {"1.0", 6, C::UnsupportedSystem},
        {"6.1.7601", 1, C::OtherBinaryType},
        {"10.0", -1, C::OtherBinaryType},
    };
    for (const Row& r : rows)
        EXPECT_EQ(choose_answer_file(r.version, r.type), r.expected) << r.version;
}

TEST(AnswerFiles, TemplatesAreUnattendDocumentsWithTheirSettings) {
    const std::string ns = "urn:schemas-microsoft-com:unattend|unattend";
    struct Row {
        UnattendTemplate which;
        const char* arch;
        bool vista_seven;
        const char* image_index;
        std::size_t specialize_time_zones;
    } rows[] = {{UnattendTemplate::A, "x86", true, "5", 0},
                {UnattendTemplate::B, "amd64", true, "4", 1},
                {UnattendTemplate::C, "x86", false, "", 0},
                {UnattendTemplate::D, "amd64", false, "", 0}};
    for (const Row& r : rows) {
        const std::string& bytes = unattend_template(r.which);
        SCOPED_TRACE(r.arch + std::string(r.vista_seven ? " 6.0/6.1" : " 6.2+"));
        EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n", 0), 0u);
        for (std::size_t i = 0; i < bytes.size(); ++i) {  // CRLF line ends only
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << i;
            }
        }
        Parsed p = parse(bytes);
        ASSERT_TRUE(p.well_formed);
        EXPECT_EQ(p.root, ns);
        ASSERT_FALSE(p.components.empty());
        for (auto& c : p.components) {
            EXPECT_EQ(c["processorArchitecture"], r.arch);
            EXPECT_EQ(c["publicKeyToken"], "31bf3856ad364e35");
            EXPECT_EQ(c["language"], "neutral");
            EXPECT_EQ(c["versionScope"], "nonSxS");
        }
        const std::string pe = "/unattend/settings/component";
        EXPECT_EQ(texts_at(p, pe + "/UserData/AcceptEula"), std::vector<std::string>{"true"});
        EXPECT_EQ(texts_at(p, pe + "/SetupUILanguage/UILanguage"),
                  std::vector<std::string>{"zh-CN"});
        for (const char* e : {"InputLocale", "SystemLocale", "UILanguage", "UserLocale"})
            EXPECT_EQ(texts_at(p, pe + "/" + e), std::vector<std::string>{"zh-CN"}) << e;
        EXPECT_EQ(texts_at(p, pe + "/OOBE/SkipMachineOOBE"), std::vector<std::string>{"true"});
        EXPECT_EQ(texts_at(p, "/unattend/offlineImage").size(), 1u);
        if (r.vista_seven) {
            EXPECT_EQ(texts_at(p, pe + "/ImageInstall/OSImage/InstallFrom/MetaData/Key"),
                      std::vector<std::string>{"/image/index"});
            EXPECT_EQ(texts_at(p, pe + "/ImageInstall/OSImage/InstallFrom/MetaData/Value"),
                      std::vector<std::string>{r.image_index});
            EXPECT_EQ(texts_at(p, pe + "/ComputerName"), std::vector<std::string>{"Marlune"});
            EXPECT_EQ(texts_at(p, pe + "/TimeZone").size(), 1 + r.specialize_time_zones);
            EXPECT_EQ(texts_at(p, pe + "/AutoLogon/Password/Value"),
                      std::vector<std::string>{"Zk9wQmx1ZVRhbmdvNTUxaw=="});
            EXPECT_EQ(texts_at(p, pe + "/AutoLogon/Password/PlainText"),
                      std::vector<std::string>{"false"});
            EXPECT_EQ(texts_at(p, pe + "/AutoLogon/Username"),
                      std::vector<std::string>{"Administrator"});
            EXPECT_EQ(texts_at(p, pe + "/AutoLogon/Enabled"), std::vector<std::string>{"true"});
        } else {
            const std::string run = pe + "/RunSynchronous/RunSynchronousCommand";
            EXPECT_EQ(texts_at(p, run + "/Order"), (std::vector<std::string>{"1", "2", "3"}));
            EXPECT_EQ(texts_at(p, run + "/Description"),
                      (std::vector<std::string>{"EnableAdmin", "EnableAdmin_ploc",
                                                "UnfilterAdministratorToken"}));
            EXPECT_EQ(texts_at(p, run + "/Path"),
                      (std::vector<std::string>{
                          "cmd /c net user Administrator /active:yes",
                          "cmd /c net user Administrator_ploc /active:yes",
                          "cmd /c reg add "
                          "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System "
                          "/v FilterAdministratorToken /t REG_DWORD /d 0 /f"}));
        }
    }
}

class WriteAnswerFile : public ::testing::Test {
protected:
    void SetUp() override {
        fake.files.add_folder("C:\\");
        fake.files.add_file("C:\\windows\\explorer.exe");
        fake.files.entry("C:\\windows\\explorer.exe")->version = "6.1.7601.17514";
        fake.binary_types.set("C:\\windows\\explorer.exe", 6);
    }
    AnswerFileResult run() {
        return write_answer_file("C:\\", [this](const std::string& c) { commands.push_back(c); });
    }
    fakes::FakeOs fake;
    std::vector<std::string> commands;
};

TEST_F(WriteAnswerFile, CreatesThePantherFolderAndReplacesAnOldFile) {
    fake.files.add_file("C:\\Windows\\Panther\\Unattend.xml", "old");
    AnswerFileResult r = run();
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.report, "");
    EXPECT_EQ(commands, std::vector<std::string>{"MD C:\\Windows\\Panther"});
    EXPECT_EQ(fake.files.contents("C:\\Windows\\Panther\\Unattend.xml"),
              unattend_template(UnattendTemplate::B));

    fake.files.add_folder("C:\\Windows\\Panther");
    commands.clear();
    EXPECT_TRUE(run().written);
    EXPECT_TRUE(commands.empty());
}

TEST_F(WriteAnswerFile, ReportsWhatStopsIt) {
    ASSERT_NE(fake.files.entry("C:\\windows\\explorer.exe"), nullptr);
    fake.files.entry("C:\\windows\\explorer.exe")->version = "5.1.2600.5512";
    EXPECT_EQ(run().report, "不支持的系统，无法添加无人值守文件！");

    fake.files.entry("C:\\windows\\explorer.exe")->version = "10.0.19041.1";
    fake.binary_types.set("C:\\windows\\explorer.exe", 1);
    AnswerFileResult silent = run();
    EXPECT_FALSE(silent.written);
    EXPECT_EQ(silent.report, "");

    fake.binary_types.set("C:\\windows\\explorer.exe", 0);
    fake.files.fail_writes(true);
    EXPECT_EQ(run().report, "添加无人值守安装文件失败！");
    EXPECT_TRUE(fake.files.writes.empty());

    fake.files.delete_file("C:\\windows\\explorer.exe");
    EXPECT_EQ(run().report, "添加无人值守安装文件失败！");
}

}  // namespace
}  // namespace qv
