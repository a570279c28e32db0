#pragma once

#include "common/status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crv::console {

/// A file read whole, or why it could not be.
struct FileBytes {
    Status status = Status::success();
    std::vector<uint8_t> bytes;
};

/// Reads a file of at most maxBytes; a larger one is refused before it is read, one that
/// ends before its size says is refused as cut short.
FileBytes readFileWhole(const std::string& path, size_t maxBytes, const std::string& tooBig);

/// Checks a voice pack's bytes: an empty one, or one larger than the board's block numbers
/// reach, is refused with a message.
Status checkVoicePack(const std::vector<uint8_t>& bytes);

/// Writes bytes as path through a file beside it that replaces path only once complete, so a
/// failed write never leaves a half-written file under the chosen name.
Status writeFileWhole(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace crv::console
