#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace crv::testing {

/// The project's tile server (tools/tile_server) on a free port of 127.0.0.1, for as long as
/// the object lives; with a tile folder its satellite tiles are real JPEG pictures.
class LocalTileServer {
public:
    explicit LocalTileServer(const std::string& script, const std::string& tileFolder = "") {
        int output[2];
        if (::pipe(output) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(output[1], STDOUT_FILENO);
            ::close(output[0]);
            ::execlp("python3", "python3", script.c_str(), "0",
                     tileFolder.empty() ? nullptr : tileFolder.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(output[1]);
        char line[32] = {};
        size_t used = 0;
        while (used + 1 < sizeof line && ::read(output[0], line + used, 1) == 1 &&
               line[used] != '\n') {
            ++used;
        }
        ::close(output[0]);
        m_port = std::atoi(line);
    }
    ~LocalTileServer() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    LocalTileServer(const LocalTileServer&) = delete;
    LocalTileServer& operator=(const LocalTileServer&) = delete;

    int port() const { return m_port; }
    /// "127.0.0.1:port", with an optional leading path such as "/404".
    std::string host(const std::string& path = "") const {
        return "127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace crv::testing
