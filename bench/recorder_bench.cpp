// Flight log figures: Open (the record count) of a 100 MB log against one plain read(2) of the
// same file, seeks to 1000 random records in it, and the CPU that recording adds at full
// telemetry. The log is made in a temporary folder and removed at the end.

#include "link/link_frame_parser.h"
#include "recorder/flight_recorder.h"
#include "recorder/log_index.h"
#include "recorder/log_player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

using namespace crv::recorder;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Records of 400 to 700 bytes, as full telemetry at 57600 baud fills them, up to bytes.
void writeLog(const std::string& path, size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(1);
    std::vector<uint8_t> record(kLargestRecord);
    for (size_t written = 0; written < bytes;) {
        const size_t data = 400 + random() % 301;
        putRecordHeader(record.data(), data);
        for (size_t i = 0; i < data; ++i) {
            record[kRecordHeaderSize + i] = uint8_t(random());
        }
        out.write(reinterpret_cast<const char*>(record.data()), std::streamsize(data + 3));
        written += data + 3;
    }
}

double readWholeMs(const std::string& path) {
    std::vector<uint8_t> buffer(1 << 20);
    const Clock::time_point start = Clock::now();
    const int fd = ::open(path.c_str(), O_RDONLY);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
    return msSince(start);
}

void openAndSeek(const std::string& path) {
    std::vector<double> reads, opens;
    std::optional<LogIndex> index;
    readWholeMs(path); // into the page cache, as a file just recorded or copied is
    for (int round = 0; round < 7; ++round) {
        reads.push_back(readWholeMs(path));
        const Clock::time_point start = Clock::now();
        crv::Status status = crv::Status::success();
        const auto source = FileLogSource::open(path, status);
        index = LogIndex::build(*source);
        opens.push_back(msSince(start));
    }
    const double size = double(std::filesystem::file_size(path)) / 1e6;
    std::printf("log: %.1f MB, %d records (%.1f h)\n", size, index->count(),
                index->count() / 36000.0);
    std::printf("open (record count and index): median %.1f ms; read(2) of the file: %.1f ms; "
                "ratio %.2f\n",
                median(opens), median(reads), median(opens) / median(reads));

    crv::Status status = crv::Status::success();
    LogPlayer player(FileLogSource::open(path, status), *index);
    std::mt19937 random(2);
    std::vector<double> seeks;
    LogPlayer::RecordBuffer buffer;
    size_t dataSize = 0;
    for (int i = 0; i < 1000; ++i) {
        const int32_t target = int32_t(random() % uint32_t(index->count()));
        const Clock::time_point start = Clock::now();
        player.seek(target);
        player.next(buffer, dataSize); // the record a tick plays after the seek
        seeks.push_back(msSince(start));
    }
    std::printf("seek (1000 random records, with the record read): median %.3f ms, worst %.3f "
                "ms\n",
                median(seeks), *std::max_element(seeks.begin(), seeks.end()));
}

// Telemetry at the full 5760 bytes a second, in the 250-byte pieces the port delivers.
double feedSeconds(crv::link::LinkFrameParser& parser, FlightRecorder* recorder, int ticks) {
    std::vector<uint8_t> stream(576);
    std::mt19937 random(3);
    for (uint8_t& byte : stream) {
        byte = uint8_t(random());
    }
    const double start = cpuSeconds();
    for (int tick = 0; tick < ticks; ++tick) {
        for (size_t at = 0; at < stream.size(); at += 250) {
            parser.feed(stream.data() + at, std::min<size_t>(250, stream.size() - at));
        }
        if (recorder != nullptr) {
            recorder->tick();
        }
    }
    return cpuSeconds() - start;
}

void recordingCost(const std::filesystem::path& folder) {
    constexpr int kTicks = 36000; // an hour of telemetry
    crv::link::LinkCounters counters;
    crv::link::MessageDispatcher dispatcher;
    crv::link::LinkFrameParser parser(counters, dispatcher);
    const double parsing = feedSeconds(parser, nullptr, kTicks);
    FlightRecorder recorder(parser);
    recorder.setFolder(folder.string());
    crv::Status failure = crv::Status::success();
    recorder.record(failure);
    const double recording = feedSeconds(parser, &recorder, kTicks);
    recorder.stop();
    const double added = recording - parsing;
    std::printf("recording at full telemetry: %.3f s CPU added for %d s of flight, %.4f %% of "
                "one core (parsing alone %.3f s)\n",
                added, kTicks / 10, 100 * added / (kTicks / 10.0), parsing);
}

} // namespace

int main() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("crv-recorder-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "log_big.xlog").string();
    writeLog(path, 100'000'000);
    openAndSeek(path);
    recordingCost(folder);
    std::filesystem::remove_all(folder);
    return 0;
}
