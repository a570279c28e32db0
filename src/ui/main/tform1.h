#pragma once

#include "link/board_link.h"

#include <QWidget>

#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace crv::ui {

/// The main window: the board link controls and, once the board has identified itself, its
/// telemetry and commands.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(link::BoardLink& link, QWidget* parent = nullptr);

    /// A device to list, select and connect to once the window is first shown.
    void setStartupPort(const std::string& path) { m_startupPort = path; }

    // The "GCS Link" group.
    QGroupBox* GroupBox2;
    QComboBox* ComboBox1;
    QPushButton* Button1;
    QPushButton* Button22;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QPushButton* Button7;

    QTimer* Timer1;

    void ListPorts();
    void Button1Click();
    void Button22Click();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createLinkGroup();
    void MainWindowShown();
    void Connect();
    void Disconnect();
    void ShowLinkClosed();
    void LinkLost(const std::string& reason);
    void VersionReceived(const link::LinkFrame& frame);
    void selectPort(const std::string& path);
    link::StreamRateCodes streamRateCodes() const;

    link::BoardLink& m_link;
    std::string m_startupPort;
    /// Devices that opened, typed paths among them; listed with the system's from then on.
    std::vector<std::string> m_typedPorts;
    bool m_shown = false;
};

} // namespace crv::ui
