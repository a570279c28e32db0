#include "ui/main/pie_gauge.h"

#include <QPainter>

#include <algorithm>

namespace crv::ui {

void PieGauge::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = std::max(maximum, minimum + 1);
    setValue(m_value);
}

void PieGauge::setValue(int value) {
    const int clipped = std::clamp(value, m_minimum, m_maximum);
    if (clipped != m_value) {
        m_value = clipped;
        update();
    }
}

void PieGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawEllipse(circle);
    const double share = double(m_value - m_minimum) / (m_maximum - m_minimum);
    painter.setBrush(palette().color(QPalette::Highlight));
    // Qt counts angles in 1/16 degree, counter-clockwise from three o'clock.
    painter.drawPie(circle, 90 * 16, -static_cast<int>(share * 360 * 16));
}

} // namespace crv::ui
