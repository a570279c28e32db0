#include "app/ground_station.h"

namespace crv::app {

GroundStation::GroundStation() {
    m_mainWindow.setConfigurationOpener(
        [this] { m_configurationWindow.OpenConfigurationWindow(); });
    ui::TForm2& missionControl = m_missionControlWindow;
    m_mainWindow.setMissionControlHooks({
        .show = [&missionControl] {
            missionControl.show();
            missionControl.raise();
        },
        .shown = [&missionControl](float lat, float lon) {
            missionControl.MainWindowShown({lat, lon});
        },
        .gpsReceived = [&missionControl] { missionControl.VehicleMoved(); },
        .finish = [&missionControl] { missionControl.FinishForShutdown(); },
    });
    m_mainWindow.setRecorderHooks({
        .show = [this] { m_recorderWindow.ShowRecorder(); },
        .tick = [this] { m_recorderWindow.RecorderTick(); },
    });
}

} // namespace crv::app
