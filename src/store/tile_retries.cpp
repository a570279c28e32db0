#include "store/tile_retries.h"

#include <algorithm>

namespace crv::store {

void TileRetries::failed(TileLayer layer, const TileKey& key) {
    const Tile tile{layer, key};
    auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(),
                                [&](const Waiting& w) { return w.tile == tile; });
    if (waiting == m_waiting.end()) {
        if (m_waiting.size() == kMaxKept) {
            m_waiting.erase(m_waiting.begin());
        }
        waiting = m_waiting.insert(m_waiting.end(), {tile, 0, 0});
    }
    const int doublings = std::min(waiting->failures++, 16);
    waiting->readyAt = m_now + std::min(kFirstDelayTicks << doublings, kLongestDelayTicks);
}

void TileRetries::stored(TileLayer layer, const TileKey& key) {
    if (m_stored.size() == kMaxKept) {
        m_stored.pop_front();
    }
    m_stored.push_back({layer, key});
}

bool TileRetries::mayFetch(TileLayer layer, const TileKey& key) {
    const Tile tile{layer, key};
    const auto stored = std::find(m_stored.begin(), m_stored.end(), tile);
    if (stored != m_stored.end()) {
        m_stored.erase(stored);
        failed(layer, key);
    }
    const auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(),
                                      [&](const Waiting& w) { return w.tile == tile; });
    return waiting == m_waiting.end() || m_now >= waiting->readyAt;
}

void TileRetries::forget() {
    m_waiting.clear();
    m_stored.clear();
}

} // namespace crv::store
