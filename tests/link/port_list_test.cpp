#include "link/port_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace crv::link {
namespace {

namespace fs = std::filesystem;

class PortListTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("crv-ports-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "dev");
        fs::create_directories(root / "sys");
    }
    void TearDown() override { fs::remove_all(root); }

    void device(const std::string& name) { std::ofstream(root / "dev" / name).put('\0'); }
    void uartType(const std::string& name, const std::string& type) {
        fs::create_directories(root / "sys/class/tty" / name);
        std::ofstream(root / "sys/class/tty" / name / "type") << type << "\n";
    }
    std::vector<std::string> list() { return listSerialPorts(root / "dev", root / "sys"); }
    std::string dev(const std::string& name) { return (root / "dev" / name).string(); }

    fs::path root;
};

TEST_F(PortListTest, ListsSerialDevicesInNaturalOrderThenStableNames) {
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS1", "ttyS0", "rfcomm0", "tty0",
                             "ttyS", "ttyUSB", "ttyUSBx", "COM1", "console", "ttyAMA3"}) {
        device(name);
    }
    uartType("ttyS0", "4");
    uartType("ttyS1", "0"); // a node without a chip behind it
    fs::create_directories(root / "dev/serial/by-id");
    device("serial/by-id/usb-Corvane_X-if00-port0");

    EXPECT_EQ(list(), (std::vector<std::string>{dev("ttyUSB2"), dev("ttyUSB10"), dev("ttyACM0"),
                                                dev("ttyAMA3"), dev("ttyS0"), dev("rfcomm0"),
                                                dev("serial/by-id/usb-Corvane_X-if00-port0")}));
}

TEST_F(PortListTest, NoDevicesOrNoFolderGiveAnEmptyList) {
    EXPECT_TRUE(list().empty());
    EXPECT_TRUE(listSerialPorts(root / "missing", root / "missing").empty());
}

TEST(ReselectIndexTest, KeepsTheIndexOrTakesTheLastEntry) {
    struct Row {
        int remembered, count, expected;
    };
    for (const Row& row :
         {Row{4, 2, 1}, Row{1, 3, 1}, Row{0, 0, -1}, Row{3, 0, -1}, Row{-1, 3, -1}}) {
        EXPECT_EQ(reselectIndex(row.remembered, row.count), row.expected)
            << row.remembered << " of " << row.count;
    }
}

} // namespace
} // namespace crv::link
