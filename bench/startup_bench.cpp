// Start-up time: from starting a process to the main window shown with its settings restored,
// offscreen, as the median of several runs. Each run is a fresh process (this program, run
// again with --child), so loading Qt and opening the settings file count.

#include "app/ground_station.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 9;

int child(int argc, char** argv) {
    QApplication app(argc, argv);
    crv::app::GroundStation station;
    station.mainWindow().show(); // the first show opens the settings file, restores the settings
    std::printf("shown\n");
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QString(argv[1]) == "--child") {
        return child(argc, argv);
    }
    const QString self = QFileInfo(argv[0]).absoluteFilePath();
    QTemporaryDir folder; // a settings file of its own, and the pictures beside it
    QFile::link(QString(CRV_BUILD_DIR) + "/img", folder.filePath("img"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");

    std::vector<double> timesMs;
    for (int run = 0; run <= kRuns; ++run) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
        QElapsedTimer clock;
        clock.start();
        process.start(self, {"--child"});
        if (!process.waitForReadyRead(10000) || !process.readAll().startsWith("shown")) {
            std::fprintf(stderr, "the ground station did not start: %s\n",
                         qPrintable(process.errorString()));
            return 1;
        }
        const double elapsedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        process.waitForFinished(10000);
        if (run > 0) { // the first run fills the caches and creates the settings file
            timesMs.push_back(elapsedMs);
        }
    }
    std::sort(timesMs.begin(), timesMs.end());
    std::printf("start-up to main window shown with settings restored: median %.1f ms "
                "(min %.1f, max %.1f, %d runs; target under 300 ms)\n",
                timesMs[timesMs.size() / 2], timesMs.front(), timesMs.back(), kRuns);
    return 0;
}
