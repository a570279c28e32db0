// Pictures of the windows as a user sees them, connected to a board: the main window and every
// page of the configuration window, saved as PNG files. Run it under a display (Xvfb will do).
//
// usage: window_shots DEVICE FOLDER [SECONDS]

#include "app/ground_station.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_shots DEVICE FOLDER [SECONDS]\n");
        return 2;
    }
    const QDir folder(argv[2]);
    folder.mkpath(".");
    const int settleMs = (argc > 3 ? std::atoi(argv[3]) : 4) * 1000;

    crv::app::GroundStation station;
    crv::ui::TForm1& main = station.mainWindow();
    main.setStartupPort(argv[1]);
    main.show();
    QTest::qWait(settleMs); // connected, identified, telemetry flowing
    main.grab().save(folder.filePath("main_window.png"));

    crv::ui::TForm3& configuration = station.configurationWindow();
    configuration.OpenConfigurationWindow();
    QTest::qWait(1000); // the blocks arrive
    for (int page = 0; page < configuration.PageControl1->count(); ++page) {
        configuration.PageControl1->setCurrentIndex(page);
        QTest::qWait(100);
        const QString name = configuration.PageControl1->widget(page)->objectName();
        configuration.grab().save(folder.filePath("config_" + name + ".png"));
    }
    std::printf("Saved the pictures in %s\n", argv[2]);
    return 0;
}
