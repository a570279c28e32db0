#include "link/reconnect_watch.h"

#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace crv::link {
namespace {

namespace fs = std::filesystem;

class ReconnectWatchTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(byId); }

    std::string device(const std::string& name) {
        const std::string path = folder.file(name);
        std::ofstream(path).put('\0');
        return path;
    }
    void stableLink(const std::string& name, const std::string& target) {
        fs::remove(byId / name);
        fs::create_symlink(target, byId / name);
    }

    testing::TestFolder folder{"crv-reconnect"};
    fs::path byId = folder.path() / "by-id";
    ReconnectWatch watch{byId};
};

TEST_F(ReconnectWatchTest, AnAdapterWithAStableNameIsFoundUnderItsNewNumber) {
    const std::string first = device("ttyUSB0");
    stableLink("usb-Corvane_X-if00", first);
    watch.remember(first);
    EXPECT_EQ(watch.name(), (byId / "usb-Corvane_X-if00").string());

    // Unplugged: the device and its link go away.
    watch.lost();
    fs::remove(first);
    fs::remove(byId / "usb-Corvane_X-if00");
    EXPECT_FALSE(watch.ready());

    // Plugged in again under another number.
    stableLink("usb-Corvane_X-if00", device("ttyUSB1"));
    EXPECT_EQ(watch.ready(), (byId / "usb-Corvane_X-if00").string());
}

TEST_F(ReconnectWatchTest, APortWithoutAStableNameIsWatchedByItsPath) {
    const std::string pseudo = device("pts-7");
    const std::string typed = folder.file("board");
    fs::create_symlink(pseudo, typed);
    stableLink("usb-other-if00", device("ttyUSB3"));
    watch.remember(typed);
    EXPECT_EQ(watch.name(), typed);

    watch.lost();
    fs::remove(pseudo);
    EXPECT_FALSE(watch.ready()) << "a link left to a device that is gone";
    fs::remove(typed);
    fs::create_symlink(device("pts-9"), typed);
    EXPECT_EQ(watch.ready(), typed);
}

TEST_F(ReconnectWatchTest, WatchesOnlyBetweenALossAndAStop) {
    const std::string port = device("ttyACM0");
    watch.remember(port);
    EXPECT_FALSE(watch.ready()) << "the link was not lost";
    watch.lost();
    EXPECT_EQ(watch.ready(), port);
    watch.stop();
    EXPECT_FALSE(watch.watching());
    EXPECT_FALSE(watch.ready());

    ReconnectWatch never{byId};
    never.lost();
    EXPECT_FALSE(never.watching()) << "nothing was ever connected";
}

} // namespace
} // namespace crv::link
