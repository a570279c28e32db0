#include "recorder/log_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace crv::recorder {

std::unique_ptr<FileLogSource> FileLogSource::open(const std::string& path, Status& status) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        status = Status::failure(path + ": " + std::strerror(errno));
        if (fd >= 0) {
            ::close(fd);
        }
        return nullptr;
    }
    status = Status::success();
    // Only a regular file has a size to walk; a pipe or device reads as empty.
    const int64_t size = S_ISREG(info.st_mode) ? static_cast<int64_t>(info.st_size) : 0;
    return std::unique_ptr<FileLogSource>(new FileLogSource(fd, size));
}

FileLogSource::~FileLogSource() { ::close(m_fd); }

size_t FileLogSource::readAt(int64_t offset, uint8_t* out, size_t count) const {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(m_fd, out + done, count - done, offset + int64_t(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += size_t(got);
    }
    return done;
}

size_t MemoryLogSource::readAt(int64_t offset, uint8_t* out, size_t count) const {
    if (offset < 0 || offset >= size()) {
        return 0;
    }
    const size_t n = std::min(count, m_bytes.size() - size_t(offset));
    std::memcpy(out, m_bytes.data() + offset, n);
    return n;
}

} // namespace crv::recorder
