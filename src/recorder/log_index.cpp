#include "recorder/log_index.h"

#include "recorder/log_record.h"

#include <algorithm>

namespace crv::recorder {

namespace {

constexpr size_t kReadPiece = size_t{1} << 20;

/// Walks record headers through a window of the source that moves forward in large reads.
class HeaderWalk {
public:
    HeaderWalk(const LogSource& source, int64_t offset, size_t piece)
        : m_source(source), m_offset(offset), m_buffer(piece) {}

    /// Size of the record at the current offset if it is whole within the source, else 0.
    size_t nextRecordSize() {
        if (m_offset + int64_t(kRecordHeaderSize) > m_source.size()) {
            return 0;
        }
        if (m_offset + int64_t(kRecordHeaderSize) > m_bufferStart + int64_t(m_bufferSize)) {
            m_bufferStart = m_offset;
            m_bufferSize = m_source.readAt(m_offset, m_buffer.data(), m_buffer.size());
            if (m_bufferSize < kRecordHeaderSize) {
                return 0;
            }
        }
        const size_t size = recordSizeFromHeader(m_buffer.data() + (m_offset - m_bufferStart));
        return size != 0 && m_offset + int64_t(size) <= m_source.size() ? size : 0;
    }
    void skip(size_t size) { m_offset += int64_t(size); }
    int64_t offset() const { return m_offset; }
    bool pieceDone() const { return m_offset >= m_bufferStart + int64_t(m_bufferSize); }

private:
    const LogSource& m_source;
    int64_t m_offset;
    std::vector<uint8_t> m_buffer;
    int64_t m_bufferStart = 0;
    size_t m_bufferSize = 0;
};

} // namespace

std::optional<LogIndex> LogIndex::build(const LogSource& source,
                                        const std::atomic<bool>* cancelled) {
    LogIndex index;
    HeaderWalk walk(source, 0, std::min(kReadPiece, size_t(std::max<int64_t>(source.size(), 0))));
    while (index.m_count < kMostRecords) {
        const size_t size = walk.nextRecordSize();
        if (size == 0) {
            break;
        }
        index.append(size);
        walk.skip(size);
        if (cancelled != nullptr && walk.pieceDone() && cancelled->load()) {
            return std::nullopt;
        }
    }
    return index;
}

void LogIndex::append(size_t recordSize) {
    if (m_count % kCheckpointEvery == 0) {
        m_checkpoints.push_back(m_end);
    }
    ++m_count;
    m_end += int64_t(recordSize);
}

std::optional<int64_t> LogIndex::offsetOf(const LogSource& source, int32_t target) const {
    if (target < 0 || target >= m_count) {
        return std::nullopt;
    }
    const size_t checkpoint = size_t(target / kCheckpointEvery);
    // One read covers every header up to the target.
    const size_t span = size_t(target % kCheckpointEvery) * kLargestRecord + kRecordHeaderSize;
    HeaderWalk walk(source, m_checkpoints[checkpoint], std::min(span, kReadPiece));
    for (int32_t record = int32_t(checkpoint) * kCheckpointEvery; record < target; ++record) {
        const size_t size = walk.nextRecordSize();
        if (size == 0) {
            return std::nullopt;
        }
        walk.skip(size);
    }
    return walk.offset();
}

} // namespace crv::recorder
