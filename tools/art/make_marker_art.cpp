// Draws the map markers: "_home.png", "_marker.png" (each mission point), "_target.png" and
// "_vehicle.png". The map stands each marker with its bottom centre on its point, so the pins
// end in their tip at the bottom row.
//
// usage: make_marker_art FOLDER

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// A map pin of the colour with a letter in its head.
QImage pin(int width, int height, const QColor& colour, const QString& letter) {
    QImage image = canvas(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = width / 2.0 - 1.5;
    const QPointF head(width / 2.0, radius + 1.5);
    QPainterPath shape;
    shape.moveTo(width / 2.0, height - 0.5);
    shape.lineTo(head.x() - radius * 0.7, head.y() + radius * 0.7);
    shape.arcTo(QRectF(head.x() - radius, head.y() - radius, 2 * radius, 2 * radius), 225, -270);
    shape.closeSubpath();
    painter.setPen(QPen(colour.darker(180), 1.5));
    painter.setBrush(colour);
    painter.drawPath(shape);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(int(radius * 1.2));
    painter.setFont(font);
    painter.drawText(QRectF(head.x() - radius, head.y() - radius, 2 * radius, 2 * radius),
                     Qt::AlignCenter, letter);
    return image;
}

// Rings around the target point, which sits at the middle of the bottom row.
QImage target() {
    QImage image = canvas(25, 25);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(230, 30, 30), 2));
    painter.drawEllipse(QPointF(12.5, 12.5), 10, 10);
    painter.drawEllipse(QPointF(12.5, 12.5), 4, 4);
    painter.drawLine(QPointF(12.5, 0), QPointF(12.5, 25));
    painter.drawLine(QPointF(0, 12.5), QPointF(25, 12.5));
    return image;
}

// An aeroplane seen from above, nose up.
QImage vehicle() {
    QImage image = canvas(31, 31);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plane;
    plane.moveTo(15.5, 1);
    plane.lineTo(17.5, 5);
    plane.lineTo(17.5, 11);
    plane.lineTo(30, 17);
    plane.lineTo(30, 19);
    plane.lineTo(17.5, 16.5);
    plane.lineTo(17, 25);
    plane.lineTo(21, 28);
    plane.lineTo(21, 30);
    plane.lineTo(15.5, 28.5);
    plane.lineTo(10, 30);
    plane.lineTo(10, 28);
    plane.lineTo(14, 25);
    plane.lineTo(13.5, 16.5);
    plane.lineTo(1, 19);
    plane.lineTo(1, 17);
    plane.lineTo(13.5, 11);
    plane.lineTo(13.5, 5);
    plane.closeSubpath();
    painter.setPen(QPen(QColor(20, 20, 60), 1.2));
    painter.setBrush(QColor(255, 220, 40));
    painter.drawPath(plane);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_marker_art FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(".");
    const struct {
        const char* name;
        QImage image;
    } markers[] = {
        {"_home.png", pin(23, 32, QColor(30, 150, 60), "H")},
        {"_marker.png", pin(17, 24, QColor(240, 170, 20), "")},
        {"_target.png", target()},
        {"_vehicle.png", vehicle()},
    };
    for (const auto& marker : markers) {
        if (!marker.image.save(folder.filePath(marker.name))) {
            std::fprintf(stderr, "make_marker_art: cannot write %s\n", marker.name);
            return 1;
        }
    }
    return 0;
}
