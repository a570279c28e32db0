#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

namespace crv::recorder {

/// Runs one piece of work on its own thread and hands its result back to the thread that
/// polls for it. The work is given a flag that asks it to stop; it must look at it often, as
/// cancel() and the destructor wait for the thread to end.
template <typename Result> class BackgroundJob {
public:
    using Work = std::function<Result(const std::atomic<bool>& cancelled)>;

    BackgroundJob() = default;
    ~BackgroundJob() { cancel(); }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    /// Cancels any job still running, then starts work.
    void start(Work work) {
        cancel();
        m_cancelled = false;
        m_done = false;
        m_result.reset();
        m_thread = std::thread([this, work = std::move(work)] {
            m_result = work(m_cancelled);
            m_done.store(true, std::memory_order_release);
        });
    }
    bool running() const { return m_thread.joinable(); }

    /// The result once the work is done (and only once), else nothing.
    std::optional<Result> take() {
        if (!m_thread.joinable() || !m_done.load(std::memory_order_acquire)) {
            return std::nullopt;
        }
        m_thread.join();
        return std::exchange(m_result, std::nullopt);
    }

    /// Asks the work to stop and waits for its thread; the result is dropped.
    void cancel() {
        if (m_thread.joinable()) {
            m_cancelled = true;
            m_thread.join();
        }
        m_result.reset();
    }

private:
    std::thread m_thread;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_done{false};
    std::optional<Result> m_result;
};

} // namespace crv::recorder
