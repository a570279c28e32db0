#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace crv::recorder {

// A flight log is a plain sequence of records, one per 100 ms slice, with no header: a marker
// byte, the data length as a big-endian 16-bit number, then the bytes received in the slice.
inline constexpr uint8_t kRecordMarker = 0x55;
inline constexpr size_t kRecordHeaderSize = 3;
inline constexpr size_t kLargestRecord = 1023;
inline constexpr size_t kLargestRecordData = kLargestRecord - kRecordHeaderSize;
/// Files of this size or less hold no record worth playing.
inline constexpr int64_t kSmallestLogFile = 3;
/// The time one record stands for.
inline constexpr int kRecordMs = 100;

/// Size of the record whose header is these three bytes, or 0 when they are no record header
/// (wrong marker or over the largest record).
size_t recordSizeFromHeader(const uint8_t* header);

/// Writes the header of a record of dataSize bytes (at most kLargestRecordData) into header.
void putRecordHeader(uint8_t* header, size_t dataSize);

/// The time of record index records as "H:MM:SS", whole seconds.
std::string recordTimeText(int64_t records);

} // namespace crv::recorder
