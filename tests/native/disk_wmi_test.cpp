#include <gtest/gtest.h>

#include <limits>

#include "disks/disk_manager.h"
#include "fakes/fake_os.h"

namespace qv {
namespace {

using Instance = fakes::FakeWmi::Instance;

class DiskWmi : public ::testing::Test {
protected:
    std::vector<Instance>& disks() { return fake.wmi.results["Select * From Win32_DiskDrive"]; }
    fakes::FakeOs fake;
    DiskManager disk;
};

TEST_F(DiskWmi, GettersReadTheNthDiskOfTheEnumeration) {
    disks() = {{{"Model", "Disk A"},
                {"Name", "\\\\.\\PHYSICALDRIVE1"},
                {"SerialNumber", " 　WD-123 　"},
                {"BytesPerSector", "512"},
                {"Signature", "-559038737"},  // 0xDEADBEEF as the variant's 32-bit value
                {"Size", "4000784417280"},
                {"TotalSectors", "7814032065"},  // past the 32-bit range
                {"TotalCylinders", "486401"}},
               {{"Model", "Disk B"}, {"Name", "\\\\.\\PHYSICALDRIVE0"}}};
    EXPECT_EQ(disk.get_disk_model(1), "Disk A");
    EXPECT_EQ(disk.get_disk_model(2), "Disk B");
    EXPECT_EQ(disk.get_disk_name(), "\\\\.\\PHYSICALDRIVE1");
    EXPECT_EQ(disk.get_disk_serial_number(1), "WD-123");
    EXPECT_EQ(disk.get_disk_bytes_per_sector(1), 512);
    EXPECT_EQ(static_cast<std::uint32_t>(disk.get_disk_signature(1)), 0xDEADBEEFu);
    EXPECT_EQ(disk.get_disk_size(1), 4000784417280LL);
    EXPECT_EQ(disk.get_disk_total_sectors(1), std::numeric_limits<int>::max());
    EXPECT_EQ(disk.get_disk_total_cylinders(1), 486401);
    EXPECT_EQ(disk.get_disk_bytes_per_sector(2), 0);  // a property the disk does not report

    // No such disk: the empty text or 0; ten disks are the most any walk reads.
    disks().resize(11, Instance{{"Model", "More"}, {"Partitions", "3"}});
    for (int n : {0, -1, 11, 12}) {
        EXPECT_EQ(disk.get_disk_model(n), "") << n;
        EXPECT_EQ(disk.get_disk_partition_count(n), 0) << n;
        EXPECT_EQ(disk.get_disk_size(n), 0) << n;
    }
    EXPECT_EQ(disk.get_disk_partition_count(10), 3);
    std::vector<std::string> names;
    EXPECT_EQ(disk.get_disk_name_only(names), 0);  // its own query, which has no rows here
    fake.wmi.results["Select Name From Win32_DiskDrive"] = disks();
    EXPECT_EQ(disk.get_disk_name_only(names), 10);
    EXPECT_EQ(names[1], "\\\\.\\PHYSICALDRIVE0");

    fake.wmi.results["Select TotalHeads From Win32_DiskDrive"] = {{{"TotalHeads", "255"}}};
    EXPECT_EQ(disk.get_disk_total_heads(1), 255);
    EXPECT_EQ(fake.wmi.connections.back().query, "Select TotalHeads From Win32_DiskDrive");
    EXPECT_EQ(fake.wmi.open_queries, 0);

    // Without WMI every getter gives its failure value at once.
    fake.wmi.namespaces.clear();
    EXPECT_EQ(disk.get_disk_model(1), "");
    EXPECT_EQ(disk.get_disk_serial_number(1), "");
    EXPECT_EQ(disk.get_disk_bytes_per_sector(1), -1);
    EXPECT_EQ(disk.get_disk_size(1), -1);
    EXPECT_EQ(disk.get_disk_total_sectors(1), -1);
    EXPECT_EQ(disk.get_disk_name_only(names), -1);
    EXPECT_EQ(disk.get_disk_model_of_disk(1), "");
}

TEST_F(DiskWmi, ModelOfADiskGoesByItsIndex) {
    disks() = {{{"Model", "Stick"}, {"Index", "2"}},
               {{"Model", "Second"}, {"Index", "1"}},
               {{"Model", "First"}, {"Index", "0"}}};
    EXPECT_EQ(disk.get_disk_model_of_disk(1), "First");
    EXPECT_EQ(disk.get_disk_model_of_disk(3), "Stick");
    EXPECT_EQ(disk.get_disk_model_of_disk(4), "");
    EXPECT_EQ(disk.get_disk_model_of_disk(-1), "");  // the disk number could not be read
    // A provider that gives no index at all leaves the position.
    disks() = {{{"Model", "One"}}, {{"Model", "Two"}}};
    EXPECT_EQ(disk.get_disk_model_of_disk(2), "Two");
    EXPECT_EQ(fake.wmi.open_queries, 0);
}

TEST_F(DiskWmi, PartitionsOfOneDiskAmongTheFirstTwenty) {
    auto partition = [](const char* disk_index, const char* name) {
        return Instance{{"DiskIndex", disk_index},     {"Name", name},
                        {"PrimaryPartition", "1"},     {"Bootable", "1"},
                        {"BootPartition", "0"},        {"Size", "104857600"},
                        {"StartingOffset", "1048576"}, {"Type", "Installable File System"}};
    };
    auto& rows = fake.wmi.results["Select * From Win32_DiskPartition"];
    rows = {partition("0", "Disk #0, Partition #0"), partition("1", "Disk #1, Partition #0"),
            partition("0", "Disk #0, Partition #1")};
    std::vector<WmiPartitionRecord> records;
    EXPECT_EQ(disk.list_partitions_wmi(records), 2);
    EXPECT_EQ(g_wmi_partition_count, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].name, "Disk #0, Partition #1");
    EXPECT_TRUE(records[1].primary_partition);
    EXPECT_TRUE(records[1].bootable);
    EXPECT_FALSE(records[1].boot_partition);
    EXPECT_EQ(records[1].size, 104857600);
    EXPECT_EQ(records[1].starting_offset, 1048576);
    EXPECT_EQ(records[1].type, "Installable File System");

    // Twenty partitions of disk 1 hide a later one of disk 2.
    rows.assign(20, partition("0", "Disk #0"));
    rows.push_back(partition("1", "Disk #1, Partition #0"));
    records.clear();
    EXPECT_EQ(disk.list_partitions_wmi(records, 2), 0);
    EXPECT_EQ(g_wmi_partition_count, 0);
    fake.wmi.namespaces.clear();
    EXPECT_EQ(disk.list_partitions_wmi(records, 2), -1);
}

TEST(WmiNumbers, DecimalTextToNumber) {
    struct Row {
        const char* text;
        std::int64_t value;
    } rows[] = {{"0", 0},
                {"512", 512},
                {"4000784417280", 4000784417280LL},
                {"-12", -12},
                {"12abc", 12},
                {"", 0},
                {"abc", 0},
                {"99999999999999999999", std::numeric_limits<std::int64_t>::max()},
                {"-99999999999999999999", std::numeric_limits<std::int64_t>::min()}};
    for (const Row& r : rows) EXPECT_EQ(wmi_text_to_number(r.text), r.value) << r.text;
}

}  // namespace
}  // namespace qv
