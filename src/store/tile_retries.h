#pragma once

#include "store/tile_cache.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace crv::store {

/// Tiles that failed wait before they are downloaded again, each time twice as long, so that the
/// other missing tiles of the view go first and one bad tile never holds the rest back. A tile
/// fails when its download fails or brings no tile, and when it is asked for again soon after
/// it was stored: the map asks only for tiles it cannot show, so that copy did not decode.
/// Counted in map timer ticks. User-interface thread only.
class TileRetries {
public:
    static constexpr int64_t kFirstDelayTicks = 10;   ///< 3 s
    static constexpr int64_t kLongestDelayTicks = 200; ///< 1 min
    static constexpr size_t kMaxKept = 256;            ///< beyond that the oldest is forgotten

    void tick() { ++m_now; }
    void failed(TileLayer layer, const TileKey& key);
    void stored(TileLayer layer, const TileKey& key);
    /// Whether the tile may be downloaded now.
    bool mayFetch(TileLayer layer, const TileKey& key);
    /// Every tile may be downloaded again at once (after tiles were deleted from the cache).
    void forget();

private:
    struct Tile {
        TileLayer layer;
        TileKey key;
        bool operator==(const Tile&) const = default;
    };
    struct Waiting {
        Tile tile;
        int failures;
        int64_t readyAt;
    };

    int64_t m_now = 0;
    std::vector<Waiting> m_waiting;
    std::deque<Tile> m_stored; // the latest stores, newest last
};

} // namespace crv::store
