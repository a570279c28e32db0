#pragma once

#include "link/board_link.h"

#include <QWidget>

class QTabWidget;

namespace crv::ui {

/// The autopilot configuration window: one page a group of the board's configuration blocks.
class TForm3 : public QWidget {
    Q_OBJECT

public:
    /// owner is the main window: this window stays above it and opens centred on it.
    TForm3(link::BoardLink& link, QWidget* owner);

    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet5, *TabSheet6, *TabSheet4, *TabSheet3, *TabSheet7;

    /// Shows the window and asks the board for every block its pages show, letting received
    /// frames be handled between the requests.
    void OpenConfigurationWindow();

private:
    link::BoardLink& m_link;
    bool m_openedBefore = false;
};

} // namespace crv::ui
