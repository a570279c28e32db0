#pragma once

#include "config/config_records.h"
#include "config/tracker_echo_guard.h"
#include "link/message_dispatcher.h"

#include <array>
#include <functional>

namespace crv::config {

/// The configuration records that the ground station keeps as byte images for the whole run
/// and sends back whole: the custom airframe, the antenna tracker, the gimbal controls and
/// axes, and the take-off and landing record. All start zeroed.
///
/// While it lives the store is the dispatcher's handler of 27/10, 27/60 and 27/69, of message
/// 28 and of message 43: each copies what arrives into its image byte for byte, reserved bytes
/// included, then calls the refresh of the page that shows it. A frame too short for its
/// layout is dropped and the record stays as it was; bytes past the layout are ignored.
/// The pages edit the images in place and write them with the send functions of
/// config_commands.h. User-interface thread only.
class ConfigRecordStore {
public:
    using Refresh = std::function<void()>;
    static constexpr size_t kGimbalAxes = 3; ///< pan, tilt, roll

    explicit ConfigRecordStore(link::MessageDispatcher& dispatcher);
    ~ConfigRecordStore();
    ConfigRecordStore(const ConfigRecordStore&) = delete;
    ConfigRecordStore& operator=(const ConfigRecordStore&) = delete;

    AirframeRecord& airframe() { return m_airframe; }
    TrackerRecord& tracker() { return m_tracker; }
    GimbalControls& gimbalControls() { return m_gimbalControls; }
    /// axis 0 pan, 1 tilt, 2 roll.
    GimbalAxis& gimbalAxis(size_t axis) { return m_gimbalAxes.at(axis); }
    AtolRecord& atol() { return m_atol; }
    /// Armed by every tracker record received; the main window's 100 ms timer runs it down.
    TrackerEchoGuard& trackerEchoGuard() { return m_trackerEchoGuard; }

    // What the pages do once a received frame changed their records; nothing until set.

    /// After 27/60 and after 27/69: the custom airframe page shows the whole record.
    void setAirframeRefresh(Refresh refresh) { m_airframeRefresh = std::move(refresh); }
    /// After 27/10, with the echo guard already armed.
    void setTrackerRefresh(Refresh refresh) { m_trackerRefresh = std::move(refresh); }
    /// After 28/0 to 28/3: the gimbal page shows all four gimbal records.
    void setGimbalRefresh(Refresh refresh) { m_gimbalRefresh = std::move(refresh); }
    /// After 28/4, with the decoded report; it is not kept.
    void setGimbalStatusShow(std::function<void(const GimbalStatus&)> show) {
        m_gimbalStatusShow = std::move(show);
    }
    /// After type 43.
    void setAtolRefresh(Refresh refresh) { m_atolRefresh = std::move(refresh); }

private:
    void TrackerReceived(const link::LinkFrame& frame);
    void AirframeReceived(const link::LinkFrame& frame);
    void TrimsReceived(const link::LinkFrame& frame);
    void GimbalReceived(const link::LinkFrame& frame);
    void AtolReceived(const link::LinkFrame& frame);

    link::MessageDispatcher& m_dispatcher;
    AirframeRecord m_airframe;
    TrackerRecord m_tracker;
    GimbalControls m_gimbalControls;
    std::array<GimbalAxis, kGimbalAxes> m_gimbalAxes;
    AtolRecord m_atol;
    TrackerEchoGuard m_trackerEchoGuard;
    Refresh m_airframeRefresh;
    Refresh m_trackerRefresh;
    Refresh m_gimbalRefresh;
    std::function<void(const GimbalStatus&)> m_gimbalStatusShow;
    Refresh m_atolRefresh;
};

} // namespace crv::config
