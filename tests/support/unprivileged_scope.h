#pragma once

#include <sys/types.h>
#include <unistd.h>

namespace crv::testing {

/// While it lives, file permissions hold for this process as for an ordinary user. Root passes
/// every permission check, so a test running as root takes the effective user "nobody" (and
/// back at the end); an ordinary user already is one. Folders that the code under test must
/// reach have to be open to others then.
class UnprivilegedScope {
public:
    static constexpr uid_t kNobody = 65534;

    UnprivilegedScope() : m_dropped(::geteuid() == 0 && ::seteuid(kNobody) == 0) {}
    ~UnprivilegedScope() {
        if (m_dropped) {
            (void)!::seteuid(0);
        }
    }
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;

    /// False when this process is root and could not stop being it.
    bool holds() const { return m_dropped || ::geteuid() != 0; }

private:
    bool m_dropped;
};

} // namespace crv::testing
