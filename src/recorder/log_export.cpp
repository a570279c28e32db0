#include "recorder/log_export.h"

#include "link/link_frame_parser.h"
#include "link/message_types.h"
#include "recorder/log_player.h"
#include "telemetry/telemetry_decoders.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace crv::recorder {

namespace {

using link::LinkFrame;
namespace msg = link::msg;

// The CSV columns; each message fills its own and leaves the others empty.
enum Column : size_t {
    kArmed,
    kRoll,
    kPitch,
    kHeading,
    kAttitudeAux,
    kGroundSpeed,
    kAltitude,
    kTemperature,
    kAirSpeed,
    kFlightMode,
    kGpsFix,
    kSatellites,
    kHdop,
    kLatitude,
    kLongitude,
    kGpsAltitude,
    kMagX,
    kMagY,
    kMagZ,
    kVbat1,
    kCurrent,
    kChargeUsed,
    kVbat2,
    kRssi,
    kRc1,
    kServo1 = kRc1 + 8,
    kColumnCount = kServo1 + 8,
};

const char* const kColumnNames[] = {
    "armed",        "roll_deg",     "pitch_deg",  "heading_deg",
    "attitude_aux", "ground_speed", "altitude_m", "temperature_c",
    "air_speed",    "flight_mode",  "gps_fix",    "satellites",
    "hdop",         "latitude",     "longitude",  "gps_altitude_m",
    "mag_x",        "mag_y",        "mag_z",      "vbat1_v",
    "current_a",    "charge_mah",   "vbat2_v",    "rssi",
    "rc1",          "rc2",          "rc3",        "rc4",
    "rc5",          "rc6",          "rc7",        "rc8",
    "servo1",       "servo2",       "servo3",     "servo4",
    "servo5",       "servo6",       "servo7",     "servo8",
};
static_assert(std::size(kColumnNames) == kColumnCount);

using Row = std::array<std::string, kColumnCount>;

std::string utcTime(int64_t unixMs) {
    const std::time_t seconds = static_cast<std::time_t>(unixMs / 1000);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(unixMs % 1000));
    return text;
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

/// Decodes the frames of one log and writes what they carry.
class LogDecoder {
public:
    LogDecoder(int64_t startUnixMs, std::ostream& gpx, std::ostream& csv)
        : m_startUnixMs(startUnixMs), m_gpx(gpx), m_csv(csv), m_parser(m_counters, m_dispatcher) {
        registerHandlers();
    }

    void feed(int32_t record, const uint8_t* data, size_t size) {
        m_record = record;
        m_parser.feed(data, size);
    }
    ExportCounts counts() const { return m_counts; }

private:
    void handle(uint8_t type, const char* name, std::function<void(const LinkFrame&, Row&)> fill) {
        m_dispatcher.setHandler(type, [this, name, fill](const LinkFrame& frame) {
            Row row;
            fill(frame, row);
            writeRow(name, row);
        });
    }

    void registerHandlers() {
        using namespace telemetry;
        handle(msg::kArmed, "armed", [this](const LinkFrame& f, Row& row) {
            applyArmed(m_state, f);
            row[kArmed] = std::to_string(m_state.armed);
        });
        handle(msg::kRcInputs, "rc_inputs",
               [](const LinkFrame& f, Row& row) { channels(decodeChannels(f), row, kRc1); });
        handle(msg::kServoOutputs, "servo_outputs",
               [](const LinkFrame& f, Row& row) { channels(decodeChannels(f), row, kServo1); });
        handle(msg::kAttitude, "attitude", [this](const LinkFrame& f, Row& row) {
            const AttitudeView view = applyAttitude(m_state, f);
            row[kRoll] = view.roll;
            row[kPitch] = view.pitch;
            row[kHeading] = view.heading;
            row[kAttitudeAux] = view.aux;
        });
        handle(msg::kNavigation, "navigation", [this](const LinkFrame& f, Row& row) {
            const NavigationView view = applyNavigation(m_state, f);
            row[kGroundSpeed] = view.groundSpeed;
            row[kAltitude] = view.altitude;
            row[kTemperature] = view.temperature;
            row[kAirSpeed] = view.airSpeed;
            row[kFlightMode] = view.mode.value_or(std::to_string(m_state.flightMode));
        });
        handle(msg::kGps, "gps", [this](const LinkFrame& f, Row& row) {
            const GpsView view = applyGps(m_state, f);
            row[kGpsFix] = view.fix;
            row[kSatellites] = view.satellites;
            row[kHdop] = view.hdop;
            row[kLatitude] = view.latitude;
            row[kLongitude] = view.longitude;
            row[kGpsAltitude] = view.altitude;
            if (m_state.gpsFixValid) {
                trackPoint(view.altitude);
            }
        });
        handle(msg::kMagnetometer, "magnetometer", [this](const LinkFrame& f, Row& row) {
            const MagnetometerView view = applyMagnetometer(m_state, f);
            row[kMagX] = view.reading[0];
            row[kMagY] = view.reading[1];
            row[kMagZ] = view.reading[2];
        });
        handle(msg::kPower, "power", [](const LinkFrame& f, Row& row) {
            const PowerView view = decodePower(f);
            row[kVbat1] = view.battery1;
            row[kCurrent] = view.current;
            row[kChargeUsed] = view.chargeUsed;
            row[kVbat2] = view.battery2;
            row[kRssi] = view.rssi;
        });
    }

    static void channels(const std::array<int, 8>& values, Row& row, size_t first) {
        for (size_t k = 0; k < values.size(); ++k) {
            row[first + k] = std::to_string(values[k]);
        }
    }

    int64_t timeMs() const { return int64_t(m_record) * kRecordMs; }

    void writeRow(const char* name, const Row& row) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", double(timeMs()) / 1000);
        m_csv << seconds << ',' << name;
        for (const std::string& value : row) {
            m_csv << ',' << value;
        }
        m_csv << '\n';
        ++m_counts.rows;
    }

    void trackPoint(const std::string& altitude) {
        char position[80];
        std::snprintf(position, sizeof position, "<trkpt lat=\"%.7f\" lon=\"%.7f\">",
                      m_state.latitudeD, m_state.longitudeD);
        m_gpx << "      " << position << "<ele>" << altitude << "</ele><time>"
              << utcTime(m_startUnixMs + timeMs()) << "</time></trkpt>\n";
        ++m_counts.trackPoints;
    }

    int64_t m_startUnixMs;
    std::ostream& m_gpx;
    std::ostream& m_csv;
    link::LinkCounters m_counters;
    link::MessageDispatcher m_dispatcher;
    link::LinkFrameParser m_parser;
    telemetry::VehicleState m_state;
    int32_t m_record = 0;
    ExportCounts m_counts;
};

/// A log source that reads through another one (the player owns what it reads).
class BorrowedSource : public LogSource {
public:
    explicit BorrowedSource(const LogSource& source) : m_source(source) {}
    int64_t size() const override { return m_source.size(); }
    size_t readAt(int64_t offset, uint8_t* out, size_t count) const override {
        return m_source.readAt(offset, out, count);
    }

private:
    const LogSource& m_source;
};

} // namespace

ExportCounts exportLog(const LogSource& source, const LogIndex& index, int64_t startUnixMs,
                       const std::string& trackName, std::ostream& gpx, std::ostream& csv,
                       const std::atomic<bool>* cancelled) {
    gpx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"Corvane X Ground Control Station\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
           "  <trk>\n    <name>"
        << xmlEscaped(trackName) << "</name>\n    <trkseg>\n";
    csv << "time_s,message";
    for (const char* name : kColumnNames) {
        csv << ',' << name;
    }
    csv << '\n';

    LogDecoder decoder(startUnixMs, gpx, csv);
    LogPlayer player(std::make_unique<BorrowedSource>(source), index);
    LogPlayer::RecordBuffer buffer;
    size_t dataSize = 0;
    while (player.next(buffer, dataSize) == LogPlayer::Step::Record) {
        decoder.feed(player.position() - 1, buffer.data() + kRecordHeaderSize, dataSize);
        if (cancelled != nullptr && player.position() % 4096 == 0 && cancelled->load()) {
            break;
        }
    }
    gpx << "    </trkseg>\n  </trk>\n</gpx>\n";
    return decoder.counts();
}

Status exportLogFiles(const std::string& logPath, const std::string& gpxPath,
                      const std::string& csvPath, const std::atomic<bool>& cancelled) {
    Status opened = Status::success();
    const std::unique_ptr<FileLogSource> source = FileLogSource::open(logPath, opened);
    if (!source) {
        return opened;
    }
    const std::optional<LogIndex> index = LogIndex::build(*source, &cancelled);
    if (!index) {
        return Status::failure("Export cancelled");
    }
    struct stat info {};
    const int64_t changedMs =
        ::stat(logPath.c_str(), &info) == 0
            ? int64_t(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000
            : 0;
    const int64_t startMs = changedMs - int64_t(index->count()) * kRecordMs;

    std::ofstream gpx(gpxPath, std::ios::binary | std::ios::trunc);
    std::ofstream csv(csvPath, std::ios::binary | std::ios::trunc);
    if (!gpx || !csv) {
        return Status::failure("Cannot write " + (!gpx ? gpxPath : csvPath) + ": " +
                               std::strerror(errno));
    }
    const std::string name = std::filesystem::path(logPath).stem().string();
    exportLog(*source, *index, startMs, name, gpx, csv, &cancelled);
    gpx.close();
    csv.close();
    if (!gpx || !csv) {
        return Status::failure("Cannot write " + (!gpx ? gpxPath : csvPath));
    }
    return cancelled ? Status::failure("Export cancelled") : Status::success();
}

} // namespace crv::recorder
