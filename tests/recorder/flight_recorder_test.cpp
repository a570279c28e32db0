// Recording into log files and playing them back through the parser, faults included: a full
// disk, a write cut short and a recorder killed in the middle of a recording.

#include "recorder/flight_recorder.h"
#include "recorder_test_logs.h"
#include "support/frame_recorder.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace crv::recorder {
namespace {

using link::RecorderState;
using link::testing::frameOf;
using link::testing::SeenFrame;
using testing::Bytes;
using testing::readFile;

class Recorder : public ::testing::Test {
protected:
    Recorder() {
        for (int type = 0; type < 128; ++type) {
            dispatcher.setHandler(uint8_t(type), [this](const link::LinkFrame& frame) {
                frames.push_back(link::testing::seen(frame));
            });
        }
        recorder.setFolder(folder.path().string());
    }

    /// What the serial receive path does with port bytes.
    void receive(const Bytes& bytes) { parser.feed(bytes.data(), bytes.size()); }

    void startRecording() {
        Status failure = Status::success();
        ASSERT_EQ(recorder.record(failure), FlightRecorder::Start::Started) << failure.message();
    }
    std::optional<LogIndex> countFile(const std::string& path) {
        Status status = Status::success();
        const auto source = FileLogSource::open(path, status);
        return source ? LogIndex::build(*source) : std::nullopt;
    }
    /// Plays the current file to its end; returns the closing status text.
    std::string playToEnd() {
        EXPECT_EQ(recorder.play(), FlightRecorder::Start::Started);
        for (int tick = 0; tick < 100000; ++tick) {
            const TickReport report = recorder.tick();
            if (report.kind == TickReport::Kind::Ended) {
                return report.message;
            }
        }
        return "never ended";
    }

    crv::testing::TestFolder folder{"crv-recorder"};
    link::LinkCounters counters;
    link::MessageDispatcher dispatcher;
    link::LinkFrameParser parser{counters, dispatcher};
    FlightRecorder recorder{parser};
    std::vector<SeenFrame> frames;
};

const Bytes kAttitude = frameOf(32, {0x01, 0x31, 0xFF, 0x9C, 0x0E, 0x10, 0, 0});
const Bytes kPower = frameOf(36, {0, 120, 0, 15, 0, 10, 0, 118, 77});

TEST_F(Recorder, WritesOneRecordPerTickEvenWithNothingReceived) {
    startRecording();
    EXPECT_EQ(recorder.currentFile(), folder.file("log_1.xlog"));
    EXPECT_EQ(parser.recorderState(), RecorderState::Recording);
    const TickReport report = recorder.tick();
    EXPECT_EQ(report.kind, TickReport::Kind::Recorded);
    EXPECT_EQ(report.recordedCount, 1);
    EXPECT_EQ(readFile(folder.file("log_1.xlog")), (Bytes{0x55, 0x00, 0x00}));

    receive(kPower);
    recorder.tick();
    Bytes expected{0x55, 0x00, 0x00, 0x55, 0x00, uint8_t(kPower.size())};
    expected.insert(expected.end(), kPower.begin(), kPower.end());
    EXPECT_EQ(readFile(folder.file("log_1.xlog")), expected) << "on disk before the next tick";
    EXPECT_EQ(frames.size(), 1u) << "recorded bytes are parsed as well";
}

TEST_F(Recorder, NamesTheLogAfterTheFirstFreeNumberAndCountsOnAfterStop) {
    for (const char* taken : {"log_1.xlog", "log_2.xlog", "log_3.xlog"}) {
        testing::writeFile(folder.file(taken), {1, 2, 3, 4});
    }
    startRecording();
    EXPECT_EQ(recorder.currentFile(), folder.file("log_4.xlog"));
    EXPECT_TRUE(recorder.stop());
    EXPECT_EQ(recorder.nextFileNumber(), 5);
    EXPECT_EQ(readFile(folder.file("log_1.xlog")), (Bytes{1, 2, 3, 4})) << "never written over";
}

TEST_F(Recorder, DropsWhatArrivesWhilePausedAndResumesWhereItStopped) {
    startRecording();
    recorder.tick();
    EXPECT_TRUE(recorder.pause());
    for (int tick = 0; tick < 30; ++tick) {
        receive(kAttitude);
        EXPECT_EQ(recorder.tick().kind, TickReport::Kind::Nothing);
    }
    Status failure = Status::success();
    EXPECT_EQ(recorder.record(failure), FlightRecorder::Start::Resumed);
    receive(kPower);
    EXPECT_EQ(recorder.tick().recordedCount, 2);
    recorder.stop();
    EXPECT_EQ(countFile(recorder.currentFile())->count(), 2);

    frames.clear();
    EXPECT_EQ(playToEnd(), "EOF");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, 36);
}

TEST_F(Recorder, AFrameSplitAcrossTicksIsWholeAgainOnPlayback) {
    startRecording();
    receive(Bytes(kAttitude.begin(), kAttitude.begin() + 5));
    recorder.tick();
    receive(Bytes(kAttitude.begin() + 5, kAttitude.end()));
    recorder.tick();
    recorder.stop();

    frames.clear();
    ASSERT_EQ(recorder.play(), FlightRecorder::Start::Started);
    EXPECT_EQ(recorder.tick().shownIndex, 0);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(recorder.tick().shownIndex, 1);
    ASSERT_EQ(frames.size(), 1u) << "dispatched once, when its second part is fed";
    EXPECT_EQ(frames[0].payload, Bytes(kAttitude.begin() + 3, kAttitude.end() - 1));
    EXPECT_EQ(recorder.tick().message, "EOF");
    EXPECT_EQ(recorder.state(), RecorderState::Idle);
}

TEST_F(Recorder, NothingRecordsWhilePlayingAndNothingPlaysWhileRecording) {
    startRecording();
    receive(kPower);
    recorder.tick();
    EXPECT_EQ(recorder.play(), FlightRecorder::Start::Ignored);
    recorder.stop();

    ASSERT_EQ(recorder.play(), FlightRecorder::Start::Started);
    EXPECT_EQ(parser.recorderState(), RecorderState::Playing);
    Status failure = Status::success();
    EXPECT_EQ(recorder.record(failure), FlightRecorder::Start::Ignored);
    recorder.tick();
    recorder.stop();
    EXPECT_EQ(readFile(recorder.currentFile()).size(), 3 + kPower.size());
    EXPECT_FALSE(std::filesystem::exists(folder.file("log_2.xlog")));
}

TEST_F(Recorder, MoreThanARecordInOneTickGoesIntoFurtherWholeRecords) {
    startRecording();
    const Bytes burst(2500, 0x11);
    receive(burst);
    EXPECT_EQ(recorder.tick().recordedCount, 3);
    recorder.stop();
    const Bytes file = readFile(recorder.currentFile());
    ASSERT_EQ(file.size(), 2500u + 9);
    EXPECT_EQ(countFile(recorder.currentFile())->count(), 3);
    EXPECT_EQ((Bytes{file[0], file[1], file[2]}), (Bytes{0x55, 0x03, 0xFC}));          // 1020
    EXPECT_EQ((Bytes{file[2046], file[2047], file[2048]}), (Bytes{0x55, 0x01, 0xCC})); // 460
}

TEST_F(Recorder, PlaysAtTheChosenSpeed) {
    startRecording();
    for (int tick = 0; tick < 40; ++tick) {
        recorder.tick();
    }
    recorder.stop();
    ASSERT_EQ(recorder.play(), FlightRecorder::Start::Started);
    recorder.setSpeed(PlaybackSpeed::Fourfold);
    EXPECT_EQ(recorder.tick().shownIndex, 3);
    recorder.setSpeed(PlaybackSpeed::Half);
    EXPECT_EQ(recorder.tick().kind, TickReport::Kind::Nothing);
    EXPECT_EQ(recorder.tick().shownIndex, 4);
    recorder.setSpeed(PlaybackSpeed::Eightfold);
    EXPECT_EQ(recorder.tick().shownIndex, 12);
}

TEST_F(Recorder, SeeksWhilePlayingAndPaused) {
    startRecording();
    for (int tick = 0; tick < 300; ++tick) {
        receive(frameOf(32, {uint8_t(tick >> 8), uint8_t(tick)}));
        recorder.tick();
    }
    recorder.stop();
    EXPECT_FALSE(recorder.seek(10)) << "only while playing";
    ASSERT_EQ(recorder.play(), FlightRecorder::Start::Started);
    recorder.tick();
    ASSERT_TRUE(recorder.seek(270));
    frames.clear();
    EXPECT_EQ(recorder.tick().shownIndex, 270);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload, (Bytes{1, 14}));
    recorder.pause();
    ASSERT_TRUE(recorder.seek(5));
    EXPECT_EQ(recorder.playbackIndex(), 5);
    recorder.play();
    EXPECT_EQ(recorder.tick().shownIndex, 5);
}

TEST_F(Recorder, AnOpenedFileBecomesCurrentAndKeepsTheOldCountWhenInvalid) {
    testing::writeFile(folder.file("flight.xlg"), testing::logOf({{1}, {2}, {3}}));
    recorder.opened(folder.file("flight.xlg"), countFile(folder.file("flight.xlg")));
    EXPECT_EQ(recorder.recordCount(), 3);
    recorder.opened(folder.file("short.xlog"), std::nullopt);
    EXPECT_EQ(recorder.currentFile(), folder.file("short.xlog"));
    EXPECT_EQ(recorder.recordCount(), 3);
    EXPECT_EQ(recorder.play(), FlightRecorder::Start::Failed) << "no such file";
    EXPECT_EQ(recorder.state(), RecorderState::Idle);
}

TEST_F(Recorder, AFullDiskStopsTheRecordingWithItsReason) {
    recorder.setSinkOpener([](const std::string&, Status& status, int&) {
        return std::unique_ptr<LogSink>(FileLogSink::append("/dev/full", status));
    });
    startRecording();
    receive(kPower);
    const TickReport report = recorder.tick();
    EXPECT_EQ(report.kind, TickReport::Kind::WriteFailed);
    EXPECT_NE(report.message.find("No space left on device"), std::string::npos) << report.message;
    EXPECT_EQ(recorder.state(), RecorderState::Idle);
    EXPECT_EQ(parser.recorderState(), RecorderState::Idle);
    receive(kPower);
    EXPECT_EQ(frames.size(), 2u) << "the link goes on";
}

// The file size limit makes write(2) stop part way through a slice, as a filling disk does.
TEST_F(Recorder, AWriteCutShortLeavesTheWholeSlicesBeforeItPlayable) {
    startRecording();
    for (int tick = 0; tick < 5; ++tick) {
        receive(kAttitude);
        recorder.tick();
    }
    const uintmax_t written = std::filesystem::file_size(recorder.currentFile());
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = written + 500;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    receive(Bytes(1000, 0x22));
    const TickReport report = recorder.tick();
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(report.kind, TickReport::Kind::WriteFailed);
    EXPECT_NE(report.message.find("too large"), std::string::npos) << report.message;
    EXPECT_EQ(std::filesystem::file_size(recorder.currentFile()), written);
    EXPECT_EQ(recorder.recordCount(), 5);
    frames.clear();
    EXPECT_EQ(playToEnd(), "EOF");
    EXPECT_EQ(frames.size(), 5u);
}

// A child records ticks as fast as it can and is killed at some moment; the log it leaves
// holds whole records only and plays to "EOF".
TEST_F(Recorder, AKilledRecordingLeavesEveryWholeSlice) {
    int ticks[2];
    ASSERT_EQ(pipe(ticks), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ticks[0]);
        Status failure = Status::success();
        recorder.record(failure);
        for (uint32_t tick = 0;; ++tick) {
            receive(frameOf(32, {uint8_t(tick >> 8), uint8_t(tick), 0, 0, 0, 0, 0, 0}));
            receive(kPower);
            recorder.tick();
            if (write(ticks[1], &tick, sizeof tick) != sizeof tick) {
                _exit(1);
            }
        }
    }
    close(ticks[1]);
    uint32_t tick = 0;
    while (tick < 200 && read(ticks[0], &tick, sizeof tick) == sizeof tick) {
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ticks[0]);

    const std::string path = folder.file("log_1.xlog");
    const std::optional<LogIndex> index = countFile(path);
    ASSERT_TRUE(index);
    EXPECT_GE(index->count(), 200);
    EXPECT_EQ(index->end(), int64_t(std::filesystem::file_size(path))) << "no cut record";
    recorder.opened(path, index);
    EXPECT_EQ(playToEnd(), "EOF");
    EXPECT_EQ(frames.size(), size_t(2 * index->count()));
}

} // namespace
} // namespace crv::recorder
