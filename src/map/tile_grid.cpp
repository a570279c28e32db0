#include "map/tile_grid.h"

#include <thread>
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
    std::array<TileKey, kSlots> keys;
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            keys[slotIndex(i, j)] = {WrapTileIndex(int64_t{centreTile.x} + i, zoom),
                                     WrapTileIndex(int64_t{centreTile.y} + j, zoom), zoom};
        }
    }
    std::vector<TileLoad> loads = readTiles(keys);
    decodeTiles(loads);
    auto next = loads.begin();
    auto decodedFor = [&](int index, TileLayer layer) {
        std::optional<RgbaImage> picture;
        if (next != loads.end() && next->slot == index && next->layer == layer) {
            if (next->decoded) {
                picture = std::move(next->picture);
            }
            ++next;
        }
        return picture;
    };
    for (int index = 0; index < kSlots; ++index) {
        TileSlot& slot = m_slots[index];
        const bool satelliteChanged =
            updateSatellite(slot, keys[index], decodedFor(index, TileLayer::Satellite));
        updateOverlay(slot, keys[index], decodedFor(index, TileLayer::Overlay), satelliteChanged);
    }
}

// The files of every layer to be read again, in slot order, satellite before overlay. A slot
// whose key changed reads both layers.
std::vector<TileGrid::TileLoad> TileGrid::readTiles(const std::array<TileKey, kSlots>& keys) {
    std::vector<TileLoad> loads;
    for (int index = 0; index < kSlots; ++index) {
        TileSlot& slot = m_slots[index];
        for (SlotState& state : slot.state) {
            if (state == SlotState::Loaded && slot.key != keys[index]) {
                state = SlotState::Reload;
            }
        }
        for (const TileLayer layer : {TileLayer::Satellite, TileLayer::Overlay}) {
            if (slot.state[layerIndex(layer)] != SlotState::Reload) {
                continue;
            }
            slot.key = keys[index];
            const int64_t row = m_cache.FindTile(layer, keys[index]);
            auto file = row < 0 ? std::nullopt : m_cache.ReadTile(layer, row);
            if (file) {
                // The layer's old picture lends its memory to the new one.
                RgbaImage& old = layer == TileLayer::Satellite ? slot.satellite : slot.overlay;
                loads.push_back({index, layer, std::move(*file), std::move(old), false});
                if (layer == TileLayer::Satellite) {
                    slot.showsNoData = false; // its picture is lent away
                }
            }
        }
    }
    return loads;
}

// Decoding is most of a full redraw; the tiles are independent, so a second core takes half.
void TileGrid::decodeTiles(std::vector<TileLoad>& loads) {
    auto decodeEvery = [&loads](size_t first, size_t step) {
        for (size_t k = first; k < loads.size(); k += step) {
            TileLoad& load = loads[k];
            load.decoded = load.layer == TileLayer::Satellite ? decodeJpeg(load.file, load.picture)
                                                              : decodePng(load.file, load.picture);
            if (load.decoded) {
                load.picture = fitToTile(std::move(load.picture), kTileSize);
            }
        }
    };
    if (loads.size() < 2 || std::thread::hardware_concurrency() < 2) {
        decodeEvery(0, 1);
        return;
    }
    std::thread helper(decodeEvery, 1, 2);
    decodeEvery(0, 2);
    helper.join();
}

// A tile that is not cached, cannot be read or does not decode counts as missing: it shows
// "No data" and is downloaded again, and the new download replaces the bad copy. True when the
// satellite picture changed, so the composite must be made again.
bool TileGrid::updateSatellite(TileSlot& slot, const TileKey& key,
                               std::optional<RgbaImage> decoded) {
    SlotState& state = slot.state[layerIndex(TileLayer::Satellite)];
    if (state == SlotState::Reload) {
        if (decoded) {
            slot.satellite = std::move(*decoded);
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
void TileGrid::updateOverlay(TileSlot& slot, const TileKey& key, std::optional<RgbaImage> decoded,
                             bool satelliteChanged) {
    SlotState& state = slot.state[layerIndex(TileLayer::Overlay)];
    if (state == SlotState::Reload) {
        state = decoded ? SlotState::Loaded : SlotState::Missing;
        slot.overlay = decoded ? std::move(*decoded) : RgbaImage{};
        compose(slot);
    } else if (satelliteChanged) {
        compose(slot);
    }
    if (state == SlotState::Missing) {
        m_request(TileLayer::Overlay, key);
    }
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
