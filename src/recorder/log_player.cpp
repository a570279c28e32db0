#include "recorder/log_player.h"

#include <algorithm>

namespace crv::recorder {

LogPlayer::Step LogPlayer::next(RecordBuffer& buffer, size_t& dataSize) {
    dataSize = 0;
    if (m_position >= m_index.count()) {
        return Step::End;
    }
    const size_t got = m_source->readAt(m_offset, buffer.data(), buffer.size());
    if (got < kRecordHeaderSize) {
        return Step::End;
    }
    const size_t size = recordSizeFromHeader(buffer.data());
    if (size == 0) {
        return Step::Corrupt;
    }
    if (got < size) {
        return Step::End; // cut short since it was counted
    }
    dataSize = size - kRecordHeaderSize;
    m_offset += int64_t(size);
    ++m_position;
    return Step::Record;
}

bool LogPlayer::seek(int32_t target) {
    target = std::clamp(target, 0, std::max(m_index.count() - 1, 0));
    const std::optional<int64_t> offset = m_index.offsetOf(*m_source, target);
    if (!offset) {
        return false;
    }
    m_offset = *offset;
    m_position = target;
    return true;
}

} // namespace crv::recorder
