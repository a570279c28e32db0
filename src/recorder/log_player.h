#pragma once

#include "recorder/log_index.h"
#include "recorder/log_record.h"
#include "recorder/log_source.h"

#include <array>
#include <memory>

namespace crv::recorder {

/// Reads the counted records of a log one after the other, from any record on.
class LogPlayer {
public:
    using RecordBuffer = std::array<uint8_t, kLargestRecord>;
    enum class Step {
        Record,  ///< a record was read
        End,     ///< every counted record was read, or the file ends early
        Corrupt, ///< the bytes at the position are no record
    };

    LogPlayer(std::unique_ptr<LogSource> source, LogIndex index)
        : m_source(std::move(source)), m_index(std::move(index)) {}

    int32_t count() const { return m_index.count(); }
    /// The index of the next record to read.
    int32_t position() const { return m_position; }

    /// Reads the next record into buffer (header first) and gives its data size.
    Step next(RecordBuffer& buffer, size_t& dataSize);
    /// Moves to record target, at most the last one; false (nothing moved) when the file no
    /// longer holds the counted records.
    bool seek(int32_t target);

private:
    std::unique_ptr<LogSource> m_source;
    LogIndex m_index;
    int32_t m_position = 0;
    int64_t m_offset = 0;
};

} // namespace crv::recorder
