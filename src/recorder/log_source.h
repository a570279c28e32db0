#pragma once

#include "common/status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace crv::recorder {

/// Random-access reading of a log's bytes. Reads past the end return fewer bytes, never fail.
class LogSource {
public:
    virtual ~LogSource() = default;
    /// Size in bytes when the source was opened.
    virtual int64_t size() const = 0;
    /// Reads up to count bytes at offset into out; returns how many were read (0 at the end or
    /// on a read error).
    virtual size_t readAt(int64_t offset, uint8_t* out, size_t count) const = 0;
};

/// A log file, read with pread(2); the descriptor is closed with the object.
class FileLogSource : public LogSource {
public:
    /// Opens path for reading; a failure carries the system's reason.
    static std::unique_ptr<FileLogSource> open(const std::string& path, Status& status);
    ~FileLogSource() override;
    FileLogSource(const FileLogSource&) = delete;
    FileLogSource& operator=(const FileLogSource&) = delete;

    int64_t size() const override { return m_size; }
    size_t readAt(int64_t offset, uint8_t* out, size_t count) const override;

private:
    FileLogSource(int fd, int64_t size) : m_fd(fd), m_size(size) {}
    int m_fd;
    int64_t m_size;
};

/// A log in memory, for tests and the fuzzer.
class MemoryLogSource : public LogSource {
public:
    explicit MemoryLogSource(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    int64_t size() const override { return static_cast<int64_t>(m_bytes.size()); }
    size_t readAt(int64_t offset, uint8_t* out, size_t count) const override;

private:
    std::vector<uint8_t> m_bytes;
};

} // namespace crv::recorder
