#pragma once

#include "common/status.h"
#include "link/link_frame_parser.h"
#include "link/recorder_state.h"
#include "recorder/log_index.h"
#include "recorder/log_player.h"
#include "recorder/log_sink.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace crv::recorder {

/// Playback speeds, as the number of half records played per 100 ms tick.
enum class PlaybackSpeed : int { Half = 1, Normal = 2, Double = 4, Fourfold = 8, Eightfold = 16 };

/// What a recorder tick did, for the window to show.
struct TickReport {
    enum class Kind {
        Nothing,     ///< idle, paused, or nothing to show
        Recorded,    ///< slices were written; recordedCount is the new count
        Played,      ///< records were fed; shownIndex is the last one
        Ended,       ///< playback ended; message is "EOF" or "logfile corrupt"
        WriteFailed, ///< recording stopped; message says why
    };
    Kind kind = Kind::Nothing;
    int32_t recordedCount = 0;
    int32_t shownIndex = 0;
    bool fedData = false; ///< a played record carried bytes
    std::string message;
};

/// The flight data recorder without its window: records the received bytes in 100 ms slices
/// into "log_N.xlog" files and plays a log back through the same parser that the port feeds.
/// Runs on one thread, the one that feeds the parser and ticks it.
class FlightRecorder : public link::RecordingTap {
public:
    /// Opens a new log for writing; errorCode is errno on failure (EEXIST: name taken).
    using SinkOpener =
        std::function<std::unique_ptr<LogSink>(const std::string& path, Status&, int& errorCode)>;

    static constexpr const char* kFirstFileName = "current.xlog";
    /// Bytes kept for one tick when ticks come late; beyond them bytes are dropped.
    static constexpr size_t kPendingLimit = 16 * kLargestRecordData;

    explicit FlightRecorder(link::LinkFrameParser& parser);
    ~FlightRecorder() override;
    FlightRecorder(const FlightRecorder&) = delete;
    FlightRecorder& operator=(const FlightRecorder&) = delete;

    /// Folder of new logs; "." unless a test gives another.
    void setFolder(std::string folder) { m_folder = std::move(folder); }
    void setSinkOpener(SinkOpener opener) { m_openSink = std::move(opener); }
    void setNextFileNumber(int32_t number) { m_nextFileNumber = number; }
    int32_t nextFileNumber() const { return m_nextFileNumber; }

    link::RecorderState state() const { return m_state; }
    bool paused() const { return m_paused; }
    const std::string& currentFile() const { return m_currentFile; }
    /// Records of the current file, as counted by the last open or written by the last recording.
    int32_t recordCount() const { return m_index.count(); }
    int32_t recordedCount() const { return m_recordedCount; }
    int32_t playbackIndex() const { return m_player ? m_player->position() : 0; }
    size_t droppedBytes() const { return m_droppedBytes; }

    enum class Start { Ignored, Resumed, Started, Failed };
    /// Record: resumes a paused recording or starts one into the next free log file.
    Start record(Status& failure);
    /// Play: resumes a paused playback or plays the current file from its start.
    Start play();
    /// Pause of a recording or playback; false while idle.
    bool pause();
    /// Stop of a recording or playback; false while idle.
    bool stop();

    /// A log was opened and counted: it becomes the current file. Without an index (a file of
    /// two bytes or less, or one that cannot be read) the record count stays as it was.
    void opened(const std::string& path, std::optional<LogIndex> index);

    /// Moves playback to record target (at most the last). False when not playing.
    bool seek(int32_t target);
    void setSpeed(PlaybackSpeed speed) { m_speed = speed; }
    PlaybackSpeed speed() const { return m_speed; }

    /// The 100 ms tick: writes one slice while recording, plays records while playing.
    TickReport tick();

    void recordBytes(const uint8_t* data, size_t count) override;

private:
    void setState(link::RecorderState state);
    TickReport flush();
    TickReport playStep();
    TickReport endPlayback(const char* message);
    void finishRecording();

    link::LinkFrameParser& m_parser;
    SinkOpener m_openSink;
    std::string m_folder = ".";
    int32_t m_nextFileNumber = 1;
    link::RecorderState m_state = link::RecorderState::Idle;
    bool m_paused = false;
    bool m_inTick = false;
    std::string m_currentFile = kFirstFileName;
    LogIndex m_index;

    // Recording.
    std::unique_ptr<LogSink> m_sink;
    std::vector<uint8_t> m_pending;
    std::vector<uint8_t> m_slice; ///< the records of one tick, written at once
    int32_t m_recordedCount = 0;
    size_t m_droppedBytes = 0;

    // Playback. The fed bytes live here, not in the player, so that a Stop from inside a
    // handler cannot take them away from the parser that is still reading them.
    std::unique_ptr<LogPlayer> m_player;
    LogPlayer::RecordBuffer m_feed{};
    PlaybackSpeed m_speed = PlaybackSpeed::Normal;
    int m_halfSteps = 0;
};

} // namespace crv::recorder
