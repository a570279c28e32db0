#include "ui/main/tform1.h"

#include "link/message_types.h"
#include "link/port_list.h"
#include "telemetry/firmware_version.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace crv::ui {

namespace {

constexpr int kBuildNumber = 98;
constexpr int kReportIntervalMs = 1000;

QString text(const std::string& value) { return QString::fromStdString(value); }

template <typename T> T* named(QWidget* parent, const char* name) {
    auto* widget = new T(parent);
    widget->setObjectName(name);
    return widget;
}

} // namespace

TForm1::TForm1(link::BoardLink& link, QWidget* parent) : QWidget(parent), m_link(link) {
    setObjectName("TForm1");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(1000, 640);
    createLinkGroup();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(kReportIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    m_link.dispatcher().setHandler(
        link::msg::kFirmwareVersion,
        [this](const link::LinkFrame& frame) { VersionReceived(frame); });
    m_link.session().setLinkLostHandler([this](const std::string& reason) { LinkLost(reason); });
}

void TForm1::createLinkGroup() {
    GroupBox2 = named<QGroupBox>(this, "GroupBox2");
    GroupBox2->setTitle("GCS Link");
    GroupBox2->setGeometry(720, 8, 272, 168);

    ComboBox1 = named<QComboBox>(GroupBox2, "ComboBox1");
    ComboBox1->setEditable(true); // a device path can be typed, a pseudo-terminal for one
    ComboBox1->setGeometry(8, 22, 150, 26);
    for (const char* item : {"1", "2", "3", "4", "5", "6"}) {
        ComboBox1->addItem(item);
    }

    Button1 = named<QPushButton>(GroupBox2, "Button1");
    Button1->setText("Connect");
    Button1->setGeometry(190, 22, 74, 26);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);

    Button22 = named<QPushButton>(GroupBox2, "Button22");
    Button22->setText("?");
    Button22->setToolTip("Refresh COM-ports list");
    Button22->setGeometry(162, 23, 24, 24);
    connect(Button22, &QPushButton::clicked, this, &TForm1::Button22Click);

    Button7 = named<QPushButton>(GroupBox2, "Button7");
    Button7->setText("FW update");
    Button7->setGeometry(8, 136, 90, 24);
    Button7->setEnabled(false);

    Label9 = named<QLabel>(GroupBox2, "Label9");
    Label9->setText("-");
    Label9->setGeometry(8, 52, 256, 34);
    Label9->setWordWrap(true);

    Label10 = named<QLabel>(GroupBox2, "Label10");
    Label10->setText("Bitrate");
    Label10->setGeometry(8, 88, 256, 20);

    Label11 = named<QLabel>(GroupBox2, "Label11");
    Label11->setText("Lost");
    Label11->setGeometry(8, 110, 256, 20);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        MainWindowShown();
    }
}

void TForm1::MainWindowShown() {
    ListPorts();
    ComboBox1->setCurrentIndex(0);
    setWindowTitle("Corvane X Ground Control Station build " + QString::number(kBuildNumber));
    Timer1->start();
    if (!m_startupPort.empty()) {
        selectPort(m_startupPort);
        // Once the window is on screen, so a failure box has the window behind it.
        QTimer::singleShot(0, this, &TForm1::Button1Click);
    }
}

void TForm1::ListPorts() {
    std::vector<std::string> ports = link::listSerialPorts();
    for (const std::string& typed : m_typedPorts) {
        if (std::find(ports.begin(), ports.end(), typed) == ports.end()) {
            ports.push_back(typed);
        }
    }
    ComboBox1->clear();
    for (const std::string& port : ports) {
        ComboBox1->addItem(text(port));
    }
}

void TForm1::selectPort(const std::string& path) {
    if (ComboBox1->findText(text(path)) < 0) {
        ComboBox1->addItem(text(path));
    }
    ComboBox1->setCurrentIndex(ComboBox1->findText(text(path)));
}

void TForm1::Button22Click() {
    const int remembered = ComboBox1->currentIndex();
    ListPorts();
    ComboBox1->setCurrentIndex(link::reselectIndex(remembered, ComboBox1->count()));
}

void TForm1::Button1Click() {
    if (m_link.session().linkOpen()) {
        Disconnect();
    } else {
        Connect();
    }
}

void TForm1::Connect() {
    const std::string name = ComboBox1->currentText().trimmed().toStdString();
    if (name.empty()) {
        QMessageBox::information(this, windowTitle(), "No COM devices found!");
        ListPorts();
        ComboBox1->setCurrentIndex(0);
        return;
    }
    const Status opened = m_link.session().connect(name);
    if (!opened.ok()) {
        QMessageBox::critical(this, windowTitle(),
                              text("Cannot open " + name + ": " + opened.message()));
        return;
    }
    if (std::find(m_typedPorts.begin(), m_typedPorts.end(), name) == m_typedPorts.end()) {
        m_typedPorts.push_back(name);
    }
    Button1->setText("Disconnect");
    Button7->setEnabled(true);
    ComboBox1->setEnabled(false);
}

void TForm1::Disconnect() {
    m_link.session().disconnect();
    ShowLinkClosed();
}

// What the window shows for a closed link, whether the user or a failing port closed it.
void TForm1::ShowLinkClosed() {
    Button1->setText("Connect");
    ComboBox1->setEnabled(true);
    Button7->setEnabled(false);
    Label9->setText("-");
    const std::string selected = ComboBox1->currentText().toStdString();
    const int remembered = ComboBox1->currentIndex();
    ListPorts();
    const int again = ComboBox1->findText(text(selected));
    ComboBox1->setCurrentIndex(again >= 0 ? again
                                          : link::reselectIndex(remembered, ComboBox1->count()));
}

void TForm1::LinkLost(const std::string& reason) {
    ShowLinkClosed();
    Label9->setText(text("Link lost: " + reason));
}

void TForm1::Timer1Timer() {
    const link::LinkReport report = m_link.session().takeReport();
    Label10->setText(text(report.bitrate));
    Label11->setText(text(report.frameRate));
    m_link.session().pollIdentification(m_link.builder(), streamRateCodes());
}

// The lists of the stream rates come with the telemetry displays; until then the defaults:
// attitude 5, RC and servo 2, navigation 2, GPS 2 and power 1 per second.
link::StreamRateCodes TForm1::streamRateCodes() const { return {1, 4, 4, 4, 4, 9}; }

void TForm1::VersionReceived(const link::LinkFrame& frame) {
    const telemetry::FirmwareVersion version = telemetry::decodeFirmwareVersion(frame);
    Label9->setText(text(telemetry::versionLine(version)));
    Button7->setEnabled(true);
    const telemetry::Identification result =
        telemetry::identify(m_link.session().boardIdentified(), version);
    // Set before the box opens: versions arriving meanwhile open no second box.
    m_link.session().setBoardIdentified(result.identified);
    if (result.warning) {
        QMessageBox::warning(this, windowTitle(), text(*result.warning));
    }
}

} // namespace crv::ui
