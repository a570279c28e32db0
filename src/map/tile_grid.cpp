#include "map/tile_grid.h"

#include <utility>

namespace crv::map {

namespace {

using store::TileKey;
using store::TileLayer;

constexpr size_t layerIndex(TileLayer layer) { return layer == TileLayer::Satellite ? 0 : 1; }

} // namespace

TileGrid::TileGrid(store::TileCache& cache, RgbaImage noData, Requester request)
    : m_cache(cache), m_noData(fitToTile(noData, kTileSize)), m_request(std::move(request)) {}

void TileGrid::update(WorldPixel centre, int zoom) {
    const TileKey centreTile{WrapTileIndex(centre.x / kTileSize, zoom),
                             WrapTileIndex(centre.y / kTileSize, zoom), zoom};
    if (m_centreTile != centreTile) {
        reloadAll();
        m_centreTile = centreTile;
    }
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            const TileKey key{WrapTileIndex(int64_t{centreTile.x} + i, zoom),
                              WrapTileIndex(int64_t{centreTile.y} + j, zoom), zoom};
            TileSlot& slot = m_slots[slotIndex(i, j)];
            updateOverlay(slot, key, updateSatellite(slot, key));
        }
    }
}

// True when the satellite picture changed, so the composite must be made again.
bool TileGrid::updateSatellite(TileSlot& slot, const TileKey& key) {
    SlotState& state = slot.state[layerIndex(TileLayer::Satellite)];
    if (state == SlotState::Loaded && slot.key != key) {
        state = SlotState::Reload;
    }
    if (state == SlotState::Reload) {
        slot.key = key;
        if (auto picture = loadTile(TileLayer::Satellite, key)) {
            slot.satellite = fitToTile(std::move(*picture), kTileSize);
            slot.showsNoData = false;
            state = SlotState::Loaded;
            return true;
        }
        state = SlotState::Missing;
    }
    if (state == SlotState::Missing) {
        const bool changed = !slot.showsNoData;
        if (changed) {
            slot.satellite = m_noData;
            slot.showsNoData = true;
        }
        m_request(TileLayer::Satellite, key);
        return changed;
    }
    return false;
}

// A loaded overlay is drawn again over a satellite picture that changed, so a satellite tile
// that arrives after its overlay shows at once rather than at the next change of view.
void TileGrid::updateOverlay(TileSlot& slot, const TileKey& key, bool satelliteChanged) {
    SlotState& state = slot.state[layerIndex(TileLayer::Overlay)];
    if (state == SlotState::Loaded && slot.key != key) {
        state = SlotState::Reload;
    }
    if (state == SlotState::Reload) {
        slot.key = key;
        if (auto picture = loadTile(TileLayer::Overlay, key)) {
            slot.overlay = fitToTile(std::move(*picture), kTileSize);
            state = SlotState::Loaded;
        } else {
            slot.overlay = {};
            state = SlotState::Missing;
        }
        compose(slot);
    } else if (satelliteChanged) {
        compose(slot);
    }
    if (state == SlotState::Missing) {
        m_request(TileLayer::Overlay, key);
    }
}

// A tile that is not cached, cannot be read or does not decode counts as missing: it shows
// "No data" and is downloaded again, and the new download replaces the bad copy.
std::optional<RgbaImage> TileGrid::loadTile(TileLayer layer, const TileKey& key) {
    const int64_t row = m_cache.FindTile(layer, key);
    if (row < 0) {
        return std::nullopt;
    }
    const auto file = m_cache.ReadTile(layer, row);
    if (!file) {
        return std::nullopt;
    }
    return layer == TileLayer::Satellite ? decodeJpeg(*file) : decodePng(*file);
}

void TileGrid::compose(TileSlot& slot) {
    slot.composite = slot.satellite;
    if (!slot.overlay.empty()) {
        drawOver(slot.composite, slot.overlay);
    }
}

void TileGrid::markForReload(TileLayer layer, const TileKey& key) {
    for (TileSlot& slot : m_slots) {
        if (slot.key == key) {
            slot.state[layerIndex(layer)] = SlotState::Reload;
        }
    }
}

void TileGrid::reloadAll() {
    for (TileSlot& slot : m_slots) {
        slot.state = {SlotState::Reload, SlotState::Reload};
    }
}

} // namespace crv::map
