#include "ui/main/horizon.h"

#include "ui/main/horizon_geometry.h"

#include <QImageReader>
#include <QPainter>
#include <QTransform>

namespace crv::ui {

namespace {

constexpr int kWorkSize = 250;

QImage loadImage(const QString& path, QString& error) {
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull() && error.isEmpty()) {
        error = "Cannot load " + path + ": " + reader.errorString();
    }
    return image;
}

// Colour-key transparency: every pixel of the key colour becomes see-through.
QImage withTransparentKey(const QImage& image, QRgb key) {
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            // Opaque pixels are the same premultiplied or not, so the key compares as is.
            if ((row[x] & 0x00FFFFFF) == (key & 0x00FFFFFF)) {
                row[x] = 0;
            }
        }
    }
    return keyed;
}

} // namespace

ArtificialHorizon::ArtificialHorizon() : m_work(kWorkSize, kWorkSize, QImage::Format_RGB32) {
    m_work.fill(Qt::white);
}

Status ArtificialHorizon::load(const QString& bezelPath, const QString& stripPath) {
    QString error;
    const QImage bezel = loadImage(bezelPath, error);
    const QImage strip = loadImage(stripPath, error);
    if (!error.isEmpty()) {
        return Status::failure(error.toStdString());
    }
    const QPoint keyPixel(120, 120);
    const QRgb key = bezel.valid(keyPixel) ? bezel.pixel(keyPixel) : bezel.pixel(0, 0);
    m_bezel = withTransparentKey(bezel, key);
    m_strip = strip.convertToFormat(QImage::Format_RGB32);
    return Status::success();
}

void ArtificialHorizon::RedrawHorizon(int16_t rollDeciDeg, int16_t pitchDeciDeg) {
    if (m_strip.isNull()) {
        return;
    }
    const HorizonGeometry geometry = horizonGeometry(rollDeciDeg, pitchDeciDeg);
    QPainter painter(&m_work);
    painter.setTransform(QTransform(geometry.m11, geometry.m12, geometry.m21, geometry.m22,
                                    geometry.dx, geometry.dy));
    painter.drawImage(QPoint(-kWorkSize / 2, geometry.stripTop), m_strip);
}

void ArtificialHorizon::ComposeHorizon(QImage& frame) const {
    const QSize size = m_bezel.isNull() ? QSize(300, 300) : m_bezel.size();
    if (frame.size() != size || frame.format() != QImage::Format_RGB32) {
        frame = QImage(size, QImage::Format_RGB32);
    }
    frame.fill(Qt::black);
    QPainter painter(&frame);
    painter.drawImage(QPoint(25, 25), m_work);
    painter.setPen(Qt::black);
    painter.drawLine(20, 150, 249, 150);
    painter.drawImage(QPoint(0, 0), m_bezel);
}

} // namespace crv::ui
