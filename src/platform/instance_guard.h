#pragma once

#include <string>

namespace crv::platform {

/// A system-wide name that one process at a time can hold, freed by the system when the
/// holder ends, however it ends. On Linux an advisory lock on a file in the user's runtime
/// folder, named after the guard.
class InstanceGuard {
public:
    explicit InstanceGuard(const std::string& name);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    /// True when this process holds the name; false while another one does.
    bool held() const { return m_fd >= 0; }

    /// Where the lock of a name lives: $XDG_RUNTIME_DIR, else the temporary folder with the
    /// user's id in the file name.
    static std::string lockPath(const std::string& name);

private:
    int m_fd = -1;
};

} // namespace crv::platform
