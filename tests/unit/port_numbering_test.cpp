#include "platform/port_numbering.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quorvane {
namespace {

namespace fs = std::filesystem;

TEST(PortNumbering, FamiliesGiveFixedNumbers) {
    const std::vector<std::pair<std::string, int>> cases{
        {"/dev/ttyS0", 1},
        {"/dev/ttyS31", 32},
        {"/dev/ttyUSB0", 33},
        {"/dev/ttyUSB31", 64},
        {"/dev/ttyACM0", 65},
        {"/dev/ttyACM31", 96},
        {"/dev/ttyAMA0", 97},
        {"/dev/ttyAMA31", 128},
        {"/dev/rfcomm0", 129},
        {"/dev/rfcomm31", 160},
        {"COM3", 3},
        {"COM255", 255},
        // Outside the families, or not a plain index.
        {"/dev/ttyS32", 0},
        {"/dev/ttyUSB01", 0},
        {"/dev/ttyUSB", 0},
        {"/dev/ttyUSB1a", 0},
        {"/dev/pts/3", 0},
        {"/dev/serial0", 0},
        {"/tmp/ttyS0", 0},
        {"ttyS0", 0},
        {"COM0", 0},
        {"COM256", 0},
        {"", 0},
    };
    for (const auto& [device, number] : cases) {
        EXPECT_EQ(familyNumber(device), number) << device;
    }
}

class PortsFolder : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "the ports folder holds links to POSIX character devices";
#endif
        folder =
            fs::temp_directory_path() /
            ("quorvane-ports-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    void link(const std::string& name, const fs::path& target) {
        fs::create_symlink(target, folder / name);
    }
    fs::path folder;
};

TEST_F(PortsFolder, OnlyComLinksToCharacterDevicesCount) {
    link("Com5", "/dev/null");
    link("Com255", "/dev/zero");
    link("Com9", folder / "gone");  // left behind by a device that went away
    link("Com0", "/dev/null");
    link("Com256", "/dev/null");
    link("Com07", "/dev/null");
    link("com6", "/dev/null");
    link("COM4", "/dev/null");
    link("Com3x", "/dev/null");
    std::ofstream(folder / "Com8") << "not a device";
    fs::create_directory(folder / "Com10");

    const std::vector<NumberedPort> expected{{5, "/dev/null"}, {255, "/dev/zero"}};
    EXPECT_EQ(scanPortsFolder(folder.string()), expected);
    EXPECT_TRUE(scanPortsFolder((folder / "missing").string()).empty());
}

TEST_F(PortsFolder, LinksJoinAndOverrideTheFamiliesInNumberOrder) {
    link("Com33", "/dev/null");  // takes the place of ttyUSB0
    link("Com200", "/dev/zero");
    link("Com2", "/dev/full");
    const std::vector<std::string> devices{"/dev/rfcomm1", "/dev/ttyUSB0", "/dev/ttyS0",
                                           "/dev/pts/7",   "/dev/ttyACM2", "/dev/ttyS0"};
    const std::vector<NumberedPort> expected{{1, "/dev/ttyS0"},     {2, "/dev/full"},
                                             {33, "/dev/null"},     {67, "/dev/ttyACM2"},
                                             {130, "/dev/rfcomm1"}, {200, "/dev/zero"}};
    EXPECT_EQ(numberPorts(devices, scanPortsFolder(folder.string())), expected);
    EXPECT_TRUE(numberPorts({}, {}).empty());
}

}  // namespace
}  // namespace quorvane
