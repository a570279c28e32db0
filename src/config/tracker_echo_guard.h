#pragma once

namespace crv::config {

/// Keeps the tracker page from sending back what a received tracker record sets in its
/// controls: armed by the record, it runs down with the main window's 100 ms timer, so the
/// page's change handlers stay quiet for 200 to 300 ms. User-interface thread only.
class TrackerEchoGuard {
public:
    void arm() { m_ticksLeft = kArmedTicks; }
    /// One tick of the main window's 100 ms timer.
    void tick() {
        if (m_ticksLeft > 0) {
            --m_ticksLeft;
        }
    }
    /// While true the tracker page's change handlers send nothing.
    bool active() const { return m_ticksLeft > 0; }

private:
    static constexpr int kArmedTicks = 3;
    int m_ticksLeft = 0;
};

} // namespace crv::config
