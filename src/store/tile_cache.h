#pragma once

#include "common/status.h"
#include "store/local_database.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace crv::store {

/// The two map layers, each a table of its own.
enum class TileLayer {
    Satellite, ///< JPEG files, table gmap_sat
    Overlay,   ///< PNG files with roads and names, table gmap_tiles
};

/// A tile of the 2^z × 2^z Web Mercator grid: x eastwards from -180°, y southwards.
struct TileKey {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    bool operator==(const TileKey&) const = default;
};

/// Column x wrapped around the antimeridian into 0 to 2^z - 1 (rows wrap alike).
int32_t wrapTile(int64_t index, int32_t zoom);

/// Every map tile once downloaded, as the image file received, in the local database. Lookups
/// and reads run on the user-interface thread, stores on the tile worker; the connection's own
/// lock keeps them apart.
class TileCache {
public:
    explicit TileCache(LocalDatabase& database) : m_database(database) {}

    /// The row of a tile, or -1 when it is not cached (or the lookup failed).
    int64_t FindTile(TileLayer layer, const TileKey& key);
    /// The image file of a row, byte for byte as stored; nothing when the row is gone.
    std::optional<std::vector<uint8_t>> ReadTile(TileLayer layer, int64_t row);
    /// Stores an image file for a tile, replacing what the tile had before.
    Status StoreTile(TileLayer layer, const TileKey& key, const std::vector<uint8_t>& image);

    /// "Reload view": forgets the 3 × 3 tiles around a view centre (world pixels at zoom z) in
    /// both layers, neighbours across the antimeridian included.
    void DeleteViewTiles(int64_t centreX, int64_t centreY, int32_t zoom);
    /// "Clear zoom level": every tile of one zoom in both layers.
    void DeleteZoomLevel(int32_t zoom);
    /// "Clear all map".
    void DeleteAllTiles();
    /// "Compress DB": rebuilds the whole file, settings included, giving free pages back.
    void CompactDatabase();

    /// Set while a maintenance command runs (and, by the map, while it redraws): the map timer
    /// skips its redraw and shutdown waits. Safe to read from any thread.
    bool MapBusy() const { return m_mapBusy.load(); }
    void setMapBusy(bool busy) { m_mapBusy.store(busy); }

private:
    Status deleteWhere(const char* condition, std::initializer_list<int32_t> values);

    LocalDatabase& m_database;
    std::atomic<bool> m_mapBusy{false};
};

} // namespace crv::store
