#include "platform/instance_guard.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace crv::platform {

std::string InstanceGuard::lockPath(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/" + name + ".lock";
    }
    return "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

InstanceGuard::InstanceGuard(const std::string& name) {
    const int fd = ::open(lockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a place for the lock there is no way to tell; let this instance run.
        m_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

InstanceGuard::~InstanceGuard() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

} // namespace crv::platform
