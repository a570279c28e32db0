// The board's telemetry streams: each of the six rate-controlled messages at the rate the ground
// station last set, with values of a vehicle circling its home point, or in AUTO flying from
// point to point of the stored mission. While the GPS stream runs, the home position and, in
// AUTO, the point flown to are reported once a second.

#include "emulator/answer_modules.h"

#include "link/message_types.h"
#include "link/payload_reader.h"
#include "link/stream_rates.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

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

struct Position {
    double latitude = kHomeLatDeg;
    double longitude = kHomeLonDeg;
};

int32_t bigEndian32(const uint8_t* bytes) {
    return static_cast<int32_t>(uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 |
                                uint32_t{bytes[2]} << 8 | bytes[3]);
}

double metresPerDegreeEast(double latitude) {
    return kMetresPerDegree * std::cos(latitude * std::numbers::pi / 180);
}

/// Where a stored line sends the vehicle: absolute points and points north and east of home.
std::optional<Position> pointOf(const std::array<uint8_t, 14>& line) {
    const int32_t a = bigEndian32(&line[2]);
    const int32_t b = bigEndian32(&line[6]);
    switch (line[0]) {
    case 0:
    case 7:
        return Position{a * 1e-7, b * 1e-7};
    case 2:
        return Position{kHomeLatDeg + a / kMetresPerDegree,
                        kHomeLonDeg + b / metresPerDegreeEast(kHomeLatDeg)};
    default:
        return std::nullopt;
    }
}

/// AUTO: flies at a steady speed to the point of the current line, then on to the next line
/// with a point, starting over after the end line.
class MissionFlight {
public:
    static constexpr double kSpeedMps = 25;
    static constexpr double kReachedM = 5;

    void fly(BoardState& board, double seconds) {
        for (size_t looked = 0; looked < board.missionLines.size(); ++looked) {
            if (board.missionLines[board.missionLine][0] >= 252) {
                board.missionLine = 0;
            }
            if (const auto point = pointOf(board.missionLines[board.missionLine])) {
                m_target = point;
                moveTowards(*point, kSpeedMps * seconds);
                if (distanceTo(*point) > kReachedM) {
                    return;
                }
            }
            ++board.missionLine;
        }
    }
    const Position& position() const { return m_position; }
    const std::optional<Position>& target() const { return m_target; }
    void setPosition(const Position& position) { m_position = position; }

private:
    double distanceTo(const Position& point) const {
        const double north = (point.latitude - m_position.latitude) * kMetresPerDegree;
        const double east =
            (point.longitude - m_position.longitude) * metresPerDegreeEast(m_position.latitude);
        return std::hypot(north, east);
    }
    void moveTowards(const Position& point, double metres) {
        const double distance = distanceTo(point);
        const double share = distance <= metres ? 1.0 : metres / distance;
        m_position.latitude += (point.latitude - m_position.latitude) * share;
        m_position.longitude += (point.longitude - m_position.longitude) * share;
    }

    Position m_position;
    std::optional<Position> m_target;
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
        BoardState& board = m_board->state();
        if (board.flightMode == kAuto) {
            // At most a second a step, so a stalled emulator does not skip the mission.
            m_flight.fly(board, std::min(1.0, static_cast<double>(nowMs - m_lastTickMs) / 1000));
        } else {
            const Flight circle(static_cast<double>(nowMs) / 1000);
            m_flight.setPosition({circle.latitudeE7() * 1e-7, circle.longitudeE7() * 1e-7});
        }
        m_lastTickMs = nowMs;
        sendPositions(nowMs);
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

    void sendPositions(int64_t nowMs) {
        const bool gpsOn = std::any_of(m_streams.begin(), m_streams.end(), [](const Stream& s) {
            return s.type == msg::kGps && s.periodMs != 0;
        });
        if (!gpsOn || nowMs < m_nextPositionsMs) {
            return;
        }
        m_nextPositionsMs = nowMs + kPositionsPeriodMs;
        sendPosition(kHomePosition, {kHomeLatDeg, kHomeLonDeg});
        if (m_board->state().flightMode == kAuto && m_flight.target()) {
            sendPosition(kTargetPosition, *m_flight.target());
        }
    }

    void sendPosition(uint8_t subtype, const Position& position) {
        auto& out = m_board->builder();
        out.begin();
        out.put8(msg::kConfigBlock);
        out.put8(subtype);
        out.put32(static_cast<uint32_t>(std::lround(position.latitude * 1e7)));
        out.put32(static_cast<uint32_t>(std::lround(position.longitude * 1e7)));
        out.finish();
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
                const auto& driven = m_board->state().servoOutputs;
                out.put16(type == msg::kServoOutputs && driven
                              ? (*driven)[k]
                              : flight.channel(k, type == msg::kRcInputs ? 600 : 900));
            }
            break;
        case msg::kNavigation:
            out.put16(57);
            out.put32(static_cast<uint32_t>(flight.altitudeDeciM()));
            out.put8(18);
            out.put16(60);
            out.put8(m_board->state().flightMode);
            out.put8(m_board->state().missionLine);
            break;
        case msg::kGps:
            out.put8(3);
            out.put8(10);
            out.put8(12);
            out.put32(static_cast<uint32_t>(std::lround(m_flight.position().latitude * 1e7)));
            out.put32(static_cast<uint32_t>(std::lround(m_flight.position().longitude * 1e7)));
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

    static constexpr uint8_t kAuto = 6;
    static constexpr uint8_t kTargetPosition = 50;
    static constexpr uint8_t kHomePosition = 51;
    static constexpr int64_t kPositionsPeriodMs = 1000;

    BoardEmulator* m_board = nullptr;
    std::array<Stream, 6> m_streams{};
    MissionFlight m_flight;
    int64_t m_lastTickMs = 0;
    int64_t m_nextPositionsMs = 0;
};

} // namespace

std::unique_ptr<AnswerModule> makeTelemetryStream() { return std::make_unique<TelemetryStream>(); }

} // namespace crv::emulator
