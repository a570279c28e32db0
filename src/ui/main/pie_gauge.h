#pragma once

#include <QWidget>

namespace crv::ui {

/// A round gauge without text: the share of its range that the value covers is filled as a
/// sector from twelve o'clock, clockwise.
class PieGauge : public QWidget {
    Q_OBJECT

public:
    explicit PieGauge(QWidget* parent = nullptr) : QWidget(parent) {}

    void setRange(int minimum, int maximum);
    /// Values outside the range are shown at its nearest end.
    void setValue(int value);
    int value() const { return m_value; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
};

} // namespace crv::ui
