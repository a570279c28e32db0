// The mission control window's map against the project's tile server: tiles of both layers
// arrive and show, and no fault of the server holds the window up or delays shutdown.

#include "ui/mission/tform2.h"

#include "support/fake_serial_port.h"
#include "support/local_tile_server.h"
#include "support/test_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace crv::ui {
namespace {

using namespace std::chrono_literals;

class TForm2TilesTest : public ::testing::Test {
protected:
    TForm2TilesTest() { database.OpenLocalDatabase(folder.file("crv_data")); }

    /// The window, its tiles served from faultPath of the server (its main page always works).
    std::unique_ptr<TForm2> openWindow(const std::string& faultPath) {
        store::SettingsStore settings(database);
        settings.SetTextParam("Map_sat_host", server.host(faultPath));
        settings.SetTextParam("Map_overlay_host", server.host(faultPath));
        settings.SetTextParam("Map_main_page", server.host());
        auto window = std::make_unique<TForm2>(link, database, cache, *fetcher, vehicle);
        window->Timer1->stop(); // ticked by the tests
        window->MainWindowShown({55.0228, 73.4278});
        window->CheckBox3->setChecked(true);
        return window;
    }
    /// One timer tick, then the events the fetcher's worker posts; returns the tick's time.
    static qint64 tick(TForm2& window) {
        QElapsedTimer timer;
        timer.start();
        window.Timer1Timer();
        const qint64 elapsed = timer.elapsed();
        std::this_thread::sleep_for(20ms);
        QApplication::processEvents();
        return elapsed;
    }
    void waitForFetcher() {
        for (int i = 0; i < 500 && fetcher->FetchJob() != store::TileFetcher::Idle; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        QApplication::processEvents();
    }

    testing::TestFolder folder{"crv-tform2-tiles"};
    testing::LocalTileServer server{CRV_TILE_SERVER_SCRIPT, CRV_BUILD_DIR "/tiles"};
    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    store::TileCache cache{database};
    std::unique_ptr<store::TileFetcher> fetcher = newFetcher();

    std::unique_ptr<store::TileFetcher> newFetcher() {
        return std::make_unique<store::TileFetcher>(cache, store::TileServers{});
    }
    telemetry::VehicleState vehicle;
};

TEST_F(TForm2TilesTest, FetchedTilesOfBothLayersAppearOnTheMap) {
    ASSERT_GT(server.port(), 0);
    auto window = openWindow("");
    for (int round = 0; round < 80; ++round) {
        tick(*window);
        waitForFetcher();
        const map::TileSlot& centre = window->tileGrid().slot(4);
        if (centre.state[0] == map::SlotState::Loaded && centre.state[1] == map::SlotState::Loaded) {
            break;
        }
    }
    EXPECT_EQ(window->khmLabel->text(), "v151");
    const map::TileSlot& centre = window->tileGrid().slot(4);
    ASSERT_EQ(centre.state[0], map::SlotState::Loaded) << "the satellite tile was fetched";
    ASSERT_EQ(centre.state[1], map::SlotState::Loaded) << "and the overlay";
    EXPECT_NE(centre.composite.at(128, 128), 0xFF0000FFu) << "a picture, not No data";
    EXPECT_GE(cache.FindTile(store::TileLayer::Satellite, centre.key), 0);
    window.reset();
}

// One tile of the view is slow to decode, stored but undecodable, or never arrives: every other
// tile of both layers still loads, and no step of the window takes long meanwhile.
TEST_F(TForm2TilesTest, OneBadTileHoldsNeitherTheOtherTilesNorTheWindowUp) {
    ASSERT_GT(server.port(), 0);
    struct Case {
        const char* fault;
        bool overlayHit; // the fault hits the overlay of the tile too
    };
    for (const Case& c : {Case{"/slow", false}, Case{"/broken", true}, Case{"/lost", true}}) {
        cache.DeleteAllTiles(); // each case downloads its view afresh
        auto window = openWindow(c.fault);
        auto isBad = [&](int slot, int layer) {
            const store::TileKey& key = window->tileGrid().slot(slot).key;
            return key.x % 3 == 0 && key.y % 3 == 0 && (layer == 0 || c.overlayHit);
        };
        auto othersLoaded = [&] {
            for (int slot = 0; slot < map::TileGrid::kSlots; ++slot) {
                for (int layer = 0; layer < 2; ++layer) {
                    if (!isBad(slot, layer) &&
                        window->tileGrid().slot(slot).state[layer] != map::SlotState::Loaded) {
                        return false;
                    }
                }
            }
            return true;
        };
        qint64 slowest = 0;
        for (int round = 0; round < 200 && !(round > 0 && othersLoaded()); ++round) {
            slowest = std::max(slowest, tick(*window));
            waitForFetcher();
            QElapsedTimer events; // the redraws that the decoded pictures post
            events.start();
            QApplication::processEvents();
            slowest = std::max(slowest, events.elapsed());
        }
        std::string states;
        for (int slot = 0; slot < map::TileGrid::kSlots; ++slot) {
            for (const map::SlotState state : window->tileGrid().slot(slot).state) {
                states += char('0' + int(state));
            }
            states += ' ';
        }
        EXPECT_TRUE(othersLoaded()) << c.fault << ": every other tile of both layers loaded, "
                                    << states;
        int bad = 0;
        for (int slot = 0; slot < map::TileGrid::kSlots; ++slot) {
            for (int layer = 0; layer < 2; ++layer) {
                if (isBad(slot, layer)) {
                    ++bad;
                    EXPECT_NE(window->tileGrid().slot(slot).state[layer], map::SlotState::Loaded)
                        << c.fault;
                }
            }
        }
        EXPECT_EQ(bad, c.overlayHit ? 2 : 1) << c.fault << ": one tile of the view is bad";
        EXPECT_LT(slowest, 200) << c.fault << ": no step of the window waited for a decode";
        RecordProperty(std::string("slowest step ms ") + (c.fault + 1), int(slowest));
        window.reset();
    }
}

TEST_F(TForm2TilesTest, NoServerFaultHoldsTheWindowOrShutdownUp) {
    ASSERT_GT(server.port(), 0);
    for (const char* fault : {"/404", "/short", "/html", "/wrongtype", "/stall", "/endless"}) {
        auto window = openWindow(fault);
        qint64 slowest = 0;
        for (int round = 0; round < 12; ++round) {
            slowest = std::max(slowest, tick(*window));
        }
        EXPECT_LT(slowest, 200) << fault << ": a tick never waits for the network";
        EXPECT_EQ(window->tileGrid().slot(0).state[0], map::SlotState::Missing)
            << fault << ": nothing was stored";
        QElapsedTimer shutdown;
        shutdown.start();
        window->FinishForShutdown();
        EXPECT_LT(shutdown.elapsed(), 3000) << fault << ": shutdown is prompt";
        window.reset();
        fetcher = newFetcher(); // a cancelled fetcher starts nothing more

    }
}

} // namespace
} // namespace crv::ui
