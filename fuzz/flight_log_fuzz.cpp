// Loads arbitrary bytes as a flight log as Open does, seeks to records named by the bytes
// themselves, plays every counted record and exports the decoded track and telemetry.

#include "recorder/log_export.h"
#include "recorder/log_index.h"
#include "recorder/log_player.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace crv::recorder;
    const std::vector<uint8_t> bytes(data, data + size);
    const std::optional<LogIndex> index = LogIndex::build(MemoryLogSource(bytes));
    if (!index) {
        return 0;
    }
    LogPlayer player(std::make_unique<MemoryLogSource>(bytes), *index);
    LogPlayer::RecordBuffer buffer;
    size_t dataSize = 0;
    for (size_t i = 0; i + 1 < size && i < 16; i += 2) {
        player.seek(int32_t(data[i]) << 8 | data[i + 1]);
        player.next(buffer, dataSize);
    }
    player.seek(0);
    size_t played = 0;
    while (player.next(buffer, dataSize) == LogPlayer::Step::Record) {
        played += dataSize;
    }
    std::ostringstream gpx, csv;
    exportLog(MemoryLogSource(bytes), *index, 0, "fuzz", gpx, csv);
    return played > size ? 1 : 0;
}
