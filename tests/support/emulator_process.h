#pragma once

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTest>

#include <csignal>

namespace crv::testing {

/// Runs the emulator on a new pseudo-terminal linked into a temporary folder.
class EmulatorProcess {
public:
    explicit EmulatorProcess(const QString& linkPath) : m_linkPath(linkPath) {}
    ~EmulatorProcess() { stop(); }

    bool start() {
        m_process.start(CRV_EMULATOR_PATH, {"--link", m_linkPath});
        return m_process.waitForStarted(5000) &&
               QTest::qWaitFor([this] { return QFileInfo::exists(m_linkPath); }, 5000);
    }
    /// As if the board's adapter were pulled out and plugged in again: a new pseudo-terminal
    /// under the same link path.
    void replug() { ::kill(static_cast<pid_t>(m_process.processId()), SIGUSR1); }
    void kill() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    void stop() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(5000);
        }
    }

private:
    QString m_linkPath;
    QProcess m_process;
};

} // namespace crv::testing
