// The ground station's entry point.

#include "app/ground_station.h"
#include "app/quit_signals.h"
#include "platform/instance_guard.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <clocale>
#include <exception>

int main(int argc, char** argv) {
    // One ground station a user at a time: a second one ends at once, silently.
    const crv::platform::InstanceGuard guard("crvgcsexe");
    if (guard.state() == crv::platform::InstanceGuard::State::HeldByOther) {
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

    if (!guard.held()) {
        QMessageBox::warning(nullptr, "crvgcs",
                             QString::fromStdString("Cannot tell whether another ground station "
                                                    "is running, as its lock cannot be used (" +
                                                    guard.problem() + ")."));
    }

    try {
        crv::app::GroundStation station;
        crv::ui::TForm1& mainWindow = station.mainWindow();
        if (options.isSet(port)) {
            mainWindow.setStartupPort(options.value(port).toStdString());
        }
        crv::app::closeOnQuitSignals(&mainWindow);
        mainWindow.show();
        // A quit signal may have closed it already, during a message box of the first show.
        if (mainWindow.isVisible()) {
            app.exec();
        }
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "crvgcs", error.what());
    }
    return 0;
}
