#pragma once

#include "common/status.h"

#include <QImage>
#include <QString>

#include <cstdint>

namespace crv::ui {

/// The artificial horizon: a sky and ground strip that turns with roll and moves with pitch,
/// under a bezel whose key colour is see-through.
class ArtificialHorizon {
public:
    ArtificialHorizon();

    /// Loads the bezel and the strip; the bezel's colour at (120, 120) becomes transparent.
    Status load(const QString& bezelPath, const QString& stripPath);
    bool loaded() const { return !m_bezel.isNull() && !m_strip.isNull(); }

    /// Paints the strip into the work image for an attitude, over what was there before.
    void RedrawHorizon(int16_t rollDeciDeg, int16_t pitchDeciDeg);
    /// Paints the picture to show into frame: the work image, the level mark and the bezel over
    /// them. The frame is (re)made at the bezel's size only when it has another size, so a
    /// caller that keeps it pays no allocation per tick.
    void ComposeHorizon(QImage& frame) const;

    const QImage& workImage() const { return m_work; }

private:
    QImage m_bezel;
    QImage m_strip;
    QImage m_work;
};

} // namespace crv::ui
