#include "map/tile_grid.h"

#include <algorithm>
#include <utility>

namespace crv::map {

namespace {

using store::TileKey;
using store::TileLayer;

constexpr TileLayer kLayers[] = {TileLayer::Satellite, TileLayer::Overlay};

constexpr size_t layerIndex(TileLayer layer) { return layer == TileLayer::Satellite ? 0 : 1; }

void compose(TileSlot& slot) {
    slot.composite = slot.satellite;
    if (!slot.overlay.empty()) {
        drawOver(slot.composite, slot.overlay);
    }
}

} // namespace

TileGrid::TileGrid(store::TileCache& cache, RgbaImage noData, Requester request,
                   std::function<void()> decoded)
    : m_cache(cache), m_noData(fitToTile(noData, kTileSize)), m_request(std::move(request)),
      m_decoder(std::move(decoded)) {}

void TileGrid::update(WorldPixel centre, int zoom) {
    const TileKey centreTile{WrapTileIndex(centre.x / kTileSize, zoom),
                             WrapTileIndex(centre.y / kTileSize, zoom), zoom};
    if (m_centreTile != centreTile) {
        reloadAll();
        m_centreTile = centreTile;
    }
    takeDecoded();
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            const int index = slotIndex(i, j);
            const TileKey key{WrapTileIndex(int64_t{centreTile.x} + i, zoom),
                              WrapTileIndex(int64_t{centreTile.y} + j, zoom), zoom};
            TileSlot& slot = m_slots[index];
            if (slot.key != key) {
                slot.state = {SlotState::Reload, SlotState::Reload};
                slot.key = key;
            }
            for (const TileLayer layer : kLayers) {
                if (slot.state[layerIndex(layer)] == SlotState::Reload) {
                    readTile(index, layer, key);
                }
                if (slot.state[layerIndex(layer)] == SlotState::Missing) {
                    m_request(layer, key);
                }
            }
        }
    }
    for (int index = 0; index < kSlots; ++index) {
        if (std::exchange(m_recompose[index], false)) {
            compose(m_slots[index]);
        }
    }
}

bool TileGrid::decoding() const {
    return std::any_of(m_slots.begin(), m_slots.end(), [](const TileSlot& slot) {
        return std::find(slot.state.begin(), slot.state.end(), SlotState::Decoding) !=
               slot.state.end();
    });
}

// A picture counts only if its slot still waits for that very decode: a slot that moved on or
// was marked for reload since then waits for a newer one.
void TileGrid::takeDecoded() {
    for (TileDecoder::Done& done : m_decoder.takeFinished()) {
        TileSlot& slot = m_slots[done.slot];
        const size_t layer = layerIndex(done.layer);
        if (slot.state[layer] != SlotState::Decoding || slot.ticket[layer] != done.ticket) {
            continue;
        }
        if (!done.picture) {
            slot.state[layer] = SlotState::Missing;
            showMissing(done.slot, done.layer);
            continue;
        }
        slot.state[layer] = SlotState::Loaded;
        if (done.layer == TileLayer::Satellite) {
            slot.satellite = std::move(*done.picture);
            slot.showsNoData = false;
        } else {
            slot.overlay = std::move(*done.picture);
        }
        m_recompose[done.slot] = true;
    }
}

// A tile that is not cached, cannot be read or does not decode counts as missing: it shows
// "No data" and is downloaded again, and the new download replaces the bad copy.
void TileGrid::readTile(int index, TileLayer layer, const TileKey& key) {
    TileSlot& slot = m_slots[index];
    SlotState& state = slot.state[layerIndex(layer)];
    const int64_t row = m_cache.FindTile(layer, key);
    auto file = row < 0 ? std::nullopt : m_cache.ReadTile(layer, row);
    if (!file) {
        state = SlotState::Missing;
        showMissing(index, layer);
        return;
    }
    const uint32_t ticket = ++slot.ticket[layerIndex(layer)];
    if (m_decoder.submit({index, layer, ticket, std::move(*file)})) {
        state = SlotState::Decoding;
    } // else the queue is full: the tile is read again on the next update
}

void TileGrid::showMissing(int index, TileLayer layer) {
    TileSlot& slot = m_slots[index];
    if (layer == TileLayer::Overlay) {
        slot.overlay = RgbaImage{};
        m_recompose[index] = true;
    } else if (!slot.showsNoData) {
        slot.satellite = m_noData;
        slot.showsNoData = true;
        m_recompose[index] = true;
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
