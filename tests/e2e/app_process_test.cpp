// The ground station as a program: one instance at a time, a clean close on SIGTERM and
// SIGINT (also while a message box is open) and a settings file that survives being killed.

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
        QDir().mkpath(folder.filePath("home"));
        QDir().mkpath(folder.filePath("runtime"));
    }

    /// The program in the test's folder, with a home folder of the test's own (where the lock
    /// lives) and without the variables named.
    QProcess* start(const QStringList& unset = {}) {
        auto* process = m_processes.emplace_back(std::make_unique<QProcess>()).get();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOME", folder.filePath("home"));
        environment.insert("XDG_RUNTIME_DIR", folder.filePath("runtime"));
        for (const QString& name : unset) {
            environment.remove(name);
        }
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
    /// Whether the process has the settings file open: it opens it right before it shows
    /// what it found there.
    bool opensTheSettingsFile(QProcess* process) {
        const QString fds = QString("/proc/%1/fd").arg(process->processId());
        const QString target = QFileInfo(databasePath()).canonicalFilePath();
        return QTest::qWaitFor(
            [&] {
                for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System)) {
                    if (QFile::symLinkTarget(fds + "/" + fd) == target) {
                        return true;
                    }
                }
                return false;
            },
            10000);
    }
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

TEST_F(AppProcess, AnInstanceWithoutTheRuntimeFolderVariableDoesNotRunBesideOne) {
    QProcess* first = start();
    ASSERT_TRUE(settingsFileAppears());
    QProcess* second = start({"XDG_RUNTIME_DIR"});
    ASSERT_TRUE(second->waitForFinished(5000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    first->terminate();
    EXPECT_TRUE(first->waitForFinished(10000));
}

TEST_F(AppProcess, QuitSignalsCloseItWhileAMessageBoxIsOpen) {
    // A file that is no database: the window says at start that settings will not be kept.
    const QByteArray broken(4096, 'x');
    QFile file(databasePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(broken);
    file.close();
    for (const int signal : {SIGTERM, SIGINT}) {
        QProcess* process = start();
        ASSERT_TRUE(opensTheSettingsFile(process));
        QTest::qWait(1000); // the box is up by now
        ASSERT_EQ(process->state(), QProcess::Running);
        ::kill(static_cast<pid_t>(process->processId()), signal);
        ASSERT_TRUE(process->waitForFinished(10000)) << "signal " << signal;
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), broken);
}

} // namespace
} // namespace crv
