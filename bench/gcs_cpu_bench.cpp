// CPU use of the ground station while the board emulator streams every telemetry message at
// 10 a second. Prints the share of one core over the measured time (default 30 s; the first
// argument changes it). Target: under 3 %.

#include "store/local_database.h"
#include "store/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

/// User plus system CPU seconds of a process so far.
double cpuSeconds(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name, which is in parentheses and may hold blanks.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field && index <= 15; ++index) {
        if (index == 14 || index == 15) { // utime, stime
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void seedTenPerSecond(const QString& path) {
    crv::store::LocalDatabase database;
    database.OpenLocalDatabase(path.toStdString());
    crv::store::SettingsStore settings(database);
    for (const char* list : {"RCrate", "Servorate", "IMUrate", "NAVrate", "CRDrate", "VOLTrate"}) {
        settings.SetIntParam(list, 4); // "10"
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    QTemporaryDir folder;
    QFile::link(QString(CRV_BUILD_DIR) + "/img", folder.filePath("img"));
    QDir().mkpath(folder.filePath("home"));
    seedTenPerSecond(folder.filePath("crv_data"));

    QProcess emulator;
    emulator.start(CRV_EMULATOR_PATH, {"--link", folder.filePath("board")});
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(folder.filePath("board")); }, 5000)) {
        std::fprintf(stderr, "the emulator did not start\n");
        return 1;
    }
    QProcess station;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("HOME", folder.filePath("home")); // the lock lives there
    station.setProcessEnvironment(environment);
    station.setWorkingDirectory(folder.path());
    station.start(CRVGCS_PATH, {"--port", "./board"});
    if (!station.waitForStarted(5000)) {
        std::fprintf(stderr, "the ground station did not start\n");
        return 1;
    }
    QTest::qWait(3000); // connected, identified, streams set
    const double before = cpuSeconds(station.processId());
    QTest::qWait(seconds * 1000);
    const double used = cpuSeconds(station.processId()) - before;
    std::printf("ground station CPU with every stream at 10/s: %.2f %% of one core over %d s "
                "(target under 3 %%)\n",
                100.0 * used / seconds, seconds);
    station.terminate();
    station.waitForFinished(10000);
    emulator.terminate();
    emulator.waitForFinished(5000);
    return 0;
}
