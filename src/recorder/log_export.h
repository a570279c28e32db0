#pragma once

#include "common/status.h"
#include "recorder/log_index.h"
#include "recorder/log_source.h"

#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>

namespace crv::recorder {

struct ExportCounts {
    size_t trackPoints = 0; ///< GPS messages with a fix
    size_t rows = 0;        ///< decoded telemetry messages
};

/// Decodes the counted records of a log as the windows would and writes the track (every GPS
/// message with a fix) as GPX 1.1 and every telemetry message as a CSV row with named columns.
/// Record i is dated startUnixMs + i x 100 ms. Stops early, with what it wrote so far, when
/// cancelled is set.
ExportCounts exportLog(const LogSource& source, const LogIndex& index, int64_t startUnixMs,
                       const std::string& trackName, std::ostream& gpx, std::ostream& csv,
                       const std::atomic<bool>* cancelled = nullptr);

/// Exports the log at logPath into gpxPath and csvPath, dated from the log file's last change
/// less its length (when the recording ended). The files are written whole or the failure
/// says which one could not be.
Status exportLogFiles(const std::string& logPath, const std::string& gpxPath,
                      const std::string& csvPath, const std::atomic<bool>& cancelled);

} // namespace crv::recorder
