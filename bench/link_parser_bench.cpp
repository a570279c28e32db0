// Parser throughput over a telemetry stream like the board's, against the floor of one XOR pass
// over the same bytes. Prints bytes per second of each, their ratio and allocations per frame.

#include "link/frame_sink.h"
#include "link/link_frame_builder.h"
#include "link/link_frame_parser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<long> g_allocations{0};

} // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using crv::link::LinkCounters;
using crv::link::LinkFrameBuilder;
using crv::link::LinkFrameParser;
using crv::link::MessageDispatcher;

class Collector : public crv::link::FrameSink {
public:
    void sendFrame(const uint8_t* frame, size_t size) override {
        bytes.insert(bytes.end(), frame, frame + size);
    }
    std::vector<uint8_t> bytes;
};

// One second of every stream at 10 a second (attitude, RC, servo, navigation, GPS, power) plus
// the odd line noise, repeated with changing values to about 4 MiB.
std::vector<uint8_t> telemetryStream() {
    LinkCounters counters;
    Collector out;
    LinkFrameBuilder builder(counters, &out);
    const struct {
        uint8_t type;
        int payload;
    } kStreams[] = {{32, 8}, {30, 16}, {31, 16}, {33, 11}, {34, 13}, {36, 10}};
    uint32_t value = 12345;
    while (out.bytes.size() < (4u << 20)) {
        for (const auto& stream : kStreams) {
            builder.begin();
            builder.put8(stream.type);
            for (int i = 0; i < stream.payload; ++i) {
                value = value * 1103515245 + 12345;
                builder.put8(static_cast<uint8_t>(value >> 16));
            }
            builder.finish();
        }
        if (value % 7 == 0) {
            out.bytes.push_back(static_cast<uint8_t>(value >> 8));
        }
    }
    return out.bytes;
}

const std::vector<uint8_t>& stream() {
    static const std::vector<uint8_t> bytes = telemetryStream();
    return bytes;
}

void BM_XorFloor(benchmark::State& state) {
    const auto& bytes = stream();
    for (auto _ : state) {
        uint8_t check = 0;
        for (uint8_t byte : bytes) {
            check ^= byte;
        }
        benchmark::DoNotOptimize(check);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_XorFloor);

// Argument: bytes per feed() call; the serial receive handler reads at most 250 at a time.
void BM_Parser(benchmark::State& state) {
    const auto& bytes = stream();
    const size_t chunk = static_cast<size_t>(state.range(0));
    LinkCounters counters;
    MessageDispatcher dispatcher;
    uint64_t perType[128] = {};
    for (int type = 0; type < 128; ++type) {
        dispatcher.setHandler(
            static_cast<uint8_t>(type),
            [&perType](const crv::link::LinkFrame& frame) { ++perType[frame.messageId()]; });
    }
    LinkFrameParser parser(counters, dispatcher);
    long allocations = 0;
    for (auto _ : state) {
        const long before = g_allocations;
        for (size_t at = 0; at < bytes.size(); at += chunk) {
            parser.feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
        }
        allocations += g_allocations - before;
    }
    const double frames = static_cast<double>(counters.framesReceived);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["frames"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["allocs_per_frame"] = static_cast<double>(allocations) / std::max(frames, 1.0);
    benchmark::DoNotOptimize(perType);
}
BENCHMARK(BM_Parser)->Arg(250)->Arg(4 << 20);

/// Prints as usual and keeps the byte rates for the closing comparison.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end()) {
                rates[run.benchmark_name()] = rate->second.value;
            }
        }
    }
    std::map<std::string, double> rates;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double floor = reporter.rates["BM_XorFloor"];
    for (const auto& [name, rate] : reporter.rates) {
        if (name != "BM_XorFloor" && floor > 0) {
            std::printf("%-24s %8.2f GB/s, %.3f of the XOR floor (%.2f GB/s)\n", name.c_str(),
                        rate / 1e9, rate / floor, floor / 1e9);
        }
    }
    benchmark::Shutdown();
    return 0;
}
