// The board's telemetry streams: each of the six rate-controlled messages at the rate the ground
// station last set, with values of a vehicle circling its home point.

#include "emulator/answer_modules.h"

#include "link/message_types.h"
#include "link/payload_reader.h"
#include "link/stream_rates.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace crv::emulator {

namespace {

using link::LinkFrame;
namespace msg = link::msg;

constexpr double kHomeLatDeg = 55.022861;
constexpr double kHomeLonDeg = 73.427856;
constexpr double kCircleRadiusM = 150.0;
constexpr double kCirclePeriodS = 60.0;
constexpr double kMetresPerDegree = 111320.0;

/// The emulated flight at time t seconds: a steady right-hand circle around home.
struct Flight {
    explicit Flight(double t) : t(t), angle(2 * std::numbers::pi * t / kCirclePeriodS) {}

    int16_t rollDeciDeg() const { return static_cast<int16_t>(250 + 30 * std::sin(t)); }
    int16_t pitchDeciDeg() const { return static_cast<int16_t>(50 * std::sin(t / 2)); }
    int16_t headingDeciDeg() const {
        const double degrees = std::fmod(angle * 180 / std::numbers::pi + 90, 360);
        return static_cast<int16_t>(degrees * 10);
    }
    int32_t latitudeE7() const {
        const double north = kCircleRadiusM * std::cos(angle);
        return static_cast<int32_t>(std::lround((kHomeLatDeg + north / kMetresPerDegree) * 1e7));
    }
    int32_t longitudeE7() const {
        const double east = kCircleRadiusM * std::sin(angle);
        const double metresPerDegree =
            kMetresPerDegree * std::cos(kHomeLatDeg * std::numbers::pi / 180);
        return static_cast<int32_t>(std::lround((kHomeLonDeg + east / metresPerDegree) * 1e7));
    }
    int32_t altitudeDeciM() const { return static_cast<int32_t>(1200 + 50 * std::sin(t / 20)); }
    uint16_t channel(int k, double swing) const {
        return static_cast<uint16_t>(3000 + swing * std::sin(t / 3 + k));
    }

    double t;
    double angle;
};

struct Stream {
    uint8_t type;
    int64_t periodMs = 0; ///< 0 while stopped
    int64_t nextMs = 0;
};

class TelemetryStream : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        for (size_t i = 0; i < m_streams.size(); ++i) {
            m_streams[i].type = link::kStreamRateTypes[i];
            board.dispatcher().setHandler(m_streams[i].type, [this, i](const LinkFrame& frame) {
                setRate(m_streams[i], link::PayloadReader(frame).u8(0));
            });
        }
    }

    void tick(int64_t nowMs) override {
        for (Stream& stream : m_streams) {
            if (stream.periodMs == 0 || nowMs < stream.nextMs) {
                continue;
            }
            send(stream.type, Flight(static_cast<double>(nowMs) / 1000));
            // After a stall, resume the rhythm instead of sending a burst.
            stream.nextMs = std::max(stream.nextMs + stream.periodMs, nowMs);
        }
    }

private:
    void setRate(Stream& stream, uint8_t code) {
        stream.periodMs = code < link::kStreamOff ? (code + 1) * 100 : 0;
        stream.nextMs = m_board->nowMs();
    }

    void send(uint8_t type, const Flight& flight) {
        auto& out = m_board->builder();
        out.begin();
        out.put8(type);
        switch (type) {
        case msg::kAttitude:
            out.put16(static_cast<uint16_t>(flight.rollDeciDeg()));
            out.put16(static_cast<uint16_t>(flight.pitchDeciDeg()));
            out.put16(static_cast<uint16_t>(flight.headingDeciDeg()));
            out.put16(0);
            break;
        case msg::kRcInputs:
        case msg::kServoOutputs:
            for (int k = 0; k < 8; ++k) {
                out.put16(flight.channel(k, type == msg::kRcInputs ? 600 : 900));
            }
            break;
        case msg::kNavigation:
            out.put16(57);
            out.put32(static_cast<uint32_t>(flight.altitudeDeciM()));
            out.put8(18);
            out.put16(60);
            out.put8(m_board->state().flightMode);
            out.put8(1);
            break;
        case msg::kGps:
            out.put8(3);
            out.put8(10);
            out.put8(12);
            out.put32(static_cast<uint32_t>(flight.latitudeE7()));
            out.put32(static_cast<uint32_t>(flight.longitudeE7()));
            out.put16(static_cast<uint16_t>(flight.altitudeDeciM() / 10));
            break;
        case msg::kPower:
            out.put16(static_cast<uint16_t>(126 - static_cast<int>(flight.t / 60) % 20));
            out.put16(static_cast<uint16_t>(150 + 20 * std::sin(flight.t)));
            out.put16(static_cast<uint16_t>(flight.t * 4));
            out.put16(50);
            out.put16(85);
            break;
        }
        out.finish();
    }

    BoardEmulator* m_board = nullptr;
    std::array<Stream, 6> m_streams{};
};

} // namespace

std::unique_ptr<AnswerModule> makeTelemetryStream() { return std::make_unique<TelemetryStream>(); }

} // namespace crv::emulator
