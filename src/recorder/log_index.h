#pragma once

#include "recorder/log_source.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace crv::recorder {

/// Where the records of a log lie: their count and the offset of every 256th record, so a seek
/// walks at most 255 record headers from the nearest kept offset instead of the whole file.
class LogIndex {
public:
    static constexpr int32_t kCheckpointEvery = 256;
    /// The count is a signed 32-bit number; a log of more records is counted up to here.
    static constexpr int32_t kMostRecords = INT32_MAX;

    /// Counts the records of source from its start, stopping at the first record whose marker
    /// is wrong, that is larger than the largest record or that does not lie wholly within the
    /// source. Reads the file once, in large pieces. When cancelled is set, stops early and
    /// returns nothing.
    static std::optional<LogIndex> build(const LogSource& source,
                                         const std::atomic<bool>* cancelled = nullptr);

    /// Adds a record of size bytes at the end, as a recording writes it.
    void append(size_t recordSize);

    int32_t count() const { return m_count; }
    /// The offset just past the last counted record.
    int64_t end() const { return m_end; }

    /// The offset of record target (0 to count - 1), found from the nearest kept offset by
    /// reading source; nothing when the source no longer holds the records counted.
    std::optional<int64_t> offsetOf(const LogSource& source, int32_t target) const;

private:
    std::vector<int64_t> m_checkpoints; ///< offset of record k * kCheckpointEvery
    int32_t m_count = 0;
    int64_t m_end = 0;
};

} // namespace crv::recorder
