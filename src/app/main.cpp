// The ground station's entry point.

#include "app/quit_signals.h"
#include "io/qt_serial_port.h"
#include "link/board_link.h"
#include "platform/instance_guard.h"
#include "store/local_database.h"
#include "ui/config/tform3.h"
#include "ui/main/tform1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <clocale>
#include <exception>

int main(int argc, char** argv) {
    // One ground station a user at a time: a second one ends at once, silently.
    const crv::platform::InstanceGuard guard("crvgcsexe");
    if (!guard.held()) {
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("crvgcs");
    // Numbers are written and read with "." whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");

    QCommandLineParser options;
    options.setApplicationDescription("Corvane X ground control station");
    options.addHelpOption();
    const QCommandLineOption port("port", "Connect to the board on this device at start.", "PATH");
    options.addOption(port);
    options.process(app);

    try {
        crv::io::QtSerialPort serialPort;
        crv::link::BoardLink link(serialPort);
        crv::store::LocalDatabase database;
        // The windows, in the order they are made; each lives for the whole run.
        crv::ui::TForm1 mainWindow(link, database);
        crv::ui::TForm3 configurationWindow(link, &mainWindow);
        mainWindow.setConfigurationOpener([&] { configurationWindow.OpenConfigurationWindow(); });
        if (options.isSet(port)) {
            mainWindow.setStartupPort(options.value(port).toStdString());
        }
        crv::app::closeOnQuitSignals(&mainWindow);
        mainWindow.show();
        app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "crvgcs", error.what());
    }
    return 0;
}
