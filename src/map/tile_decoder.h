#pragma once

#include "map/tile_image.h"
#include "store/tile_cache.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace crv::map {

/// Decodes tile files on two worker threads, so that no decode runs on the user-interface thread.
/// Jobs wait in a bounded queue; a job for a slot and layer replaces one of theirs still waiting.
/// Finished pictures wait until they are taken, and the owner hears when all work is done, so that
/// a view of many tiles is redrawn once rather than for every tile. Each decode is bounded (see tile_image.h), so
/// the destructor, which drops the waiting jobs and joins the workers, never waits long.
class TileDecoder {
public:
    static constexpr int kThreads = 2;
    static constexpr size_t kMaxWaiting = 18; ///< a job for every slot and layer

    struct Job {
        int slot = 0;
        store::TileLayer layer = store::TileLayer::Satellite;
        uint32_t ticket = 0; ///< tells this job's picture from those of older ones
        std::vector<uint8_t> file;
    };
    struct Done {
        int slot = 0;
        store::TileLayer layer = store::TileLayer::Satellite;
        uint32_t ticket = 0;
        std::optional<RgbaImage> picture; ///< nothing when the file did not decode
    };

    /// finished is called on a worker thread whenever the last waiting job is done; it may be
    /// empty.
    explicit TileDecoder(std::function<void()> finished);
    ~TileDecoder();
    TileDecoder(const TileDecoder&) = delete;
    TileDecoder& operator=(const TileDecoder&) = delete;

    /// Queues a job; false when the queue is full.
    bool submit(Job job);
    /// The pictures finished since the last call, in the order they finished.
    std::vector<Done> takeFinished();

private:
    void work();

    const std::function<void()> m_finished;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Job> m_waiting;
    std::vector<Done> m_done;
    int m_running = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

} // namespace crv::map
