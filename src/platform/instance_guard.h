#pragma once

#include <string>

namespace crv::platform {

/// A name that one process of a user at a time can hold, freed by the system when the holder
/// ends, however it ends. On Linux an advisory lock on a file in the user's home folder, which
/// every user has and no other user can write to.
class InstanceGuard {
public:
    enum class State {
        Held,        ///< this process holds the name
        HeldByOther, ///< another process of the user holds it
        Unusable,    ///< the lock file cannot be used: whether another process runs is unknown
    };

    explicit InstanceGuard(const std::string& name);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    State state() const { return m_state; }
    bool held() const { return m_state == State::Held; }
    /// Why the lock file cannot be used; empty unless the state is Unusable.
    const std::string& problem() const { return m_problem; }

    /// Where the lock of a name lives: a hidden file in $HOME, or without it in the home folder
    /// that the system's user list gives. Nothing else in the environment moves it.
    static std::string lockPath(const std::string& name);

private:
    void unusable(const std::string& why);

    int m_fd = -1;
    State m_state = State::Unusable;
    std::string m_problem;
};

} // namespace crv::platform
