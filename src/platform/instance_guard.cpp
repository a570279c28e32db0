#include "platform/instance_guard.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace crv::platform {

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

} // namespace

std::string InstanceGuard::lockPath(const std::string& name) {
    return homeFolder() + "/." + name + ".lock";
}

InstanceGuard::InstanceGuard(const std::string& name) {
    const std::string path = lockPath(name);
    // Never through a link, and only a file of this user's own: one that someone else put there
    // could be held by them for good.
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        unusable(path + ": " + std::strerror(errno));
        return;
    }
    struct stat file {};
    if (::fstat(m_fd, &file) != 0 || !S_ISREG(file.st_mode) || file.st_uid != ::geteuid()) {
        unusable(path + " is not a file of this user's own");
        return;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_state = State::Held;
    } else if (errno == EWOULDBLOCK) {
        m_state = State::HeldByOther;
    } else {
        unusable(path + ": " + std::strerror(errno));
    }
}

InstanceGuard::~InstanceGuard() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void InstanceGuard::unusable(const std::string& why) {
    m_state = State::Unusable;
    m_problem = why;
}

} // namespace crv::platform
