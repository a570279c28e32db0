#pragma once

#include "map/projection.h"
#include "map/tile_decoder.h"
#include "map/tile_image.h"
#include "store/tile_cache.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace crv::map {

/// Where a layer of a slot stands: its picture is valid for the slot's key, it is to be looked
/// up in the cache, the cache does not have it (or what it has does not decode), or its file
/// was read and is being decoded (the slot shows what it showed before meanwhile).
enum class SlotState : uint8_t { Loaded = 0, Reload = 1, Missing = 2, Decoding = 3 };

/// One of the 3 × 3 tiles around the view centre.
struct TileSlot {
    store::TileKey key;
    RgbaImage satellite; ///< the satellite tile or the "No data" picture
    RgbaImage overlay;   ///< the overlay tile, empty while there is none
    RgbaImage composite; ///< the overlay over the satellite picture: what the map shows
    std::array<SlotState, 2> state{SlotState::Reload, SlotState::Reload}; ///< by layer
    std::array<uint32_t, 2> ticket{}; ///< by layer: the decode whose picture is awaited
    bool showsNoData = false;
};

/// The tiles of the map view: which of them are loaded, which are read from the cache on the
/// next update and which are missing and asked for. The files read are decoded on worker
/// threads; their pictures come into the slots on a later update. User-interface thread only.
class TileGrid {
public:
    static constexpr int kSlots = 9;
    using Requester = std::function<void(store::TileLayer, const store::TileKey&)>;

    /// noData is shown for a satellite tile the cache does not have; request is told of every
    /// missing tile, in slot order, satellite before overlay; decoded is called on a decoding
    /// thread whenever a picture is ready for the next update (it may be empty).
    TileGrid(store::TileCache& cache, RgbaImage noData, Requester request,
             std::function<void()> decoded = {});

    /// Slot of column offset i and row offset j, each -1 to 1: 0 is left-top, 4 the centre.
    static constexpr int slotIndex(int i, int j) { return 3 * (i + 1) + (j + 1); }

    /// Brings the slots up to date for a view centre: takes in the pictures decoded since the
    /// last update, then a new centre tile or zoom reloads all, otherwise only slots marked for
    /// reload or missing touch the cache.
    void update(WorldPixel centre, int zoom);
    const TileSlot& slot(int index) const { return m_slots[index]; }
    /// Whether a slot waits for a picture being decoded.
    bool decoding() const;

    /// A tile was stored: the slots showing its key read it again on the next update.
    void markForReload(store::TileLayer layer, const store::TileKey& key);
    /// Every slot of both layers reads the cache again (after tiles were deleted).
    void reloadAll();

private:
    void takeDecoded();
    void readTile(int index, store::TileLayer layer, const store::TileKey& key);
    void showMissing(int index, store::TileLayer layer);

    store::TileCache& m_cache;
    const RgbaImage m_noData;
    const Requester m_request;
    std::array<TileSlot, kSlots> m_slots;
    std::optional<store::TileKey> m_centreTile;
    std::array<bool, kSlots> m_recompose{}; // a picture of the slot changed since its composite
    TileDecoder m_decoder; // last, so that its workers stop before the rest goes
};

} // namespace crv::map
