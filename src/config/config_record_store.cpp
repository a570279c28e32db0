#include "config/config_record_store.h"

#include "config/config_blocks.h"
#include "config/config_commands.h"
#include "link/message_types.h"
#include "link/payload_reader.h"

namespace crv::config {

namespace {

namespace msg = link::msg;

void call(const std::function<void()>& refresh) {
    if (refresh) {
        refresh();
    }
}

} // namespace

ConfigRecordStore::ConfigRecordStore(link::MessageDispatcher& dispatcher)
    : m_dispatcher(dispatcher) {
    using link::LinkFrame;
    dispatcher.setSubtypeHandler(msg::kConfigBlock, block::kTracker,
                                 [this](const LinkFrame& frame) { TrackerReceived(frame); });
    dispatcher.setSubtypeHandler(msg::kConfigBlock, block::kAirframe,
                                 [this](const LinkFrame& frame) { AirframeReceived(frame); });
    dispatcher.setSubtypeHandler(msg::kConfigBlock, block::kTrims,
                                 [this](const LinkFrame& frame) { TrimsReceived(frame); });
    dispatcher.setHandler(msg::kGimbal, [this](const LinkFrame& frame) { GimbalReceived(frame); });
    dispatcher.setHandler(msg::kAtol, [this](const LinkFrame& frame) { AtolReceived(frame); });
}

// The dispatcher may outlive the store; it must not call into a store that is gone.
ConfigRecordStore::~ConfigRecordStore() {
    for (uint8_t subtype : {block::kTracker, block::kAirframe, block::kTrims}) {
        m_dispatcher.setSubtypeHandler(msg::kConfigBlock, subtype, nullptr);
    }
    m_dispatcher.setHandler(msg::kGimbal, nullptr);
    m_dispatcher.setHandler(msg::kAtol, nullptr);
}

void ConfigRecordStore::TrackerReceived(const link::LinkFrame& frame) {
    if (m_tracker.assign(link::PayloadReader(frame), 1)) {
        // Armed before the refresh: it sets the page's controls, whose change handlers would
        // otherwise send the record straight back.
        m_trackerEchoGuard.arm();
        call(m_trackerRefresh);
    }
}

void ConfigRecordStore::AirframeReceived(const link::LinkFrame& frame) {
    if (m_airframe.assign(link::PayloadReader(frame), 1)) {
        call(m_airframeRefresh);
    }
}

void ConfigRecordStore::TrimsReceived(const link::LinkFrame& frame) {
    if (m_airframe.assignTrims(link::PayloadReader(frame))) {
        call(m_airframeRefresh);
    }
}

void ConfigRecordStore::GimbalReceived(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    const uint8_t subtype = payload.u8(0);
    if (subtype == gimbal::kControls) {
        if (m_gimbalControls.assign(payload, 1)) {
            call(m_gimbalRefresh);
        }
    } else if (subtype >= gimbal::kPanAxis && subtype < gimbal::kPanAxis + kGimbalAxes) {
        if (m_gimbalAxes[subtype - gimbal::kPanAxis].assign(payload, 1)) {
            call(m_gimbalRefresh);
        }
    } else if (subtype == gimbal::kStatus) {
        const std::optional<GimbalStatus> status = decodeGimbalStatus(payload);
        if (status && m_gimbalStatusShow) {
            m_gimbalStatusShow(*status);
        }
    }
}

void ConfigRecordStore::AtolReceived(const link::LinkFrame& frame) {
    if (m_atol.assign(link::PayloadReader(frame), 0)) {
        call(m_atolRefresh);
    }
}

} // namespace crv::config
