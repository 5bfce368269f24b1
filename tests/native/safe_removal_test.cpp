#include <gtest/gtest.h>

#include "disks/partition_list.h"
#include "disks/safe_removal.h"
#include "fakes/main_window_rig.h"

namespace qv {
namespace {

using os::DeviceInterfaceClass;
using os::kDriveCdrom;
using os::kDriveFixed;
using os::kDriveRemovable;
using Lines = std::vector<std::string>;

// C: 1:1 on \Device\HarddiskVolume1, U: a stick (disk 2, volume 10) with its device instance 0x51
// under the stick's own device 0x50. The program holds files on both drives.
class SafeRemoval : public ::testing::Test {
protected:
    SafeRemoval() {
        drives.add("C:\\", kDriveFixed, 0, 1);
        drives.add("U:\\", kDriveRemovable, 1, 1);
        handles.devices = {{"C:", "\\Device\\HarddiskVolume1"},
                           {"U:", "\\Device\\HarddiskVolume10"}};
        rig.os.ejector.instances[{DeviceInterfaceClass::Disk, 1}] = 0x51;
        rig.os.ejector.parents[0x51] = 0x50;
    }
    std::uint32_t own() const { return handles.own_process_id; }
    ui::Window& open_filled() {
        for (const char* root : {"C:\\", "U:\\"}) rig.os.files.add_folder(root);
        ui::Window& main = rig.open_main_window();
        fill_partition_list_fixed(main);
        fill_partition_list_removable(main);
        select_default_partition_row(main);
        return main;
    }
    // Chooses "移    除(&J)" from the disk menu of the stick's row.
    void remove_stick(ui::Window& main) {
        ASSERT_TRUE(fakes::select(main, "partition_list", 1));
        rig.ui.answer_next_popup("disk_menu_remove");
        ASSERT_TRUE(fakes::right_click(main, "partition_list", 1));
    }
    fakes::MainWindowRig rig;
    fakes::FakeDrives& drives = rig.os.drives;
    fakes::FakeHandleTable& handles = rig.os.handles;
};

TEST_F(SafeRemoval, NoToTheQuestionChangesNothing) {
    ui::Window& main = open_filled();
    handles.add(own(), 0x40, 1, "\\Device\\HarddiskVolume10\\a.txt");
    rig.os.notices.answers = {os::kIdNo};
    remove_stick(main);
    ASSERT_EQ(rig.os.notices.boxes.size(), 1u);
    EXPECT_EQ(rig.os.notices.boxes[0].text, "是否移除可移动驱动器 U:\\(2:1) ？");
    EXPECT_EQ(rig.os.notices.boxes[0].caption, "提示");
    EXPECT_EQ(rig.os.notices.boxes[0].style, 0x44);
    EXPECT_TRUE(handles.table_sizes.empty());
    EXPECT_TRUE(rig.os.ejector.requests.empty());
    EXPECT_TRUE(fakes::headless(main).balloons().empty());
}

TEST_F(SafeRemoval, ClosesOnlyTheProgramsOwnFilesOnTheDriveThenEjectsItsParent) {
    ui::Window& main = open_filled();
    handles.add(own(), 0x40, 1, "\\Device\\HarddiskVolume10\\GHO\\xp.gho");
    handles.add(own(), 0x44, 1, "\\Device\\HarddiskVolume1\\Windows\\a.log");
    handles.add(own(), 0x48, 3, "\\Device\\NamedPipe\\console");  // a pipe: its name is not asked
    handles.add(own(), 0x4C, fakes::FakeHandleTable::kHangs, "\\Device\\HarddiskVolume10\\b");
    handles.add(own(), 0x50, 0, "\\Device\\HarddiskVolume10\\c");  // type unknown: skipped
    handles.add(own(), 0x54, 1, "\\Device\\HarddiskVolume10\\d").name_readable = false;
    handles.add(own(), 0x58, 1, "\\Device\\HarddiskVolume10");              // the volume itself
    handles.add(0x0BB8, 0x40, 1, "\\Device\\HarddiskVolume10\\other.txt");  // another program
    handles.add(0x0BB8, 0x4C, 1, "\\Device\\HarddiskVolume10\\more.txt");   // not asked either
    handles.add(own(), 0x5C, 1, "\\Device\\HarddiskVolume10\\e").type_number = 7;  // no file
    rig.os.notices.answers = {os::kIdYes};
    remove_stick(main);

    EXPECT_EQ(handles.closed_in_owner,
              (Lines{"\\Device\\HarddiskVolume10\\GHO\\xp.gho", "\\Device\\HarddiskVolume10"}));
    EXPECT_EQ(handles.ended_threads, std::vector<std::uint32_t>{0x4C});
    EXPECT_EQ(handles.waited_ms, 100);
    EXPECT_EQ(handles.names_asked, (std::vector<std::uint32_t>{0x40, 0x44, 0x54, 0x58}));
    EXPECT_TRUE(handles.in_table(0x0BB8, 0x40));
    EXPECT_EQ(handles.local_handles_open(), 0u);  // the probe, every copy and process handle
    ASSERT_EQ(rig.os.ejector.requests.size(), 1u);
    EXPECT_EQ(rig.os.ejector.requests[0].instance, 0x50u);
    EXPECT_FALSE(rig.os.ejector.requests[0].show_system_notice);

    const auto& balloons = fakes::headless(main).balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].title, "提示");
    EXPECT_EQ(balloons[0].text, "可移动驱动器 U:\\(2:1) 被移除，请刷新分区列表！");
    EXPECT_EQ(balloons[0].icon, ui::kBalloonInfo);
    ASSERT_EQ(rig.os.notices.boxes.size(), 2u);
    EXPECT_EQ(rig.os.notices.boxes[1].text, "可移动驱动器 U:\\(2:1) 被移除！");
    EXPECT_EQ(rig.os.notices.boxes[1].style, 0x40);
    EXPECT_EQ(main.row_count("partition_list"), 2);  // the user refreshes
}

TEST_F(SafeRemoval, VetoedEjectTriesFourTimesThenReportsTheFailure) {
    ui::Window& main = open_filled();
    rig.os.ejector.answers.assign(4, os::EjectAnswer{0, 6});  // another program holds the stick
    std::uint32_t start = rig.os.clock.ticks;
    rig.os.notices.answers = {os::kIdYes};
    remove_stick(main);
    EXPECT_EQ(rig.os.ejector.requests.size(), 4u);
    EXPECT_EQ(rig.os.clock.ticks - start, 1200u);
    const auto& balloons = fakes::headless(main).balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].text, "移除可移动驱动器 U:\\(2:1) 失败！");
    EXPECT_EQ(balloons[0].icon, ui::kBalloonInfo);
    ASSERT_EQ(rig.os.notices.boxes.size(), 2u);
    EXPECT_EQ(rig.os.notices.boxes[1].text, "移除可移动驱动器 U:\\(2:1) 失败！");
    EXPECT_EQ(rig.os.notices.boxes[1].style, 0x10);
}

TEST_F(SafeRemoval, EjectDecisions) {
    struct Case {
        const char* name;
        std::vector<os::EjectAnswer> answers;
        bool has_parent;
        int tries;
        bool ejected;
    } cases[] = {
        {"first try", {}, true, 1, true},
        {"veto, then yes", {{0, 6}}, true, 2, true},
        {"refused without a veto", {{0x17, 0}, {0x17, 0}, {0x17, 0}, {0x17, 0}}, true, 4, false},
        {"no parent", {}, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rig.os.ejector.requests.clear();
        rig.os.ejector.answers.assign(c.answers.begin(), c.answers.end());
        if (!c.has_parent) rig.os.ejector.parents.clear();
        EXPECT_EQ(request_device_eject("\\\\.\\U:", true), c.ejected);
        EXPECT_EQ(rig.os.ejector.requests.size(), static_cast<std::size_t>(c.tries));
        for (const auto& r : rig.os.ejector.requests) EXPECT_TRUE(r.show_system_notice);
    }

    // The class searched follows the drive type and a floppy device name.
    struct Search {
        int type;
        const char* device;
        bool searched;
        DeviceInterfaceClass cls;
    } searches[] = {
        {kDriveRemovable, "\\Device\\Harddisk1\\DP(1)0-0+3", true, DeviceInterfaceClass::Disk},
        {kDriveRemovable, "\\Device\\FLOPPY0", true, DeviceInterfaceClass::Floppy},
        {kDriveFixed, "\\Device\\HarddiskVolume2", true, DeviceInterfaceClass::Disk},
        {kDriveCdrom, "\\Device\\CdRom0", true, DeviceInterfaceClass::Cdrom},
        {os::kDriveRemote, "\\Device\\LanmanRedirector", false, {}},
        {os::kDriveRamDisk, "\\Device\\Ramdisk", false, {}}};
    for (const Search& s : searches) {
        SCOPED_TRACE(s.device);
        rig.os.ejector.searches.clear();
        EXPECT_EQ(find_device_instance(7, s.type, s.device), 0u);
        ASSERT_EQ(rig.os.ejector.searches.size(), s.searched ? 1u : 0u);
        if (s.searched) {
            EXPECT_EQ(rig.os.ejector.searches[0].first, s.cls);
            EXPECT_EQ(rig.os.ejector.searches[0].second, 7u);
        }
    }

    // Without a device number or a device name nothing is asked.
    rig.os.ejector.parents[0x51] = 0x50;
    rig.os.ejector.requests.clear();
    handles.devices.erase("U:");
    EXPECT_FALSE(request_device_eject("\\\\.\\U:", false));
    ASSERT_NE(drives.find("C:"), nullptr);
    drives.find("C:")->answers_number = false;
    EXPECT_FALSE(request_device_eject("\\\\.\\C:", false));
    EXPECT_TRUE(rig.os.ejector.requests.empty());
}

TEST_F(SafeRemoval, HandleWalkFailuresAndLargeIds) {
    // A failure status other than "too small" ends the walk, and releases the probe.
    handles.table_status = 0xC0000022u;
    EXPECT_EQ(eject_volume("U:\\"), kEjectHandlesHeld);
    EXPECT_EQ(handles.table_sizes, std::vector<std::uint32_t>{1});
    EXPECT_EQ(handles.local_handles_open(), 0u);
    handles.table_status = 0;

    // The buffer doubles from one byte until the table fits.
    handles.table_sizes.clear();
    handles.add(own(), 0x40, 1, "\\Device\\HarddiskVolume10\\a");
    EXPECT_TRUE(close_volume_handles("U:", own()));
    EXPECT_EQ(handles.table_sizes, (std::vector<std::uint32_t>{1, 2, 4, 8, 16, 32, 64}));

    // A table that never fits is given up at a buffer of 1 GiB, before the size would overflow.
    handles.table_sizes.clear();
    handles.table_status = os::kStatusInfoLengthMismatch;
    EXPECT_FALSE(close_volume_handles("U:", own()));
    ASSERT_EQ(handles.table_sizes.size(), 31u);
    EXPECT_EQ(handles.table_sizes.back(), 1u << 30);
    EXPECT_EQ(handles.local_handles_open(), 0u);
    handles.table_status = 0;

    // Process ids and handle values of 32768 and more are found all the same.
    handles.own_process_id = 0x9ABC;
    handles.add(0x9ABC, 0x8004, 1, "\\Device\\HarddiskVolume10\\big");
    EXPECT_TRUE(close_volume_handles("u:", 0x9ABC));
    EXPECT_EQ(handles.closed_in_owner.back(), "\\Device\\HarddiskVolume10\\big");

    // A copy that cannot be closed fails the walk, which still closes the rest.
    handles.add(0x9ABC, 0x60, 1, "\\Device\\HarddiskVolume10\\stuck");
    handles.add(0x9ABC, 0x64, 1, "\\Device\\HarddiskVolume10\\next");
    handles.closed_refused = {0x60};
    EXPECT_FALSE(close_volume_handles("U:", 0x9ABC));
    EXPECT_EQ(handles.closed_in_owner.back(), "\\Device\\HarddiskVolume10\\next");
    EXPECT_EQ(handles.local_handles_open(), 2u);  // only the two copies the system kept

    // No probe, and a drive text that is no drive: nothing is walked.
    handles.table_sizes.clear();
    for (const char* drive : {":", "", "1:", "U:\\"})
        EXPECT_FALSE(close_volume_handles(drive, own())) << drive;
    handles.probe_opens = false;
    EXPECT_FALSE(close_volume_handles("U:", own()));
    EXPECT_TRUE(handles.table_sizes.empty());
}

TEST(SafeRemovalPaths, DeviceOfANameEndsAtABackslash) {
    std::vector<DosDevice> devices = {{"A:", ""},
                                      {"C:", "\\Device\\HarddiskVolume1"},
                                      {"E:", "\\Device\\HarddiskVolume10"},
                                      {"F:", "\\Device\\HarddiskVolume1"}};
    struct Row {
        const char* name;
        const char* path;
    } rows[] = {
        {"\\Device\\HarddiskVolume10\\GHO\\xp.gho", "E:\\GHO\\xp.gho"},
        {"\\Device\\HarddiskVolume1\\Windows", "C:\\Windows"},  // the first drive wins
        {"\\device\\harddiskvolume1\\x", "C:\\x"},
        {"\\Device\\HarddiskVolume10", "E:"},
        {"\\Device\\HarddiskVolume100\\x", ""},
        {"\\Device\\NamedPipe\\x", ""},
        {"", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(dos_path_of_name(r.name, devices), r.path) << r.name;
}

TEST(SafeRemovalTable, EntriesAreReadLittleEndianAndBoundedByTheBytes) {
    std::string bytes = {5, 0, 0, 0};  // five announced, one present
    const unsigned char entry[16] = {0x2C, 0x1A, 0x01, 0x00, 0x1C, 0x02, 0x40, 0x80,
                                     0x78, 0x56, 0x34, 0x12, 0x89, 0x00, 0x12, 0x00};
    bytes.append(reinterpret_cast<const char*>(entry), sizeof entry);
    bytes.append(7, '\0');
    std::vector<HandleTableEntry> entries = parse_handle_table(bytes);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].process_id, 0x1A2C);
    EXPECT_EQ(entries[0].creator_back_trace, 1);
    EXPECT_EQ(entries[0].object_type, 0x1C);
    EXPECT_EQ(entries[0].attributes, 2);
    EXPECT_EQ(entries[0].handle, 0x8040);
    EXPECT_EQ(entries[0].object, 0x12345678u);
    EXPECT_EQ(entries[0].granted_access, 0x120089u);
    EXPECT_TRUE(parse_handle_table("").empty());
    EXPECT_TRUE(parse_handle_table(std::string(3, '\1')).empty());
}

}  // namespace
}  // namespace qv
