#include "store/tile_fetcher.h"

#include "support/local_tile_server.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

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

/// A port on 127.0.0.1 that listens but never answers: it tells whether anyone connected.
class Listener {
public:
    Listener() {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(m_socket, 4);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(m_socket); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int port() const { return m_port; }
    bool connected() const {
        pollfd waiting{m_socket, POLLIN, 0};
        return ::poll(&waiting, 1, 300) > 0;
    }

private:
    int m_socket = -1;
    int m_port = 0;
};

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

    /// Runs the version job against a main page; true when it ended within a few seconds.
    static bool fetchVersionFrom(TileFetcher& fetcher, const std::string& mainPage) {
        TileServers servers;
        servers.mainPage = mainPage;
        fetcher.setServers(servers);
        return fetcher.FetchMapVersion() && waitIdle(fetcher);
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

TEST_F(TileFetcherTest, NewServersForgetTheSatelliteVersion) {
    TileFetcher fetcher(cache, serversAt());
    ASSERT_TRUE(fetcher.FetchMapVersion());
    ASSERT_TRUE(waitIdle(fetcher));
    ASSERT_EQ(fetcher.SatVersion(), "151");
    fetcher.setServers(serversAt());
    EXPECT_TRUE(fetcher.SatVersionKnown()) << "the same servers again change nothing";

    TileServers other = serversAt();
    other.mainPage = server.host("/v152");
    fetcher.setServers(other);
    EXPECT_FALSE(fetcher.SatVersionKnown()) << "no tile goes out with the old version";
    ASSERT_TRUE(fetcher.FetchMapVersion());
    ASSERT_TRUE(waitIdle(fetcher));
    EXPECT_TRUE(fetcher.SatVersionKnown());
    EXPECT_EQ(fetcher.SatVersion(), "152");
}

// A tile that failed, or came but does not decode (the map asks for it again), goes to the back:
// the next missing tile gets the download, and the failed one is tried again later.
TEST_F(TileFetcherTest, AFailedTileLeavesItsTurnToTheNextMissingTile) {
    int zoom = 5;
    for (const char* fault : {"/lost", "/broken", "/404"}) {
        const TileKey bad{3, 3, zoom}, good{4, 3, zoom}; // the one-tile faults hit x, y of 3
        ++zoom;
        TileFetcher fetcher(cache, serversAt(fault));
        ASSERT_TRUE(fetchTile(fetcher, TileLayer::Satellite, bad)) << fault;
        for (int tick = 0; tick < 3; ++tick) {
            fetcher.paceTick();
        }
        EXPECT_FALSE(fetcher.RequestTile(TileLayer::Satellite, bad)) << fault;
        ASSERT_TRUE(fetcher.RequestTile(TileLayer::Satellite, good)) << fault << ": same ticks";
        ASSERT_TRUE(waitIdle(fetcher));
        if (std::string(fault) != "/404") {
            EXPECT_GE(cache.FindTile(TileLayer::Satellite, good), 0) << fault;
        }
        for (int64_t tick = 0; tick < TileRetries::kFirstDelayTicks; ++tick) {
            fetcher.paceTick();
        }
        EXPECT_TRUE(fetcher.RequestTile(TileLayer::Satellite, bad)) << fault << ": tried again";
        ASSERT_TRUE(waitIdle(fetcher));
    }
}

// Transfers speak http and https only, redirections included: no address opens a local file, a
// pipe (which would block the worker past every time-out) or another protocol.
TEST_F(TileFetcherTest, TransfersSpeakOnlyHttpAndHttps) {
    const std::string page = folder.file("page.html");
    std::ofstream(page) << "<script src=\"http://sat.tiles.local/kh?v=999\"></script>";
    {
        TileFetcher fetcher(cache, serversAt());
        ASSERT_TRUE(fetchVersionFrom(fetcher, "file://" + page));
        EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Failed);
        EXPECT_FALSE(fetcher.SatVersionKnown()) << "a local file was read";
        ASSERT_TRUE(fetcher.FetchFile("file://" + page, folder.file("out")));
        ASSERT_TRUE(waitIdle(fetcher));
        EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Failed);
    }
    {
        const std::string pipe = folder.file("pipe");
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        TileFetcher fetcher(cache, serversAt());
        const bool ended = fetchVersionFrom(fetcher, "file://" + pipe);
        if (!ended) { // let the blocked worker go, so that the test itself ends
            ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_TRUE(ended) << "opening a pipe blocked the worker";
        EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Failed);
    }
    const Listener ftp;
    const std::string ftpAddress = "ftp://127.0.0.1:" + std::to_string(ftp.port()) + "/x";
    for (const std::string& mainPage : {ftpAddress, server.host("/goto/" + ftpAddress)}) {
        TileFetcher fetcher(cache, serversAt());
        ASSERT_TRUE(fetchVersionFrom(fetcher, mainPage)) << mainPage;
        EXPECT_EQ(fetcher.FetchResult(), TileFetcher::Failed) << mainPage;
        EXPECT_FALSE(ftp.connected()) << mainPage;
    }
    TileFetcher fetcher(cache, serversAt());
    ASSERT_TRUE(fetchVersionFrom(fetcher, server.host("/goto/http://" + server.host())));
    EXPECT_TRUE(fetcher.SatVersionKnown()) << "redirections to http still work";
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
