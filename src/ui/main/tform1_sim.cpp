// The main window's simulator bridge: the datagrams from FlightGear, the folder of its data,
// the plug-in and the launch.

#include "io/qt_datagram_port.h"
#include "sim/simulator_folder.h"
#include "ui/main/tform1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace crv::ui {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

std::string redistFolder(const std::string& chosen) {
    return chosen.empty() ? (QCoreApplication::applicationDirPath() + "/redist").toStdString()
                          : chosen;
}

} // namespace

uint16_t TForm1::simulatorReceivePort() const { return m_simPort->boundPort(); }

// Listens from the first show to shutdown; a port held by another program leaves the bridge
// deaf and says so in its status line.
void TForm1::StartSimulatorBridge() {
    m_simPort->setHandler(
        [this](const uint8_t* data, size_t size) { SimDatagramReceived(data, size); });
    const Status bound = m_simPort->bind(m_simSetup.receivePort);
    if (!bound.ok()) {
        fg_status->setText("Port busy");
        fg_status->setToolTip(text("UDP port " + std::to_string(m_simSetup.receivePort) +
                                   " cannot be used: " + bound.message()));
    }
}

void TForm1::SimDatagramReceived(const uint8_t* data, size_t size) {
    const sim::BridgeInputs inputs{fg_enabled->isChecked(),
                                   m_link.session().linkOpen(),
                                   {rco[0]->value(), rco[1]->value(), rco[2]->value(),
                                    rco[3]->value()}};
    const sim::DatagramResult result = m_simBridge.handleDatagram(data, size, inputs, m_vehicle);
    if (result.attitude) {
        ShowAttitude(*result.attitude);
    }
    if (result.controlLine) {
        m_simPort->sendTo(m_simSetup.sendPort, *result.controlLine);
    }
    if (result.auxLine) {
        Label18->setText(text(*result.auxLine));
    }
}

void TForm1::connectSimulatorAndJoystick() {
    m_simPort = new io::QtDatagramPort(this);
    connect(Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
    connect(Button12, &QPushButton::clicked, this, &TForm1::Button12Click);
    connect(Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
    connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
}

// "Set path...": a folder of FlightGear's data is kept; any other is shown but not kept.
void TForm1::Button11Click() {
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) {
        return;
    }
    QString folder = QDir::cleanPath(SaveDialog1->selectedFiles().first());
    if (!folder.endsWith('/')) {
        folder += '/';
    }
    fg_path->setText(folder);
    const bool found = sim::isSimulatorFolder(folder.toStdString());
    Button12->setEnabled(found);
    Button13->setEnabled(found);
    if (found) {
        m_settings.SetTextParam("FG_PATH", folder.toStdString());
    } else {
        QMessageBox::warning(this, windowTitle(), "Wrong PATH!");
    }
}

// "install CRV": the protocol definition into the simulator's protocol folder.
void TForm1::Button12Click() {
    const std::string folder = fg_path->text().toStdString();
    if (folder.size() < 4) {
        QMessageBox::warning(this, windowTitle(), "Wrong PATH!");
        return;
    }
    const Status installed = sim::installPlugin(redistFolder(m_simSetup.redistFolder), folder);
    if (installed.ok()) {
        QMessageBox::information(this, windowTitle(), "CRV Plugin installed!");
    } else {
        QMessageBox::critical(this, windowTitle(),
                              text("CRV installation error!\n" + installed.message()));
    }
}

// "Launch FlightGear": the simulator with the launch file's options, in its data folder.
void TForm1::Button13Click() {
    const std::string folder = fg_path->text().toStdString();
    QStringList arguments;
    for (const std::string& argument :
         sim::launchArguments(redistFolder(m_simSetup.redistFolder), folder)) {
        arguments << text(argument);
    }
    // Debian puts games in /usr/games, which not every user's search path has.
    QString program = QStandardPaths::findExecutable(sim::kSimulatorProgram);
    if (program.isEmpty()) {
        program = QStandardPaths::findExecutable(sim::kSimulatorProgram, {"/usr/games"});
    }
    if (program.isEmpty() || !QProcess::startDetached(program, arguments, text(folder))) {
        QMessageBox::warning(this, windowTitle(),
                             QString("FlightGear (%1) could not be started. Is it installed? "
                                     "On Debian: sudo apt-get install flightgear")
                                 .arg(sim::kSimulatorProgram));
    }
}

} // namespace crv::ui
