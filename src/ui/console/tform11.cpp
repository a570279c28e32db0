#include "ui/console/tform11.h"

#include "link/message_types.h"
#include "ui/common/widget_factory.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

namespace crv::ui {

namespace {

constexpr uint8_t kOsdCaptureCommand = 95;
const QRect kPictureArea(QPoint(12, 5), QPoint(615, 485));
const QRgb kLit = qRgb(192, 192, 192);
const QRgb kDark = qRgb(0, 0, 0);

} // namespace

TForm11::TForm11(link::BoardLink& link, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_link(link), m_image(console::OsdPicture::kSide, console::OsdPicture::kSide,
                            QImage::Format_RGB32) {
    setObjectName("TForm11");
    setWindowTitle("Corvane X OSD capture");
    setFixedSize(627, 524);
    setAccessibleName("OSD picture");
    m_image.fill(kDark);
    SaveButton = button(this, "SaveButton", "Save picture...", {12, 492, 130, 26});
    SaveButton->setAccessibleName("Save picture");
    connect(SaveButton, &QPushButton::clicked, this, &TForm11::SaveButtonClick);
    m_link.dispatcher().setHandler(link::msg::kOsdCapture,
                                   [this](const link::LinkFrame& frame) { PieceReceived(frame); });
}

TForm11::~TForm11() { m_link.dispatcher().setHandler(link::msg::kOsdCapture, nullptr); }

void TForm11::ShowCapture() {
    m_link.builder().send(link::msg::kConfigBlock, {kOsdCaptureCommand, 1});
    if (!m_shownBefore && parentWidget() != nullptr) {
        m_shownBefore = true;
        move(parentWidget()->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

void TForm11::closeEvent(QCloseEvent* event) {
    m_link.builder().send(link::msg::kConfigBlock, {kOsdCaptureCommand, 0});
    QWidget::closeEvent(event);
}

// The picture of a capture shows when the first piece of the next one arrives; a capture that
// failed leaves the last good picture on screen.
void TForm11::PieceReceived(const link::LinkFrame& frame) {
    const auto finished = m_capture.piece(frame.payload, frame.payloadSize);
    if (!finished) {
        return;
    }
    if (finished->good) {
        const console::OsdPicture& picture = m_capture.picture();
        for (int y = 0; y < console::OsdPicture::kSide; ++y) {
            auto* row = reinterpret_cast<QRgb*>(m_image.scanLine(y));
            for (int x = 0; x < console::OsdPicture::kSide; ++x) {
                row[x] = picture.lit(x, y) ? kLit : kDark;
            }
        }
        update(kPictureArea);
    }
    setWindowTitle(QString::fromStdString(console::osdCaptionFor(*finished)));
}

void TForm11::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(kPictureArea, m_image);
}

void TForm11::SaveButtonClick() {
    const QString path =
        QFileDialog::getSaveFileName(this, "Save picture", "osd.png", "PNG picture (*.png)");
    if (!path.isEmpty() && !SavePicture(path)) {
        QMessageBox::warning(this, windowTitle(), "Cannot save the picture as " + path);
    }
}

bool TForm11::SavePicture(const QString& path) { return m_image.save(path, "PNG"); }

} // namespace crv::ui
