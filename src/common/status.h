#pragma once

#include <string>
#include <utility>

namespace crv {

/// Outcome of an operation that can fail in an expected way: ok, or a message for the user.
class Status {
public:
    static Status success() { return Status(); }
    static Status failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return m_ok; }
    const std::string& message() const { return m_message; }

private:
    Status() = default;
    explicit Status(std::string message) : m_ok(false), m_message(std::move(message)) {}

    bool m_ok = true;
    std::string m_message;
};

} // namespace crv
