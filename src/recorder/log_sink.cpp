#include "recorder/log_sink.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace crv::recorder {

namespace {

Status systemFailure(const std::string& what) {
    return Status::failure(what + ": " + std::strerror(errno));
}

} // namespace

std::unique_ptr<FileLogSink> FileLogSink::create(const std::string& path, Status& status,
                                                 int& errorCode) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    errorCode = fd < 0 ? errno : 0;
    if (fd < 0) {
        status = systemFailure(path);
        return nullptr;
    }
    status = Status::success();
    return std::unique_ptr<FileLogSink>(new FileLogSink(fd, 0));
}

std::unique_ptr<FileLogSink> FileLogSink::append(const std::string& path, Status& status) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        status = systemFailure(path);
        if (fd >= 0) {
            ::close(fd);
        }
        return nullptr;
    }
    status = Status::success();
    return std::unique_ptr<FileLogSink>(new FileLogSink(fd, int64_t(info.st_size)));
}

FileLogSink::~FileLogSink() { ::close(m_fd); }

Status FileLogSink::write(const uint8_t* data, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t wrote = ::write(m_fd, data + done, count - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            if (wrote == 0) {
                errno = ENOSPC;
            }
            const Status failed = systemFailure("The log cannot be written");
            // A cut slice would end the log as corrupt; without it the log ends at the last
            // whole slice.
            if (done > 0) {
                [[maybe_unused]] const int ignored = ::ftruncate(m_fd, m_wholeSize);
            }
            return failed;
        }
        done += size_t(wrote);
    }
    m_wholeSize += int64_t(count);
    return Status::success();
}

} // namespace crv::recorder
