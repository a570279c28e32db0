// Draws the artificial horizon's pictures: the bezel "AH_top.bmp" (see-through wherever it has
// the colour of its pixel at (120, 120)) and the 250 × 1000 sky and ground strip "AH_bottom.bmp"
// with its pitch ladder at 3.95 pixels per degree.
//
// usage: make_horizon_art FOLDER

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr QRgb kKey = 0xFFFF00FF; // see-through
constexpr double kPixelsPerDegree = 3.95;

QImage bezel() {
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(QColor(0x30, 0x33, 0x38));
    QPainter painter(&image);
    const QPointF centre(150, 150);

    // The window onto the strip is drawn without smoothing, so its edge is the key colour
    // exactly and no fringe shows.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(kKey));
    painter.drawEllipse(centre, 122, 122);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x90, 0x96, 0xA0), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 138, 138);

    // Roll scale along the top of the ring.
    painter.setPen(QPen(Qt::white, 2));
    for (int degrees : {-60, -45, -30, -20, -10, 0, 10, 20, 30, 45, 60}) {
        const double angle = (degrees - 90) * std::numbers::pi / 180;
        const double inner = degrees % 30 == 0 ? 124 : 128;
        painter.drawLine(centre + QPointF(std::cos(angle), std::sin(angle)) * inner,
                         centre + QPointF(std::cos(angle), std::sin(angle)) * 136);
    }
    QPainterPath pointer;
    pointer.moveTo(150, 26);
    pointer.lineTo(143, 14);
    pointer.lineTo(157, 14);
    pointer.closeSubpath();
    painter.fillPath(pointer, QColor(0xFF, 0xB0, 0x20));

    // The aircraft symbol, fixed in the middle.
    painter.setPen(QPen(QColor(0xFF, 0xB0, 0x20), 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(92, 150), QPointF(132, 150));
    painter.drawLine(QPointF(132, 150), QPointF(140, 160));
    painter.drawLine(QPointF(208, 150), QPointF(168, 150));
    painter.drawLine(QPointF(168, 150), QPointF(160, 160));
    painter.setBrush(QColor(0xFF, 0xB0, 0x20));
    painter.drawEllipse(centre, 3, 3);
    return image;
}

QImage strip() {
    QImage image(250, 1000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 500);
    sky.setColorAt(0, QColor(0x1A, 0x4F, 0x9C));
    sky.setColorAt(1, QColor(0x6F, 0xB2, 0xE8));
    painter.fillRect(0, 0, 250, 500, sky);
    QLinearGradient ground(0, 500, 0, 1000);
    ground.setColorAt(0, QColor(0x9A, 0x6B, 0x3C));
    ground.setColorAt(1, QColor(0x4E, 0x33, 0x1A));
    painter.fillRect(0, 500, 250, 500, ground);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(0, 500, 250, 500);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    for (int degrees = 5; degrees <= 60; degrees += 5) {
        const bool major = degrees % 10 == 0;
        const int halfWidth = major ? 30 : 14;
        for (int sign : {-1, 1}) {
            const double y = 500 - sign * degrees * kPixelsPerDegree;
            painter.setPen(QPen(Qt::white, major ? 2 : 1));
            painter.drawLine(QPointF(125 - halfWidth, y), QPointF(125 + halfWidth, y));
            if (major) {
                const QString text = QString::number(degrees);
                painter.drawText(QRectF(125 - halfWidth - 26, y - 7, 22, 14),
                                 Qt::AlignRight | Qt::AlignVCenter, text);
                painter.drawText(QRectF(125 + halfWidth + 4, y - 7, 22, 14),
                                 Qt::AlignLeft | Qt::AlignVCenter, text);
            }
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_horizon_art FOLDER\n");
        return 2;
    }
    const QDir folder(argv[1]);
    if (!folder.mkpath(".") || !bezel().save(folder.filePath("AH_top.bmp")) ||
        !strip().save(folder.filePath("AH_bottom.bmp"))) {
        std::fprintf(stderr, "make_horizon_art: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
