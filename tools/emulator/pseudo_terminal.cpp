#include "emulator/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace crv::emulator {

namespace {

Status systemError(const std::string& what) {
    return Status::failure(what + ": " + std::strerror(errno));
}

bool makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return false;
    }
    cfmakeraw(&settings);
    cfsetspeed(&settings, B57600);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

void PseudoTerminal::close() {
    for (int* fd : {&m_peerFd, &m_fd}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

Status PseudoTerminal::openNew() {
    m_fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0) {
        return systemError("cannot create a pseudo-terminal");
    }
    const char* name = ptsname(m_fd);
    if (name == nullptr) {
        return systemError("cannot name the pseudo-terminal");
    }
    m_devicePath = name;
    m_peerFd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_peerFd < 0 || !makeRaw(m_peerFd)) {
        return systemError("cannot set up " + m_devicePath);
    }
    return Status::success();
}

Status PseudoTerminal::openDevice(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        return systemError("cannot open " + path);
    }
    m_devicePath = path;
    if (isatty(m_fd) && !makeRaw(m_fd)) {
        return systemError("cannot set up " + path);
    }
    return Status::success();
}

size_t PseudoTerminal::read(uint8_t* out, size_t maxCount) {
    const ssize_t got = ::read(m_fd, out, maxCount);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

void PseudoTerminal::write(const uint8_t* data, size_t count) {
    while (count > 0) {
        const ssize_t done = ::write(m_fd, data, count);
        if (done <= 0) {
            return;
        }
        data += done;
        count -= static_cast<size_t>(done);
    }
}

} // namespace crv::emulator
