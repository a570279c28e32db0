#include "app/ground_station.h"

namespace crv::app {

GroundStation::GroundStation() {
    m_mainWindow.setConfigurationOpener(
        [this] { m_configurationWindow.OpenConfigurationWindow(); });
}

} // namespace crv::app
