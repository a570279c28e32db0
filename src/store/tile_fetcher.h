#pragma once

#include "store/tile_cache.h"
#include "store/tile_retries.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace crv::store {

/// Where tiles and the version page come from. A host may hold "{n}", replaced by the server
/// number 0 to 3 of the tile; hosts may carry a port and a leading path.
struct TileServers {
    std::string satelliteHost = "127.0.0.1:8765";
    std::string overlayHost = "127.0.0.1:8765";
    std::string mainPage = "127.0.0.1:8765";       ///< also sent as the referer
    std::string versionDomain = "sat.tiles.local"; ///< the version marker is this plus "/kh?v="
    bool operator==(const TileServers&) const = default;
};

/// Bounds on every transfer, so a stalled or endless server can hold nothing up for long. Only
/// http and https are spoken, redirections included, so no address reaches a local file, a pipe
/// or a device.
struct TransferLimits {
    long connectTimeoutS = 10;
    long totalTimeoutS = 60;
    size_t maxBytes = 16 << 20;
};

/// The address of a tile: server (x + 2y) mod 4, "&s=" after x for rows 10000 to 99999, and
/// the first (3x + y) mod 8 letters of "Galileo" at the end.
std::string tileUrl(TileLayer layer, const TileKey& key, const TileServers& servers,
                    const std::string& satelliteVersion);

/// The satellite layer version on the service's main page: the digits after the marker.
std::optional<std::string> findSatelliteVersion(const std::string& page, const std::string& domain);

/// Whether a reply can be a tile of the layer: more than 100 bytes with the PNG or JFIF mark.
bool looksLikeTile(TileLayer layer, const std::vector<uint8_t>& reply);

/// Downloads what the ground station needs from the web, one job at a time on a worker thread:
/// missing tiles into the cache, the satellite layer version, and one file. Start jobs from
/// the user-interface thread only.
class TileFetcher {
public:
    enum Job : uint8_t { Idle = 0, SatelliteTile = 1, OverlayTile = 2, File = 3, Version = 4 };
    enum Result : uint8_t { Running = 0, Succeeded = 1, Failed = 2 };

    TileFetcher(TileCache& cache, TileServers servers, TransferLimits limits = {});
    /// Cancels a running job and waits for its worker.
    ~TileFetcher();
    TileFetcher(const TileFetcher&) = delete;
    TileFetcher& operator=(const TileFetcher&) = delete;

    /// Called after a tile was stored, on the worker thread: the map marks its slots.
    void setTileStoredHandler(std::function<void(TileLayer, const TileKey&)> handler);
    /// Servers for the jobs started from now on; a running job keeps its own. Other servers than
    /// before make the satellite version unknown, so that the new servers' version is fetched,
    /// and let the tiles that failed be fetched again at once.
    void setServers(TileServers servers);
    /// Ends a running transfer within about a second, as failed, and starts no more jobs:
    /// for shutdown, so a slow server cannot hold the program open.
    void cancel();
    /// The "Load map" box: without it no tile is downloaded.
    void setLoadMap(bool load) { m_loadMap = load; }
    /// One tick of the map timer: a tile request needs more than two since the last.
    void paceTick();

    /// Starts the download of a missing tile if the fetcher is idle, paced and knows the
    /// version; true when a download started. A tile that failed waits its turn (TileRetries)
    /// and leaves the pace to the next one asked for.
    bool RequestTile(TileLayer layer, const TileKey& key);
    /// Tiles were deleted from the cache: those that failed may be downloaded again at once.
    void forgetFailures() { m_retries.forget(); }
    /// Starts the version job if the fetcher is idle; true when it started.
    bool FetchMapVersion();
    /// Starts downloading url into the file at path if idle; true when it started.
    bool FetchFile(const std::string& url, const std::string& path);

    Job FetchJob() const { return static_cast<Job>(m_job.load()); }
    Result FetchResult() const { return static_cast<Result>(m_result.load()); }
    bool SatVersionKnown() const { return m_versionKnown.load(); }
    std::string SatVersion() const;

    /// Waits until the running job, if any, has ended.
    void waitIdle();

private:
    enum TileOutcome : uint8_t { NoOutcome = 0, Stored = 1, NotStored = 2 };

    bool start(Job job, std::string url);
    void takeNewServers();
    void noteTileOutcome();
    void run();
    void finishTile(TileLayer layer, std::vector<uint8_t>& reply);
    void finishVersion(const std::vector<uint8_t>& reply);

    TileCache& m_cache;
    TileServers m_servers; // changed only while no worker runs
    std::mutex m_serversLock;
    std::optional<TileServers> m_nextServers;
    unsigned m_serversChanges = 0; // written by the user-interface thread under m_serversLock
    unsigned m_jobServers = 0;     // m_serversChanges when the running job started
    const TransferLimits m_limits;
    std::function<void(TileLayer, const TileKey&)> m_tileStored;

    std::atomic<uint8_t> m_job{Idle};
    std::atomic<uint8_t> m_result{Running};
    std::atomic<bool> m_versionKnown{false};
    std::atomic<bool> m_loadMap{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<uint8_t> m_tileOutcome{NoOutcome}; // of the last tile job, set by its worker
    int m_paceTicks = 0;
    TileRetries m_retries;
    TileLayer m_tileLayer = TileLayer::Satellite; // of the last tile job
    unsigned m_tileJobServers = 0;                // m_serversChanges when it started

    // Written by the user-interface thread before a worker starts, read by that worker.
    std::string m_url;
    TileKey m_key;
    std::string m_filePath;

    mutable std::mutex m_versionLock;
    std::string m_version = "0";
    std::thread m_worker;
};

} // namespace crv::store
