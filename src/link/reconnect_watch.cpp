#include "link/reconnect_watch.h"

#include <system_error>
#include <utility>

namespace crv::link {

namespace fs = std::filesystem;

ReconnectWatch::ReconnectWatch(fs::path byIdFolder) : m_byIdFolder(std::move(byIdFolder)) {}

void ReconnectWatch::remember(const std::string& openedPath) {
    m_name = openedPath;
    m_watching = false;
    std::error_code error;
    const fs::path device = fs::canonical(openedPath, error);
    if (error || fs::path(openedPath).parent_path() == m_byIdFolder) {
        return;
    }
    for (const auto& entry : fs::directory_iterator(m_byIdFolder, error)) {
        std::error_code unresolved;
        if (fs::canonical(entry.path(), unresolved) == device && !unresolved) {
            m_name = entry.path().string();
            return;
        }
    }
}

std::optional<std::string> ReconnectWatch::ready() const {
    std::error_code error;
    // exists() follows links: a link left behind to a device that is gone does not count.
    if (m_watching && fs::exists(m_name, error)) {
        return m_name;
    }
    return std::nullopt;
}

} // namespace crv::link
