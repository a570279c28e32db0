// The ground station's entry point.

#include "io/qt_serial_port.h"
#include "link/board_link.h"
#include "ui/main/tform1.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("crvgcs");

    QCommandLineParser options;
    options.setApplicationDescription("Corvane X ground control station");
    options.addHelpOption();
    const QCommandLineOption port("port", "Connect to the board on this device at start.", "PATH");
    options.addOption(port);
    options.process(app);

    crv::io::QtSerialPort serialPort;
    crv::link::BoardLink link(serialPort);
    crv::ui::TForm1 mainWindow(link);
    if (options.isSet(port)) {
        mainWindow.setStartupPort(options.value(port).toStdString());
    }
    mainWindow.show();
    app.exec();
    return 0;
}
