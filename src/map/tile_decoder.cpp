#include "map/tile_decoder.h"

#include "map/projection.h"

#include <algorithm>
#include <utility>

namespace crv::map {

TileDecoder::TileDecoder(std::function<void()> finished) : m_finished(std::move(finished)) {
    for (int n = 0; n < kThreads; ++n) {
        m_workers.emplace_back([this] { work(); });
    }
}

TileDecoder::~TileDecoder() {
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
        m_waiting.clear();
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
}

bool TileDecoder::submit(Job job) {
    {
        const std::lock_guard lock(m_lock);
        const auto same = std::find_if(m_waiting.begin(), m_waiting.end(), [&](const Job& w) {
            return w.slot == job.slot && w.layer == job.layer;
        });
        if (same != m_waiting.end()) {
            *same = std::move(job);
        } else if (m_waiting.size() < kMaxWaiting) {
            m_waiting.push_back(std::move(job));
        } else {
            return false;
        }
    }
    m_wake.notify_one();
    return true;
}

std::vector<TileDecoder::Done> TileDecoder::takeFinished() {
    const std::lock_guard lock(m_lock);
    return std::exchange(m_done, {});
}

void TileDecoder::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
            if (m_stopping) {
                return;
            }
            job = std::move(m_waiting.front());
            m_waiting.pop_front();
            ++m_running;
        }
        Done done{job.slot, job.layer, job.ticket, RgbaImage{}};
        const bool decoded = job.layer == store::TileLayer::Satellite
                                 ? decodeJpeg(job.file, *done.picture)
                                 : decodePng(job.file, *done.picture);
        if (decoded) {
            done.picture = fitToTile(std::move(*done.picture), kTileSize);
        } else {
            done.picture.reset();
        }
        bool allDone = false;
        {
            const std::lock_guard lock(m_lock);
            m_done.push_back(std::move(done));
            allDone = --m_running == 0 && m_waiting.empty();
        }
        if (allDone && m_finished) {
            m_finished();
        }
    }
}

} // namespace crv::map
