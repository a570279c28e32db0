#pragma once

#include "console/osd_capture.h"
#include "link/board_link.h"

#include <QImage>
#include <QWidget>

class QPushButton;

namespace crv::ui {

/// The OSD capture "Corvane X OSD capture": the board's on-screen display as the board sends it
/// in type 37 pieces, drawn scaled without smoothing, its size and check in the caption.
class TForm11 : public QWidget {
    Q_OBJECT

public:
    /// owner is the main window: the window opens centred on it.
    TForm11(link::BoardLink& link, QWidget* owner = nullptr);
    ~TForm11() override;

    QPushButton* SaveButton; ///< "Save picture..."

    /// The main window's "OSD": asks the board for captures and shows the window.
    void ShowCapture();
    /// "Save picture..."'s work after the dialog: the picture as a 240 x 240 PNG file.
    bool SavePicture(const QString& path);
    const QImage& picture() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void PieceReceived(const link::LinkFrame& frame);
    void SaveButtonClick();

    link::BoardLink& m_link;
    console::OsdCapture m_capture;
    QImage m_image;
    bool m_shownBefore = false;
};

} // namespace crv::ui
