// The ground station as a program: one instance at a time, a clean close on SIGTERM and a
// settings file that survives being killed.

#include "support/sqlite_query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <vector>

namespace crv {
namespace {

class AppProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::link(QString(CRV_BUILD_DIR) + "/img", folder.filePath("img")));
        QDir().mkpath(folder.filePath("runtime"));
    }

    QProcess* start() {
        auto* process = m_processes.emplace_back(std::make_unique<QProcess>()).get();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", folder.filePath("runtime")); // the lock lives here
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(folder.path());
        process->start(CRVGCS_PATH, {});
        process->waitForStarted(5000);
        return process;
    }
    bool settingsFileAppears() {
        return QTest::qWaitFor([this] { return QFileInfo::exists(databasePath()); }, 10000);
    }
    QString databasePath() const { return folder.filePath("crv_data"); }
    std::string query(const char* sql) {
        return testing::queryFirstCell(databasePath().toStdString(), sql);
    }

    QTemporaryDir folder;
    std::vector<std::unique_ptr<QProcess>> m_processes; ///< killed, if still running, at the end
};

TEST_F(AppProcess, ASecondInstanceEndsAtOnceAndSigtermClosesCleanly) {
    QProcess* first = start();
    ASSERT_TRUE(settingsFileAppears());

    QProcess* second = start();
    ASSERT_TRUE(second->waitForFinished(5000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_EQ(query("SELECT count(*) FROM int_parms"), "20") << "the settings were saved";
}

TEST_F(AppProcess, KillingItLeavesTheSettingsFileIntact) {
    QProcess* first = start();
    ASSERT_TRUE(settingsFileAppears());
    QTest::qWait(500);
    first->kill();
    first->waitForFinished(5000);
    EXPECT_EQ(query("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(query("SELECT val FROM int_parms WHERE vname='IMUrate'"), "3")
        << "defaults read at start are already stored";

    QProcess* again = start(); // the lock died with the process
    ASSERT_TRUE(QTest::qWaitFor([&] { return again->state() == QProcess::Running; }, 5000));
    QTest::qWait(500);
    EXPECT_EQ(again->state(), QProcess::Running);
    again->terminate();
    EXPECT_TRUE(again->waitForFinished(10000));
}

} // namespace
} // namespace crv
