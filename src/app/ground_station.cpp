#include "app/ground_station.h"

#include <QTimer>

namespace crv::app {

GroundStation::GroundStation() {
    m_mainWindow.setConfigurationOpener(
        [this] { m_configurationWindow.OpenConfigurationWindow(); });
    // The main window's 100 ms timer runs the tracker page's echo guard down.
    QObject::connect(m_mainWindow.Timer2, &QTimer::timeout, &m_mainWindow,
                     [this] { m_configRecords.trackerEchoGuard().tick(); });
    ui::TForm2& missionControl = m_missionControlWindow;
    m_mainWindow.setMissionControlHooks({
        .show =
            [&missionControl] {
                missionControl.show();
                missionControl.raise();
            },
        .shown =
            [&missionControl](float lat, float lon) {
                missionControl.MainWindowShown({lat, lon});
            },
        .gpsReceived = [&missionControl] { missionControl.VehicleMoved(); },
        .finish = [&missionControl] { missionControl.FinishForShutdown(); },
    });
    // The same tick paces the console's sends and watches the package transfers.
    QObject::connect(m_mainWindow.Timer2, &QTimer::timeout, &m_mainWindow, [this] {
        m_terminalWindow.ChunkTick();
        m_configurationWindow.PackagesTick();
    });
    m_mainWindow.setConsoleHooks({
        .showTerminal =
            [this] {
                m_codepadWindow.ShowCodepad();
                m_terminalWindow.ShowTerminal();
            },
        .showOsd = [this] { m_osdCaptureWindow.ShowCapture(); },
    });
    m_mainWindow.setRecorderHooks({
        .show = [this] { m_recorderWindow.ShowRecorder(); },
        .tick = [this] { m_recorderWindow.RecorderTick(); },
    });
}

} // namespace crv::app
