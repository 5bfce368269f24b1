// The partition menu's windows and the safe removal against the real Win32 set on the test
// prefix's drives (scripts/wine-prefix.sh): C: D: G: fixed, E: a removable folder drive. Only the
// program's own handles are ever looked at, and under Wine no device can be ejected.
#include <windows.h>

#include <setupapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disks/disk_manager.h"
#include "disks/drive_facts.h"
#include "disks/partition_info.h"
#include "disks/partition_list.h"
#include "disks/safe_removal.h"
#include "disks/volume_label.h"
#include "encoding.h"
#include "fakes/headless_runtime.h"
#include "main_window/main_window_def.h"
#include "platform/os_removal.h"
#include "platform/os_shell.h"
#include "support/files.h"
#include "support/recorded_notices.h"
#include "win32_os.h"
#include "win32_removal.h"

namespace qv {
namespace {

using Lines = std::vector<std::string>;

Lines split_lines(const std::string& text) {
    Lines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// The real Win32 set with message boxes recorded, and a headless main window whose selected
// partition the test sets.
class WineDiskWindows : public ::testing::Test {
protected:
    void SetUp() override {
        win32::install_win32_os();
        os::Os set = os::os();
        set.notices = &notices_;
        os::install(set);
        ui::clear_bindings();
        bind_partition_list_handlers();
        main_ = ui_.open(ui::main_window_def(), nullptr);
    }
    void TearDown() override { ui::clear_bindings(); }
    void select(const std::string& root, const std::string& caption) {
        main_->set_text("selected_drive_label", root);
        main_->set_text("selected_caption_label", caption);
    }

    wine_support::RecordedNotices notices_;
    fakes::HeadlessRuntime ui_;
    ui::Window* main_ = nullptr;
};

TEST_F(WineDiskWindows, PartitionInformationOfAPrefixDrive) {
    // Wine numbers one WMI disk per fixed or removable letter, in its own order; every one of
    // them is its "Wine Disk Drive".
    EXPECT_EQ(g_disk.get_disk_model_of_disk(disk_number_of("C:")), "Wine Disk Drive");
    EXPECT_EQ(g_disk.get_disk_model_of_disk(disk_number_of("E:")), "Wine Disk Drive");
    EXPECT_EQ(g_disk.get_disk_model_of_disk(11), "");

    // Other properties come through the same walk; WMI's 64-bit sizes arrive as text.
    EXPECT_EQ(g_disk.get_disk_serial_number(1), "WINEHDISK");
    EXPECT_GT(g_disk.get_disk_size(1), 0);
    std::vector<WmiPartitionRecord> partitions;
    EXPECT_EQ(g_disk.list_partitions_wmi(partitions, 1), 1);
    EXPECT_EQ(g_wmi_partition_count, 1);

    select("G:\\", "G:\\(1:3)");
    std::string text, title;
    ui_.on_modal(kPartitionInfoWindowName, [&](ui::Window& w) {
        text = w.text("info_edit");
        title = w.text("caption_label");
    });
    ASSERT_TRUE(fakes::choose_menu_item(*main_, "disk_menu_partition_info"));
    EXPECT_EQ(title, "G:\\(1:3) 的分区信息");
    Lines lines = split_lines(text);
    ASSERT_EQ(lines.size(), 12u) << text;
    EXPECT_EQ(lines[0], "盘符：G:\\");
    EXPECT_EQ(lines[1], "位置：第 1 个硬盘的第 3 分区");
    // The sizes are those of the host's file system; their form is what is fixed.
    EXPECT_EQ(lines[2].rfind("总大小：", 0), 0u);
    EXPECT_EQ(lines[2].substr(lines[2].size() - 3), "GB ");
    EXPECT_EQ(lines[3].substr(lines[3].size() - 3), " GB");
    EXPECT_EQ(lines[5].back(), '%');
    EXPECT_EQ(lines[6], "磁盘卷标：备份");
    EXPECT_EQ(lines[7], "操作系统：无");
    EXPECT_EQ(lines[8], "文件系统：NTFS");
    EXPECT_EQ(lines[9], "磁盘类型：硬盘驱动器");
    EXPECT_EQ(lines[10], "活动分区：否");
    EXPECT_EQ(lines[11], "磁盘型号：Wine Disk Drive");
    // Wine's own cmd.exe carries no version resource.
    EXPECT_EQ(windows_version_name("C:\\"), "未知的Windows版本");
}

TEST_F(WineDiskWindows, PropertiesRequestIsLoggedInScriptedRuns) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring log =
        std::wstring(temp) + L"qv_properties_" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"QV_NOTICE_LOG", log.c_str());
    select("D:\\", "D:\\(1:2)");
    ASSERT_TRUE(fakes::choose_menu_item(*main_, "disk_menu_properties"));
    SetEnvironmentVariableW(L"QV_NOTICE_LOG", nullptr);
    EXPECT_EQ(wine_support::gbk_from_utf8(wine_support::read_all(log)), "properties\tD:\\\t\t\n");
    DeleteFileW(log.c_str());
    EXPECT_TRUE(notices_.boxes.empty());
}

TEST_F(WineDiskWindows, VolumeLabelRoundTripThroughTheWindow) {
    select("G:\\", "G:\\(1:3)");
    std::string shown;
    ui_.on_modal(kVolumeLabelWindowName, [&](ui::Window& w) {
        shown = w.text("old_label_label");
        ASSERT_TRUE(fakes::type_text(w, "new_label_edit", " 卷标测试　"));
        ASSERT_TRUE(fakes::click(w, "ok_button"));
    });
    ASSERT_TRUE(fakes::choose_menu_item(*main_, "disk_menu_volume_label"));
    EXPECT_EQ(shown, "原卷标： 备份");
    ASSERT_EQ(notices_.boxes.size(), 1u);
    EXPECT_EQ(notices_.boxes[0].text, "更改 G:\\(1:3) 的卷标成功！");
    EXPECT_EQ(notices_.boxes[0].style, 0x40);
    // Wine keeps the label in the drive's label file and shows it after its server restarts.
    std::string stored = wine_support::read_all(L"G:\\.windows-label");
    EXPECT_EQ(stored.substr(0, stored.find_last_not_of("\r\n") + 1),
              "\xE5\x8D\xB7\xE6\xA0\x87\xE6\xB5\x8B\xE8\xAF\x95");
    EXPECT_TRUE(g_disk.set_volume_label("G:\\", "备份"));
}

TEST_F(WineDiskWindows, HandlePiecesOnTheProgramsOwnFile) {
    os::HandleTable& table = *os::os().handles;
    HANDLE file = CreateFileW(L"E:\\qv-removal-probe.txt", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::uint32_t value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(file));
    std::uint32_t own = table.current_process_id();

    std::vector<HandleTableEntry> entries;
    ASSERT_TRUE(read_handle_table(entries));
    bool listed = false;
    for (const HandleTableEntry& e : entries)
        listed = listed || (e.process_id == (own & 0xFFFF) && e.handle == (value & 0xFFFF));
    EXPECT_TRUE(listed);

    EXPECT_EQ(safe_get_file_type(value), 1);
    std::string name;
    ASSERT_TRUE(table.object_name(value, 100, name));
    EXPECT_NE(name.find("qv-removal-probe.txt"), std::string::npos) << name;
    EXPECT_FALSE(table.dos_device("E:").empty());
    HANDLE read_end = nullptr, write_end = nullptr;
    ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
    EXPECT_EQ(
        safe_get_file_type(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(read_end))),
        3);
    CloseHandle(read_end);
    CloseHandle(write_end);

    // Closing in the owner, which is this process: the handle is gone afterwards.
    EXPECT_TRUE(close_remote_handle(own, value));
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(file, &flags));
}

TEST_F(WineDiskWindows, RemovalOfTheFolderDriveFailsWithoutADevice) {
    EXPECT_EQ(find_device_instance(static_cast<std::uint32_t>(disk_number_of("E:") - 1),
                                   os::kDriveRemovable, "\\Device\\Harddisk1"),
              0u);
    // The program's handles on E: are let go (Wine names none by its volume device); then the
    // disk-class search finds no device.
    EXPECT_EQ(eject_volume("E:\\", false), kEjectRefused);
    ASSERT_TRUE(ui_.find(ui::kMainWindowName)->tray_add());
    select("E:\\", "E:\\(2:0)");
    notices_.answers = {os::kIdYes};
    main_->set_menu_visible("disk_menu_remove", true);
    ASSERT_TRUE(fakes::choose_menu_item(*main_, "disk_menu_remove"));
    ASSERT_EQ(notices_.boxes.size(), 2u);
    EXPECT_EQ(notices_.boxes[0].text, "是否移除可移动驱动器 E:\\(2:0) ？");
    EXPECT_EQ(notices_.boxes[1].text, "移除可移动驱动器 E:\\(2:0) 失败！");
    EXPECT_EQ(notices_.boxes[1].style, 0x10);
    ASSERT_EQ(fakes::headless(*main_).balloons().size(), 1u);
    EXPECT_EQ(fakes::headless(*main_).balloons()[0].text, "移除可移动驱动器 E:\\(2:0) 失败！");
}

// The present interfaces of the disk class as the system lists them; -1 when it gives no set.
int disk_interface_count() {
    const GUID disk = {
        0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
    HDEVINFO set =
        SetupDiGetClassDevsA(&disk, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    while (SetupDiEnumDeviceInterfaces(set, nullptr, &disk, static_cast<DWORD>(count), &data))
        ++count;
    SetupDiDestroyDeviceInfoList(set);
    return count;
}

// The removal's way from the removable folder drive E: to its device instance, step by step, as
// far as Wine goes: the volume answers its device number, its type and its device name, which
// send the search to the disk class; Wine 8 gives a valid but empty set of disk interfaces, so
// no instance is found there. A Wine that lists disks must lead the search to E:'s device.
TEST_F(WineDiskWindows, DeviceSearchOfTheRemovableDriveGoesAsFarAsWineLists) {
    if (!wine_support::under_wine()) GTEST_SKIP() << "E: is the test prefix's folder drive";
    os::DeviceNumber number;
    ASSERT_TRUE(os::os().drives->device_number('E', number));
    EXPECT_EQ(number.device, 1u);
    EXPECT_EQ(os::os().drives->drive_type("E:\\"), os::kDriveRemovable);
    std::string device_name = os::os().handles->dos_device("E:");
    EXPECT_EQ(device_name, "\\Device\\Harddisk1");
    os::DeviceInterfaceClass interface_class = os::DeviceInterfaceClass::Floppy;
    ASSERT_TRUE(interface_class_for(os::kDriveRemovable, device_name, interface_class));
    EXPECT_EQ(interface_class, os::DeviceInterfaceClass::Disk);

    int interfaces = disk_interface_count();
    ASSERT_GE(interfaces, 0);
    std::uint32_t instance = find_device_instance(number.device, os::kDriveRemovable, device_name);
    if (interfaces == 0)
        EXPECT_EQ(instance, 0u);
    else
        EXPECT_NE(instance, 0u) << interfaces << " disk interfaces";
    RecordProperty("disk_interfaces", interfaces);
}

// The detail record of an interface goes to the system in the layout of this build's word size
// (a 64-bit system refuses the 32-bit record). Wine lists no storage interface, so the test makes
// a device and an interface of its own in this prefix, reads them back and removes them again.
TEST(WineDeviceSearch, InterfaceDetailIsReadWithTheRecordOfThisWordSize) {
    if (!wine_support::under_wine()) GTEST_SKIP() << "would register a device on this system";
    const GUID device_class = {
        0x7B2E4C10, 0x5A1D, 0x4F0E, {0x9C, 0x3B, 0x51, 0x6D, 0x2A, 0x84, 0xE0, 0x17}};
    const GUID interface_class = {
        0x7B2E4C11, 0x5A1D, 0x4F0E, {0x9C, 0x3B, 0x51, 0x6D, 0x2A, 0x84, 0xE0, 0x17}};
    HDEVINFO set = SetupDiCreateDeviceInfoList(&device_class, nullptr);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    SP_DEVICE_INTERFACE_DATA interface_data{};
    interface_data.cbSize = sizeof interface_data;
    bool made = SetupDiCreateDeviceInfoA(set, "Root\\QV_REMOVAL_PROBE\\0000", &device_class,
                                         nullptr, nullptr, 0, &device) &&
                SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr);
    EXPECT_TRUE(made) << GetLastError();
    if (made) {
        EXPECT_TRUE(SetupDiCreateDeviceInterfaceA(set, &device, &interface_class, "stick", 0,
                                                  &interface_data));
        std::string path;
        std::uint32_t instance = 0;
        EXPECT_TRUE(win32::read_interface_detail(set, interface_data, path, instance));
        EXPECT_EQ(instance, device.DevInst);
        std::string lower = path;
        for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(lower,
                  "\\\\?\\root#qv_removal_probe#0000#"
                  "{7b2e4c11-5a1d-4f0e-9c3b-516d2a84e017}\\stick")
            << path;
        SetupDiRemoveDeviceInterface(set, &interface_data);
        EXPECT_TRUE(SetupDiRemoveDevice(set, &device));
    }
    SetupDiDestroyDeviceInfoList(set);
}

#ifdef QV_TEST_HOOKS
// A test build runs as root on the build machine: it asks no device to go, whatever instance it
// is given (Wine's own request would answer success for any).
TEST(WineDeviceEjector, TestBuildsAskNoDeviceToGo) {
    for (bool notice : {false, true}) {
        os::EjectAnswer answer = win32::win32_device_ejector()->request_eject(1, notice);
        EXPECT_NE(answer.result, 0u) << notice;
    }
}
#endif

}  // namespace
}  // namespace qv
