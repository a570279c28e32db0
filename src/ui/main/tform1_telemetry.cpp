// What the main window does with the board's messages.

#include "link/message_types.h"
#include "telemetry/firmware_version.h"
#include "telemetry/telemetry_decoders.h"
#include "ui/main/pie_gauge.h"
#include "ui/main/tform1.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace crv::ui {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }

} // namespace

// The link may outlive the window; it must not call into a window that is gone.
TForm1::~TForm1() {
    for (uint8_t type : m_handledTypes) {
        m_link.dispatcher().setHandler(type, nullptr);
    }
    m_link.session().setLinkLostHandler(nullptr);
}

void TForm1::handle(uint8_t type, link::MessageDispatcher::Handler handler) {
    m_link.dispatcher().setHandler(type, std::move(handler));
    m_handledTypes.push_back(type);
}

void TForm1::registerHandlers() {
    using link::LinkFrame;
    namespace msg = link::msg;
    handle(msg::kFirmwareVersion, [this](const LinkFrame& f) { VersionReceived(f); });
    handle(msg::kArmed, [this](const LinkFrame& f) { telemetry::applyArmed(m_vehicle, f); });
    handle(msg::kRcInputs, [this](const LinkFrame& f) { ChannelsReceived(rci, f); });
    handle(msg::kServoOutputs, [this](const LinkFrame& f) { ChannelsReceived(rco, f); });
    handle(msg::kAttitude, [this](const LinkFrame& f) { AttitudeReceived(f); });
    handle(msg::kNavigation, [this](const LinkFrame& f) { NavigationReceived(f); });
    handle(msg::kGps, [this](const LinkFrame& f) { GpsReceived(f); });
    handle(msg::kMagnetometer, [this](const LinkFrame& f) { MagnetometerReceived(f); });
    handle(msg::kPower, [this](const LinkFrame& f) { PowerReceived(f); });
    handle(msg::kBoardConfig, [this](const LinkFrame& f) { BoardConfigReceived(f); });
    handle(msg::kModel, [this](const LinkFrame& f) { CurrentModelReceived(f); });
    handle(msg::kModelList, [this](const LinkFrame& f) { ModelListReceived(f); });
    handle(msg::kSimulatorAux, [this](const LinkFrame& f) { m_simBridge.auxReceived(f); });
}

void TForm1::VersionReceived(const link::LinkFrame& frame) {
    const telemetry::FirmwareVersion version = telemetry::decodeFirmwareVersion(frame);
    Label9->setText(text(telemetry::versionLine(version)));
    setBoardGroupsVisible(true);
    Button7->setEnabled(true);
    const telemetry::Identification result =
        telemetry::identify(m_link.session().boardIdentified(), version);
    // Set before the box opens: versions arriving meanwhile open no second box.
    m_link.session().setBoardIdentified(result.identified);
    if (result.warning) {
        QMessageBox::warning(this, windowTitle(), text(*result.warning));
    }
}

void TForm1::ChannelsReceived(const std::array<QProgressBar*, 8>& gauges,
                              const link::LinkFrame& frame) {
    const std::array<int, 8> bars = telemetry::decodeChannels(frame);
    for (size_t k = 0; k < gauges.size(); ++k) {
        // A gauge clips at its ends; Qt would ignore a value outside the range instead.
        gauges[k]->setValue(std::clamp(bars[k], gauges[k]->minimum(), gauges[k]->maximum()));
    }
}

void TForm1::AttitudeReceived(const link::LinkFrame& frame) {
    ShowAttitude(telemetry::applyAttitude(m_vehicle, frame));
}

// From the board's attitude message or, while simulating, from the simulator's state line.
void TForm1::ShowAttitude(const telemetry::AttitudeView& view) {
    Label1->setText(text(view.roll));
    Label2->setText(text(view.pitch));
    Label3->setText(text(view.heading));
    Label4->setText(text(view.aux));
    hdg_pie->setValue(view.headingPie);
    m_horizon.RedrawHorizon(m_vehicle.rollDeciDeg, m_vehicle.pitchDeciDeg);
}

void TForm1::NavigationReceived(const link::LinkFrame& frame) {
    const telemetry::NavigationView view = telemetry::applyNavigation(m_vehicle, frame);
    gps_spd->setText(text(view.groundSpeed));
    alt_asl->setText(text(view.altitude));
    temp_c->setText(text(view.temperature));
    air_spd->setText(text(view.airSpeed));
    if (view.mode) {
        flightmode_t->setText(text(*view.mode));
    }
}

void TForm1::GpsReceived(const link::LinkFrame& frame) {
    const telemetry::GpsView view = telemetry::applyGps(m_vehicle, frame);
    gpsfix->setText(text(view.fix));
    numsats->setText(text(view.satellites));
    hdop->setText(text(view.hdop));
    lat_l->setText(text(view.latitude));
    lon_l->setText(text(view.longitude));
    alt_g->setText(text(view.altitude));
    if (m_missionControl.gpsReceived) {
        m_missionControl.gpsReceived();
    }
}

void TForm1::MagnetometerReceived(const link::LinkFrame& frame) {
    const telemetry::MagnetometerView view = telemetry::applyMagnetometer(m_vehicle, frame);
    QLineEdit* readings[] = {magx, magy, magz};
    QLineEdit* centres[] = {magxc, magyc, magzc};
    for (size_t axis = 0; axis < 3; ++axis) {
        readings[axis]->setText(text(view.reading[axis]));
        centres[axis]->setText(text(view.offset[axis]));
    }
}

void TForm1::PowerReceived(const link::LinkFrame& frame) {
    const telemetry::PowerView view = telemetry::decodePower(frame);
    Label42->setText(text(view.battery1));
    Label43->setText(text(view.current));
    Label48->setText(text(view.chargeUsed));
    Label49->setText(text(view.battery2));
    Label50->setText(text(view.rssi));
}

} // namespace crv::ui
