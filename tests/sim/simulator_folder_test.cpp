#include "sim/simulator_folder.h"

#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace crv::sim {
namespace {

namespace fs = std::filesystem;

class SimulatorFolderTest : public ::testing::Test {
protected:
    SimulatorFolderTest() { fs::create_directories(root / "Protocol"); }

    testing::TestFolder folder{"crv-sim-folder"};
    fs::path root = folder.path() / "flightgear";
};

TEST_F(SimulatorFolderTest, AFolderWithProtocolsIsTheSimulatorsData) {
    EXPECT_TRUE(isSimulatorFolder(root.string()));
    EXPECT_TRUE(isSimulatorFolder(root.string() + "/"));
    EXPECT_FALSE(isSimulatorFolder(folder.path().string()));
    EXPECT_FALSE(isSimulatorFolder(".\\"));
    EXPECT_FALSE(isSimulatorFolder(""));
}

TEST_F(SimulatorFolderTest, InstallCopiesTheProtocolOverAnOlderOne) {
    std::ofstream(root / "Protocol" / "corvane_sim.xml") << "old";
    ASSERT_TRUE(installPlugin(CRV_SIM_REDIST, root.string()).ok());
    std::ifstream copied(root / "Protocol" / "corvane_sim.xml");
    std::ifstream original(fs::path(CRV_SIM_REDIST) / "corvane_sim.xml");
    const std::string copiedText{std::istreambuf_iterator<char>(copied), {}};
    const std::string originalText{std::istreambuf_iterator<char>(original), {}};
    EXPECT_EQ(copiedText, originalText);
}

TEST_F(SimulatorFolderTest, FailuresSayWhyAndHowToInstall) {
    const Status missing = installPlugin((folder.path() / "nowhere").string(), root.string());
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find("is missing"), std::string::npos) << missing.message();

    ::chmod((root / "Protocol").c_str(), 0555);
    // Root writes anyway, so a child that has given root up tries in its place.
    const auto notWritable = [this] {
        const Status failed = installPlugin(CRV_SIM_REDIST, root.string());
        return !failed.ok() && failed.message().find("is not writable") != std::string::npos &&
               failed.message().find("sudo install -m 644 '") != std::string::npos;
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(notWritable());
    } else {
        const pid_t child = ::fork();
        if (child == 0) {
            const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(dropped && notWritable() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ::chmod((root / "Protocol").c_str(), 0755);
}

TEST_F(SimulatorFolderTest, LaunchTakesTheOptionsAndAnAircraftTheDataHolds) {
    const std::vector<std::string> without = launchArguments(CRV_SIM_REDIST, root.string());
    ASSERT_FALSE(without.empty());
    EXPECT_EQ(without[0], "--fg-root=" + root.string());
    EXPECT_NE(std::find(without.begin(), without.end(),
                        "--generic=socket,out,20,127.0.0.1,5402,udp,corvane_sim"),
              without.end());
    EXPECT_NE(std::find(without.begin(), without.end(),
                        "--generic=socket,in,20,127.0.0.1,5403,udp,corvane_sim"),
              without.end());
    for (const std::string& argument : without) {
        EXPECT_FALSE(argument.starts_with("--aircraft=")) << "no such aircraft here";
        EXPECT_FALSE(argument.empty() || argument.starts_with("#"));
    }
    fs::create_directories(root / "Aircraft" / "c172p");
    const std::vector<std::string> with = launchArguments(CRV_SIM_REDIST, root.string());
    EXPECT_NE(std::find(with.begin(), with.end(), "--aircraft=c172p"), with.end());
}

} // namespace
} // namespace crv::sim
