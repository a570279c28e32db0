#include "ui/main/tform1.h"

#include "link/message_types.h"
#include "link/port_list.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace crv::ui {

namespace {

constexpr int kBuildNumber = 98;
const QPoint kHorizonAt(35, 15);

QString text(const std::string& value) { return QString::fromStdString(value); }

} // namespace

TForm1::TForm1(link::BoardLink& link, store::LocalDatabase& database, QWidget* parent)
    : QWidget(parent), m_link(link), m_database(database), m_settings(database) {
    setObjectName("TForm1");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(1000, 648);

    createAttitudeArea();
    createBars();
    createNavigationGroup();
    createMeasurementsGroup();
    createCompassBox();
    createBoardConfigGroup();
    createLinkGroup();
    createJoystickGroup();
    createSimulatorGroup();
    createWindowButtons();
    createMenus();
    createTimers();
    setBoardGroupsVisible(false);

    // The designed selections; the settings replace them when the window is first shown.
    RCrate->setCurrentIndex(2);
    Servorate->setCurrentIndex(2);
    IMUrate->setCurrentIndex(3);
    NAVrate->setCurrentIndex(2);
    CRDrate->setCurrentIndex(2);
    VOLTrate->setCurrentIndex(1);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button22, &QPushButton::clicked, this, &TForm1::Button22Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(ReconnectTimer, &QTimer::timeout, this, &TForm1::ReconnectTimerTimer);
    connect(ComboBox5, &QComboBox::currentIndexChanged, this, &TForm1::ComboBox5Change);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (m_recorder.show) {
            m_recorder.show();
        }
    });
    connect(Button24, &QPushButton::clicked, this, [this] {
        if (m_console.showTerminal) {
            m_console.showTerminal();
        }
    });
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (m_console.showOsd) {
            m_console.showOsd();
        }
    });
    connectCommands();
    connectSimulatorAndJoystick();
    registerHandlers();
    m_link.session().setLinkLostHandler([this](const std::string& reason) { LinkLost(reason); });
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        MainWindowShown();
    }
}

void TForm1::MainWindowShown() {
    m_database.OpenLocalDatabase(m_databasePath);
    ListPorts();
    ComboBox1->setCurrentIndex(0);
    Timer1->start();
    Timer2->start();
    Timer3->start();
    StartSimulatorBridge();
    if (!m_startupPort.empty()) {
        selectPort(m_startupPort);
        // Once the window is on screen, so a failure box has the window behind it.
        QTimer::singleShot(0, this, &TForm1::Button1Click);
    }
    const Status images = m_horizon.load("img/AH_top.bmp", "img/AH_bottom.bmp");
    if (images.ok()) {
        m_horizon.ComposeHorizon(m_horizonFrame);
        setWindowTitle("Corvane X Ground Control Station build " + QString::number(kBuildNumber));
        RestoreSettings();
    }
    if (m_missionControl.shown) {
        m_missionControl.shown(m_mapHomeLat, m_mapHomeLon);
    }
    if (!images.ok()) {
        QMessageBox::critical(this, "crvgcs", text(images.message()));
    } else if (m_database.readOnly()) {
        QMessageBox::information(this, windowTitle(),
                                 text("The settings file \"" + m_databasePath +
                                      "\" can only be read: the settings and the map cache are "
                                      "shown, but nothing will be saved."));
    } else if (const auto failure = m_database.takeFirstFailure()) {
        QMessageBox::warning(this, windowTitle(),
                             text("The settings file \"" + m_databasePath +
                                  "\" cannot be used, so settings will not be kept.\n" + *failure));
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    MainWindowClosing();
    QWidget::closeEvent(event);
}

void TForm1::MainWindowClosing() {
    if (m_missionControl.finish) {
        m_missionControl.finish();
    }
    m_link.session().shutdown();
    fg_enabled->setChecked(false);
    Timer1->stop();
    Timer2->stop();
    Timer3->stop();
    ReconnectTimer->stop();
    SaveSettings();
    m_database.CloseLocalDatabase();
}

void TForm1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(kHorizonAt, m_horizonFrame);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label37 && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        PopupMenu1->popup(Label37->mapToGlobal(press->position().toPoint() + QPoint(0, 30)));
        return true;
    }
    return QWidget::eventFilter(watched, event);
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
    // The user chose a port: whatever was being watched for is no longer wanted.
    m_reconnect.stop();
    ReconnectTimer->stop();
    const Status opened = OpenLink(name);
    if (!opened.ok()) {
        QMessageBox::critical(this, windowTitle(),
                              text("Cannot open " + name + ": " + opened.message()));
    }
}

// Opens the port and shows the link open; Connect and the reconnect watch both come here.
Status TForm1::OpenLink(const std::string& name) {
    const Status opened = m_link.session().connect(name);
    if (!opened.ok()) {
        return opened;
    }
    ReconnectTimer->stop();
    m_reconnect.remember(name);
    if (std::find(m_typedPorts.begin(), m_typedPorts.end(), name) == m_typedPorts.end()) {
        m_typedPorts.push_back(name);
    }
    selectPort(name);
    Button1->setText("Disconnect");
    Button7->setEnabled(true);
    ComboBox1->setEnabled(false);
    return Status::success();
}

void TForm1::Disconnect() {
    m_reconnect.stop();
    ReconnectTimer->stop();
    m_link.session().disconnect();
    ShowLinkClosed();
}

// What the window shows for a closed link, whether the user or a failing port closed it.
void TForm1::ShowLinkClosed() {
    Button1->setText("Connect");
    ComboBox1->setEnabled(true);
    setBoardGroupsVisible(false);
    MagBox->hide();
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
    m_reconnect.lost();
    if (m_reconnect.watching()) {
        ReconnectTimer->start();
    }
}

// Quietly, as no one asked: a device that is back but does not open yet is tried again.
void TForm1::ReconnectTimerTimer() {
    if (!ReconnectBox->isChecked()) {
        return;
    }
    if (const std::optional<std::string> name = m_reconnect.ready()) {
        OpenLink(*name);
    }
}

// The groups that only make sense with an identified board.
void TForm1::setBoardGroupsVisible(bool visible) {
    for (QWidget* widget : {static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(GroupBox4),
                            static_cast<QWidget*>(GroupBox6), static_cast<QWidget*>(Button16),
                            static_cast<QWidget*>(Button18)}) {
        widget->setVisible(visible);
    }
}

void TForm1::Timer1Timer() {
    if (simulatorReceivePort() != 0) {
        fg_status->setText(text(m_simBridge.takeLinkDisplay()));
    }
    const link::LinkReport report = m_link.session().takeReport();
    Label10->setText(text(report.bitrate));
    Label11->setText(text(report.frameRate));
    m_link.session().pollIdentification(m_link.builder(), streamRateCodes());
    ShowArmedState();
}

void TForm1::Timer2Timer() {
    m_horizon.ComposeHorizon(m_horizonFrame);
    update(QRect(kHorizonAt, m_horizonFrame.size()));
    if (m_recorder.tick) {
        m_recorder.tick();
    }
}

void TForm1::ShowArmedState() {
    const bool armed = m_vehicle.armed != 0;
    Label37->setText(armed ? "ARMED" : "DISRM");
    QPalette colours = Label37->palette();
    colours.setColor(QPalette::WindowText, armed ? Qt::red : Qt::black);
    Label37->setPalette(colours);
    ARM1->setEnabled(!armed);
    DISARM1->setEnabled(armed);
    for (QWidget* widget : {static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(GroupBox3),
                            static_cast<QWidget*>(GroupBox5), static_cast<QWidget*>(Button7)}) {
        widget->setEnabled(!armed);
    }
}

// The joystick poll follows the chosen rate; without a choice it keeps its interval.
void TForm1::ComboBox5Change() {
    constexpr int kIntervalsMs[] = {500, 200, 100, 50};
    const int index = ComboBox5->currentIndex();
    if (index >= 0 && index < 4) {
        Timer3->setInterval(kIntervalsMs[index]);
    }
}

link::StreamRateCodes TForm1::streamRateCodes() const {
    return {link::rateCodeForItem(IMUrate->currentIndex()),
            link::rateCodeForItem(RCrate->currentIndex()),
            link::rateCodeForItem(Servorate->currentIndex()),
            link::rateCodeForItem(NAVrate->currentIndex()),
            link::rateCodeForItem(CRDrate->currentIndex()),
            link::rateCodeForItem(VOLTrate->currentIndex())};
}

} // namespace crv::ui
