#include "recorder/log_record.h"

#include <cstdio>

namespace crv::recorder {

size_t recordSizeFromHeader(const uint8_t* header) {
    if (header[0] != kRecordMarker) {
        return 0;
    }
    const size_t size = (size_t{header[1]} << 8 | header[2]) + kRecordHeaderSize;
    return size <= kLargestRecord ? size : 0;
}

void putRecordHeader(uint8_t* header, size_t dataSize) {
    header[0] = kRecordMarker;
    header[1] = static_cast<uint8_t>(dataSize >> 8);
    header[2] = static_cast<uint8_t>(dataSize);
}

std::string recordTimeText(int64_t records) {
    const int64_t seconds = records * kRecordMs / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

} // namespace crv::recorder
