#pragma once

#include "common/status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace crv::recorder {

/// Where a recording's slices go. Each write is one or more whole records.
class LogSink {
public:
    virtual ~LogSink() = default;
    /// Appends count bytes; a failure says why, and whatever was appended before stays whole.
    virtual Status write(const uint8_t* data, size_t count) = 0;
};

/// A log file written with one write(2) per slice, unbuffered, so every slice is in the file
/// as soon as the call returns and a killed program loses only the slice being collected.
class FileLogSink : public LogSink {
public:
    /// Creates path, which must not exist yet (a log is never written over). errorCode gets
    /// errno on failure (EEXIST for a taken name).
    static std::unique_ptr<FileLogSink> create(const std::string& path, Status& status,
                                               int& errorCode);
    /// Appends to a file or device that exists (tests write to /dev/full this way).
    static std::unique_ptr<FileLogSink> append(const std::string& path, Status& status);
    ~FileLogSink() override;
    FileLogSink(const FileLogSink&) = delete;
    FileLogSink& operator=(const FileLogSink&) = delete;

    Status write(const uint8_t* data, size_t count) override;

private:
    FileLogSink(int fd, int64_t size) : m_fd(fd), m_wholeSize(size) {}
    int m_fd;
    int64_t m_wholeSize; ///< bytes of whole slices in the file
};

} // namespace crv::recorder
