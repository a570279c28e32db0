#include "recorder/flight_recorder.h"

#include "recorder/log_source.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace crv::recorder {

namespace {

using link::RecorderState;

// Enough for any folder a user keeps logs in; a name is never searched for without end.
constexpr int kMostNameTries = 100000;

std::unique_ptr<LogSink> createFile(const std::string& path, Status& status, int& errorCode) {
    return FileLogSink::create(path, status, errorCode);
}

} // namespace

FlightRecorder::FlightRecorder(link::LinkFrameParser& parser)
    : m_parser(parser), m_openSink(createFile) {
    m_pending.reserve(kPendingLimit);
    m_slice.reserve(kPendingLimit + kPendingLimit / kLargestRecordData * kRecordHeaderSize +
                    kRecordHeaderSize);
}

FlightRecorder::~FlightRecorder() { m_parser.setRecorder(RecorderState::Idle, nullptr); }

void FlightRecorder::setState(RecorderState state) {
    m_state = state;
    m_parser.setRecorder(state, this);
}

FlightRecorder::Start FlightRecorder::record(Status& failure) {
    if (m_state == RecorderState::Playing || (m_state == RecorderState::Recording && !m_paused)) {
        return Start::Ignored;
    }
    if (m_paused) {
        m_paused = false;
        return Start::Resumed;
    }
    for (int tries = 0; tries < kMostNameTries; ++tries) {
        const std::string path = (std::filesystem::path(m_folder) /
                                  ("log_" + std::to_string(m_nextFileNumber) + ".xlog"))
                                     .string();
        int errorCode = 0;
        m_sink = m_openSink(path, failure, errorCode);
        if (m_sink) {
            m_currentFile = path;
            break;
        }
        if (errorCode != EEXIST || m_nextFileNumber == INT32_MAX) {
            return Start::Failed;
        }
        ++m_nextFileNumber;
    }
    if (!m_sink) {
        failure = Status::failure("No free log file name in " + m_folder);
        return Start::Failed;
    }
    m_index = LogIndex();
    m_pending.clear();
    m_recordedCount = 0;
    setState(RecorderState::Recording);
    return Start::Started;
}

FlightRecorder::Start FlightRecorder::play() {
    if (m_state == RecorderState::Recording || (m_state == RecorderState::Playing && !m_paused)) {
        return Start::Ignored;
    }
    if (m_paused) {
        m_paused = false;
        return Start::Resumed;
    }
    Status opened = Status::success();
    std::unique_ptr<FileLogSource> source = FileLogSource::open(m_currentFile, opened);
    if (!source || source->size() < kSmallestLogFile) {
        return Start::Failed;
    }
    // The records are not counted again: the count is that of the last open or recording.
    m_player = std::make_unique<LogPlayer>(std::move(source), m_index);
    m_halfSteps = 0;
    setState(RecorderState::Playing);
    return Start::Started;
}

bool FlightRecorder::pause() {
    if (m_state == RecorderState::Idle) {
        return false;
    }
    m_paused = true;
    return true;
}

bool FlightRecorder::stop() {
    if (m_state == RecorderState::Idle) {
        return false;
    }
    m_paused = false;
    if (m_state == RecorderState::Recording) {
        finishRecording(); // bytes since the last tick are not written
    } else {
        m_player.reset();
        setState(RecorderState::Idle);
    }
    return true;
}

void FlightRecorder::finishRecording() {
    m_sink.reset();
    m_pending.clear();
    setState(RecorderState::Idle);
    if (m_nextFileNumber < INT32_MAX) {
        ++m_nextFileNumber;
    }
}

void FlightRecorder::opened(const std::string& path, std::optional<LogIndex> index) {
    m_currentFile = path;
    if (index) {
        m_index = std::move(*index);
        m_recordedCount = 0;
    }
}

bool FlightRecorder::seek(int32_t target) {
    return m_state == RecorderState::Playing && m_player->seek(target);
}

TickReport FlightRecorder::tick() {
    // A handler that opens a modal box inside the parser keeps ticks coming; the bytes being
    // fed must not change under the parser, so such a tick does nothing.
    if (m_inTick) {
        return {};
    }
    m_inTick = true;
    TickReport report;
    if (m_state == RecorderState::Recording) {
        report = flush();
    } else if (m_state == RecorderState::Playing) {
        report = playStep();
    }
    m_inTick = false;
    return report;
}

void FlightRecorder::recordBytes(const uint8_t* data, size_t count) {
    const size_t room = kPendingLimit - m_pending.size();
    const size_t kept = std::min(room, count);
    m_pending.insert(m_pending.end(), data, data + kept);
    m_droppedBytes += count - kept;
}

// One record per tick; bytes beyond a record's room (ticks held up) go into further records
// of the same slice, so nothing received is lost and no record exceeds the largest size.
TickReport FlightRecorder::flush() {
    if (m_paused) {
        m_pending.clear(); // time does not advance while paused
        return {};
    }
    m_slice.clear();
    std::vector<size_t> sizes;
    size_t at = 0;
    do {
        const size_t data = std::min(kLargestRecordData, m_pending.size() - at);
        uint8_t header[kRecordHeaderSize];
        putRecordHeader(header, data);
        m_slice.insert(m_slice.end(), header, header + kRecordHeaderSize);
        m_slice.insert(m_slice.end(), m_pending.begin() + std::ptrdiff_t(at),
                       m_pending.begin() + std::ptrdiff_t(at + data));
        sizes.push_back(data + kRecordHeaderSize);
        at += data;
    } while (at < m_pending.size());
    m_pending.clear();

    TickReport report;
    const Status written = m_sink->write(m_slice.data(), m_slice.size());
    if (!written.ok()) {
        finishRecording();
        report.kind = TickReport::Kind::WriteFailed;
        report.message = written.message();
        return report;
    }
    for (const size_t size : sizes) {
        m_index.append(size);
    }
    m_recordedCount = m_index.count();
    report.kind = TickReport::Kind::Recorded;
    report.recordedCount = m_recordedCount;
    return report;
}

TickReport FlightRecorder::playStep() {
    TickReport report;
    if (m_paused) {
        return m_player->position() >= m_player->count() ? endPlayback("EOF") : report;
    }
    m_halfSteps += static_cast<int>(m_speed);
    for (; m_halfSteps >= 2; m_halfSteps -= 2) {
        size_t dataSize = 0;
        const int32_t index = m_player->position();
        const LogPlayer::Step step = m_player->next(m_feed, dataSize);
        if (step != LogPlayer::Step::Record) {
            return endPlayback(step == LogPlayer::Step::End ? "EOF" : "logfile corrupt");
        }
        report.kind = TickReport::Kind::Played;
        report.shownIndex = index;
        if (dataSize > 0) {
            report.fedData = true;
            m_parser.feed(m_feed.data() + kRecordHeaderSize, dataSize);
            if (m_state != RecorderState::Playing) {
                break; // a handler stopped playback
            }
        }
    }
    return report;
}

TickReport FlightRecorder::endPlayback(const char* message) {
    m_player.reset();
    m_paused = false;
    setState(RecorderState::Idle);
    TickReport report;
    report.kind = TickReport::Kind::Ended;
    report.message = message;
    return report;
}

} // namespace crv::recorder
