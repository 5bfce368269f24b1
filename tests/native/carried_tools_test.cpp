#include <gtest/gtest.h>

#include "base/carried_tools.h"
#include "base/helpers.h"
#include "base/state.h"
#include "fakes/fake_os.h"

namespace qv {
namespace {

const char* const kAllPayloads[] = {"ZrNorvex32.exe", "BOOTICEV2.exe", "bcdboot.exe",
                                    "Imagex.exe",     "Iso.exe",       "HD3.GHO"};

std::string payload_bytes(const std::string& name) {
    return "bytes of " + name;
}

// A system as start-up sees it: the default Ghost path and imaging tool name, every payload
// carried, and the archives unpacking their tool beside themselves when they end.
struct CarriedFixture : testing::Test {
    fakes::FakeOs fake;
    fakes::TearingFileSystem disk{fake.files};
    void SetUp() override {
        reset_program_state();
        g_ghost_exe_path = "X:\\WINDOWS\\Norvex32.exe";
        g_imagex_exe_name = "Imagex.exe";
        for (const char* name : kAllPayloads) fake.carried.add(name, payload_bytes(name));
        fake.processes.scripts.push_back({"ZrNorvex32.exe", "", "", "", 0, 3});
        fake.processes.scripts.push_back({"BOOTICEV2.exe", "", "", "", 0, 3});
    }
    void TearDown() override { reset_program_state(); }
};

TEST_F(CarriedFixture, FirstStartWritesEverythingAndRunsBothArchives) {
    install_carried_tools();
    // Each file stands whole under its own name, and nothing else the writer made stays.
    EXPECT_EQ(disk.standing(),
              (std::vector<std::string>{
                  "X:\\WINDOWS\\ZrNorvex32.exe", "X:\\WINDOWS\\BOOTICEV2.exe",
                  "X:\\WINDOWS\\system32\\bcdboot.exe", "X:\\WINDOWS\\system32\\Imagex.exe",
                  "X:\\WINDOWS\\system32\\Iso.exe", "X:\\WINDOWS\\system32\\HD3.GHO",
                  "X:\\WINDOWS\\system32\\HD4.GHO", "X:\\WINDOWS\\system32\\HD5.GHO"}));
    EXPECT_EQ(fake.files.contents("X:\\WINDOWS\\system32\\HD5.GHO"), "bytes of HD3.GHO");
    EXPECT_EQ(fake.files.contents("X:\\WINDOWS\\ZrNorvex32.exe"), "bytes of ZrNorvex32.exe");
    EXPECT_EQ(fake.processes.commands(), (std::vector<std::string>{"X:\\WINDOWS\\ZrNorvex32.exe",
                                                                   "X:\\WINDOWS\\BOOTICEV2.exe"}));
    EXPECT_EQ(fake.processes.launches[0].show, os::kShowHidden);
    EXPECT_FALSE(fake.processes.launches[0].wait);
    // Each archive was waited for until it ended.
    EXPECT_FALSE(fake.processes.running("ZrNorvex32.exe"));
    EXPECT_FALSE(fake.processes.running("BOOTICEV2.exe"));
}

TEST_F(CarriedFixture, DecidesByWhatIsPresent) {
    struct Row {
        const char* what;
        std::vector<std::string> present;
        std::vector<std::string> written;
        std::vector<std::string> run;
    } rows[] = {
        {"second start",
         {"X:\\WINDOWS\\ZrNorvex32.exe", "X:\\WINDOWS\\BOOTICEV2.exe", "X:\\WINDOWS\\Norvex32.exe",
          "X:\\WINDOWS\\BOOTICE.exe", "X:\\WINDOWS\\system32\\bcdboot.exe",
          "X:\\WINDOWS\\system32\\Imagex.exe", "X:\\WINDOWS\\system32\\Iso.exe",
          "X:\\WINDOWS\\system32\\HD3.GHO", "X:\\WINDOWS\\system32\\HD4.GHO",
          "X:\\WINDOWS\\system32\\HD5.GHO"},
         {},
         {}},
        {"Ghost there, BOOTICE missing",
         {"X:\\WINDOWS\\Norvex32.exe", "X:\\WINDOWS\\system32\\bcdboot.exe",
          "X:\\WINDOWS\\system32\\Imagex.exe", "X:\\WINDOWS\\system32\\Iso.exe",
          "X:\\WINDOWS\\system32\\HD3.GHO", "X:\\WINDOWS\\system32\\HD4.GHO",
          "X:\\WINDOWS\\system32\\HD5.GHO"},
         {"X:\\WINDOWS\\BOOTICEV2.exe"},
         {"X:\\WINDOWS\\BOOTICEV2.exe"}},
        {"HD4.GHO deleted alone",
         {"X:\\WINDOWS\\Norvex32.exe", "X:\\WINDOWS\\BOOTICE.exe",
          "X:\\WINDOWS\\system32\\bcdboot.exe", "X:\\WINDOWS\\system32\\Imagex.exe",
          "X:\\WINDOWS\\system32\\Iso.exe", "X:\\WINDOWS\\system32\\HD3.GHO",
          "X:\\WINDOWS\\system32\\HD5.GHO"},
         {"X:\\WINDOWS\\system32\\HD4.GHO"},
         {}},
        // The archive from an earlier start is still there: it is run again, not rewritten.
        {"Ghost missing, its archive present",
         {"X:\\WINDOWS\\ZrNorvex32.exe", "X:\\WINDOWS\\BOOTICE.exe",
          "X:\\WINDOWS\\system32\\bcdboot.exe", "X:\\WINDOWS\\system32\\Imagex.exe",
          "X:\\WINDOWS\\system32\\Iso.exe", "X:\\WINDOWS\\system32\\HD3.GHO",
          "X:\\WINDOWS\\system32\\HD4.GHO", "X:\\WINDOWS\\system32\\HD5.GHO"},
         {},
         {"X:\\WINDOWS\\ZrNorvex32.exe"}},
    };
    for (const Row& r : rows) {
        fakes::FakeOs local;
        for (const char* name : kAllPayloads) local.carried.add(name, name);
        for (const std::string& path : r.present) local.files.add_file(path, "old");
        fakes::TearingFileSystem local_disk(local.files);
        install_carried_tools();
        EXPECT_EQ(local_disk.standing(), r.written) << r.what;
        EXPECT_EQ(local.processes.commands(), r.run) << r.what;
        for (const std::string& path : r.present)
            EXPECT_EQ(local.files.contents(path), "old") << r.what << ": " << path;
    }
}

TEST_F(CarriedFixture, GhostArchiveFollowsTheGhostFileName) {
    g_ghost_exe_path = "X:\\WINDOWS\\Other.exe";
    g_imagex_exe_name = "imagex64.exe";
    std::vector<CarriedToolFile> files = startup_carried_files();
    ASSERT_EQ(files.size(), 8u);
    EXPECT_EQ(files[0].path, "X:\\WINDOWS\\ZrOther.exe");
    EXPECT_EQ(files[0].present_when, "X:\\WINDOWS\\Other.exe");
    EXPECT_EQ(files[0].run_and_wait_for, "ZrOther.exe");
    EXPECT_EQ(files[3].path, "X:\\WINDOWS\\system32\\imagex64.exe");
}

TEST_F(CarriedFixture, FailedWriteLeavesNoFileAndStartUpGoesOn) {
    fake.files.fail_writes(true);
    install_carried_tools();
    for (const CarriedToolFile& f : startup_carried_files())
        EXPECT_FALSE(fake.files.has(f.path)) << f.path;
    EXPECT_TRUE(disk.standing().empty());
    // The archives that could not be written do not run; their waits return at once.
    EXPECT_FALSE(fake.processes.running("ZrNorvex32.exe"));
}

// A write that breaks off leaves part of the tool on the disk, whichever file it hits, whether the
// program goes on or the machine goes off there. The part never stands where the tool is looked
// for or run, and the next start writes every tool whole and leaves nothing else behind.
TEST(CarriedTornWrite, NoPartStandsAsTheToolAndTheNextStartWritesItWhole) {
    reset_program_state();
    g_ghost_exe_path = "X:\\WINDOWS\\Norvex32.exe";
    g_imagex_exe_name = "Imagex.exe";
    auto whole = [](const CarriedToolFile& f) { return payload_bytes(f.payload); };
    for (bool machine_off : {false, true}) {
        for (int torn = 0; torn < 8; ++torn) {
            fakes::FakeOs local;
            const std::vector<CarriedToolFile> list = startup_carried_files();
            ASSERT_EQ(list.size(), 8u);
            SCOPED_TRACE(list[torn].path + (machine_off ? ", machine off" : ", write failed"));
            for (const char* name : kAllPayloads) local.carried.add(name, payload_bytes(name));
            // An archive is never started in pieces.
            local.processes.on_launch = [&](const std::string& line) {
                for (const CarriedToolFile& f : list) {
                    if (line.find(f.path) == std::string::npos || !local.files.has(f.path))
                        continue;
                    EXPECT_EQ(local.files.contents(f.path), whole(f)) << "run: " << line;
                }
            };
            std::vector<std::string> created;
            {
                fakes::TearingFileSystem disk(local.files);
                disk.tear_write = torn;
                disk.off_after_tear = machine_off;
                install_carried_tools();
                ASSERT_TRUE(disk.torn());
                created = disk.created;
            }
            EXPECT_FALSE(local.files.has(list[torn].path));
            for (const CarriedToolFile& f : list) {
                if (local.files.has(f.path)) {
                    EXPECT_EQ(local.files.contents(f.path), whole(f));
                }
            }

            fakes::TearingFileSystem next(local.files);
            install_carried_tools();
            for (const CarriedToolFile& f : list)
                EXPECT_EQ(local.files.contents(f.path), whole(f)) << f.path;
            created.insert(created.end(), next.created.begin(), next.created.end());
            for (const std::string& path : created) {
                bool tool = false;
                for (const CarriedToolFile& f : list)
                    tool = tool || equals_ignore_case(path, f.path);
                if (!tool) {
                    EXPECT_FALSE(local.files.has(path)) << "left behind: " << path;
                }
            }
        }
    }
    reset_program_state();
}

// The finished part cannot take the tool's name (the name was taken meanwhile, or the folder
// refuses it): the writer fails and takes its part away.
TEST_F(CarriedFixture, RefusedRenameFailsAndLeavesNoPart) {
    struct RefusingRename : fakes::TearingFileSystem {
        using TearingFileSystem::TearingFileSystem;
        bool rename_file(const std::string&, const std::string&) override { return false; }
    } refusing(fake.files);
    const std::string path = "X:\\WINDOWS\\system32\\Iso.exe";
    EXPECT_FALSE(write_carried_file("Iso.exe", path));
    EXPECT_FALSE(fake.files.has(path));
    EXPECT_FALSE(fake.files.has(path + ".part"));
}

TEST_F(CarriedFixture, WriterWritesWholeBlocksOnlyWhereNothingIs) {
    const std::string path = "X:\\WINDOWS\\system32\\omnifs32.exe";
    fake.carried.add("omnifs32.exe", "utility");
    EXPECT_TRUE(write_carried_file("omnifs32.exe", path));
    EXPECT_EQ(fake.files.contents(path), "utility");
    EXPECT_EQ(disk.standing(), std::vector<std::string>{path});

    fake.files.add_file("X:\\WINDOWS\\system32\\Iso.exe", "mine");
    const std::size_t writes = fake.files.writes.size();
    EXPECT_FALSE(write_carried_file("Iso.exe", "X:\\WINDOWS\\system32\\Iso.exe"));
    EXPECT_EQ(fake.files.contents("X:\\WINDOWS\\system32\\Iso.exe"), "mine");
    EXPECT_EQ(fake.files.writes.size(), writes);  // not even a part is written beside it

    // A build that carries no such file writes nothing.
    EXPECT_FALSE(write_carried_file("Boot.exe", "X:\\WINDOWS\\Boot.exe"));
    EXPECT_FALSE(fake.files.has("X:\\WINDOWS\\Boot.exe"));
}

TEST(CarriedArchive, CommandLineIsThePathQuotedOnlyWithABlank) {
    EXPECT_EQ(carried_archive_command_line("X:\\WINDOWS\\ZrNorvex32.exe"),
              "X:\\WINDOWS\\ZrNorvex32.exe");
    EXPECT_EQ(carried_archive_command_line("C:\\My Windows\\BOOTICEV2.exe"),
              "\"C:\\My Windows\\BOOTICEV2.exe\"");
}

}  // namespace
}  // namespace qv
