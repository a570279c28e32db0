#include "store/tile_fetcher.h"

#include "support/local_tile_server.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace crv::store {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(TileUrlTest, AddressScheme) {
    TileServers servers;
    servers.satelliteHost = "sat{n}.example";
    servers.overlayHost = "map{n}.example";
    EXPECT_EQ(tileUrl(TileLayer::Satellite, {5, 6, 4}, servers, "151"),
              "http://sat1.example/kh/v=151&hl=ru&x=5&y=6&z=4&s=Galil");
    EXPECT_EQ(tileUrl(TileLayer::Overlay, {5, 6, 4}, servers, "151"),
              "http://map1.example/vt/lyrs=h@302000000&hl=ru&x=5&y=6&z=4&s=Galil");
    EXPECT_EQ(tileUrl(TileLayer::Overlay, {2, 10000, 15}, servers, "1"),
              "http://map2.example/vt/lyrs=h@302000000&hl=ru&x=2&s=&y=10000&z=15&s=Galile")
        << "rows 10000 to 99999 carry a second &s=";
    EXPECT_EQ(tileUrl(TileLayer::Overlay, {0, 8, 4}, servers, "1"),
              "http://map0.example/vt/lyrs=h@302000000&hl=ru&x=0&y=8&z=4&s=");
    EXPECT_EQ(tileUrl(TileLayer::Overlay, {1, 4, 4}, servers, "1").substr(0, 19),
              "http://map1.example")
        << "(1 + 8) mod 4";
}

TEST(TileUrlTest, SatelliteVersionFromTheServicePage) {
    EXPECT_EQ(findSatelliteVersion("<script src=\"http://sat.x/kh?v=151x&hl=en\">", "sat.x"),
              "151");
    EXPECT_EQ(findSatelliteVersion("sat.x/kh?v=00012345678901", "sat.x"), "1234567")
        << "ten characters after the marker";
    EXPECT_EQ(findSatelliteVersion("no marker here", "sat.x"), std::nullopt);
    EXPECT_EQ(findSatelliteVersion("sat.x/kh?v=", "sat.x"), "0");
}

/// A fetcher against the project's tile server, with a cache on a real file.
class TileFetcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(server.port(), 0);
        ASSERT_TRUE(database.OpenLocalDatabase(folder.file("crv_data")).ok());
    }

    TileServers serversAt(const std::string& faultPath = "") const {
        TileServers servers;
        servers.satelliteHost = server.host(faultPath);
        servers.overlayHost = server.host(faultPath);
        servers.mainPage = server.host();
        return servers;
    }
    static bool waitIdle(const TileFetcher& fetcher) {
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (fetcher.FetchJob() != TileFetcher::Idle &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(5ms);
        }
        return fetcher.FetchJob() == TileFetcher::Idle;
    }
    /// Learns the version, then asks for one tile as the map timer would.
    static bool fetchTile(TileFetcher& fetcher, TileLayer layer, const TileKey& key) {
        if (!fetcher.SatVersionKnown()) {
            fetcher.FetchMapVersion();
            waitIdle(fetcher);
        }
        fetcher.setLoadMap(true);
        for (int tick = 0; tick < 3; ++tick) {
            fetcher.paceTick();
        }
        return fetcher.RequestTile(layer, key) && waitIdle(fetcher);
    }

    testing::LocalTileServer server{CRV_TILE_SERVER_SCRIPT};
    testing::TestFolder folder{"crv-fetch"};
    LocalDatabase database;
    TileCache cache{database};
};

TEST_F(TileFetcherTest, LearnsTheVersionThenStoresTilesOfBothLayers) {
    TileFetcher fetcher(cache, serversAt());
    std::mutex lock;
    std::vector<TileKey> stored;
    fetcher.setTileStoredHandler([&](TileLayer, const TileKey& key) {
        const std::lock_guard guard(lock);
        stored.push_back(key);
    });
    fetcher.setLoadMap(true);
    for (int tick = 0; tick < 3; ++tick) {
        fetcher.paceTick();
    }
    EXPECT_FALSE(fetcher.RequestTile(TileLayer::Overlay, {1, 2, 3}))
        << "no tile before the version";

    ASSERT_TRUE(fetcher.FetchMapVersion());
    ASSERT_TRUE(waitIdle(fetcher));
    EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Succeeded);
    EXPECT_TRUE(fetcher.SatVersionKnown());
    EXPECT_EQ(fetcher.SatVersion(), "151");

    ASSERT_TRUE(fetchTile(fetcher, TileLayer::Overlay, {1, 2, 3}));
    ASSERT_TRUE(fetchTile(fetcher, TileLayer::Satellite, {1, 2, 3}));
    EXPECT_GE(cache.FindTile(TileLayer::Overlay, {1, 2, 3}), 0);
    const auto jpeg =
        cache.ReadTile(TileLayer::Satellite, cache.FindTile(TileLayer::Satellite, {1, 2, 3}));
    ASSERT_TRUE(jpeg);
    EXPECT_TRUE(looksLikeTile(TileLayer::Satellite, *jpeg));
    EXPECT_EQ(stored, (std::vector<TileKey>{{1, 2, 3}, {1, 2, 3}}));
}

TEST_F(TileFetcherTest, TilesArePacedAndNeedLoadMap) {
    TileFetcher fetcher(cache, serversAt());
    ASSERT_TRUE(fetcher.FetchMapVersion());
    ASSERT_TRUE(waitIdle(fetcher));
    for (int tick = 0; tick < 3; ++tick) {
        fetcher.paceTick();
    }
    EXPECT_FALSE(fetcher.RequestTile(TileLayer::Overlay, {4, 4, 4})) << "Load map unchecked";
    fetcher.setLoadMap(true);
    EXPECT_FALSE(fetcher.RequestTile(TileLayer::Overlay, {4, 4, 4}))
        << "that request used the ticks";
    fetcher.paceTick();
    fetcher.paceTick();
    EXPECT_FALSE(fetcher.RequestTile(TileLayer::Overlay, {4, 4, 4})) << "two ticks are not enough";
    fetcher.paceTick();
    EXPECT_TRUE(fetcher.RequestTile(TileLayer::Overlay, {4, 4, 4}));
    EXPECT_TRUE(waitIdle(fetcher));
}

TEST_F(TileFetcherTest, RepliesThatAreNoTileAreNotStored) {
    for (const char* fault : {"/404", "/short", "/html", "/wrongtype"}) {
        TileFetcher fetcher(cache, serversAt(fault));
        ASSERT_TRUE(fetchTile(fetcher, TileLayer::Overlay, {7, 7, 7})) << fault;
        ASSERT_TRUE(fetchTile(fetcher, TileLayer::Satellite, {7, 7, 7})) << fault;
        EXPECT_EQ(cache.FindTile(TileLayer::Overlay, {7, 7, 7}), -1) << fault;
        EXPECT_EQ(cache.FindTile(TileLayer::Satellite, {7, 7, 7}), -1) << fault;
        EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Running)
            << "tile jobs leave the result alone";
    }
    TileFetcher redirected(cache, serversAt("/redirect"));
    ASSERT_TRUE(fetchTile(redirected, TileLayer::Overlay, {7, 7, 7}));
    EXPECT_GE(cache.FindTile(TileLayer::Overlay, {7, 7, 7}), 0) << "redirections are followed";
}

TEST_F(TileFetcherTest, StalledAndEndlessServersEndTheJobAsFailed) {
    TransferLimits limits;
    limits.totalTimeoutS = 1;
    limits.maxBytes = 1 << 20;
    for (const char* fault : {"/stall", "/endless"}) {
        TileFetcher fetcher(cache, serversAt(), limits);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(fetcher.FetchFile("http://" + server.host(fault) + "/file/x",
                                      folder.file("out")));
        ASSERT_TRUE(waitIdle(fetcher)) << fault;
        EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Failed) << fault;
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << fault;
    }
}

TEST_F(TileFetcherTest, CancelEndsAStalledTransferPromptlyAndStartsNoMore) {
    TileFetcher fetcher(cache, serversAt()); // the full 60 s bound
    ASSERT_TRUE(fetcher.FetchFile("http://" + server.host("/stall") + "/file/x",
                                  folder.file("out")));
    std::this_thread::sleep_for(200ms); // well into the transfer
    const auto started = std::chrono::steady_clock::now();
    fetcher.cancel();
    ASSERT_TRUE(waitIdle(fetcher));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Failed);
    EXPECT_FALSE(fetcher.FetchMapVersion()) << "nothing starts after a cancel";
}

TEST_F(TileFetcherTest, ShutdownDuringAStalledTransferIsPrompt) {
    const auto started = std::chrono::steady_clock::now();
    {
        TileFetcher fetcher(cache, serversAt());
        ASSERT_TRUE(fetcher.FetchFile("http://" + server.host("/stall") + "/file/x",
                                      folder.file("out")));
    } // the destructor cancels and waits for the worker
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST_F(TileFetcherTest, NewServersServeTheNextJob) {
    TileFetcher fetcher(cache, serversAt("/404"));
    ASSERT_TRUE(fetchTile(fetcher, TileLayer::Overlay, {3, 3, 3}));
    EXPECT_EQ(cache.FindTile(TileLayer::Overlay, {3, 3, 3}), -1);
    fetcher.setServers(serversAt());
    ASSERT_TRUE(fetchTile(fetcher, TileLayer::Overlay, {3, 3, 3}));
    EXPECT_GE(cache.FindTile(TileLayer::Overlay, {3, 3, 3}), 0);
}

TEST_F(TileFetcherTest, FileJobSavesTheDownload) {
    TileFetcher fetcher(cache, serversAt());
    const fs::path file = folder.path() / "6a2d7f48.bin";
    ASSERT_TRUE(fetcher.FetchFile("http://" + server.host() + "/file/firmware", file.string()));
    EXPECT_FALSE(fetcher.FetchFile("http://" + server.host() + "/file/again", file.string()))
        << "one job at a time";
    ASSERT_TRUE(waitIdle(fetcher));
    EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Succeeded);
    EXPECT_EQ(fs::file_size(file), 4096u);

    TileFetcher unreachable(cache, serversAt());
    ASSERT_TRUE(unreachable.FetchFile("http://127.0.0.1:1/file/x", file.string()));
    ASSERT_TRUE(waitIdle(unreachable));
    EXPECT_EQ(unreachable.FetchResult(), TileFetcher::Failed);
}

} // namespace
} // namespace crv::store
