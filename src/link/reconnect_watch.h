#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace crv::link {

/// After the link was lost: the device to open again once it is back. A port that has a
/// /dev/serial/by-id name is watched by that name, which stays the same when an adapter is
/// plugged in again under another ttyUSB number; any other port by the path it was opened by.
class ReconnectWatch {
public:
    explicit ReconnectWatch(std::filesystem::path byIdFolder = "/dev/serial/by-id");

    /// At connect, while the device is surely there: finds the name to watch it by later.
    void remember(const std::string& openedPath);
    /// The link was lost: watch for the remembered device from now on.
    void lost() { m_watching = !m_name.empty(); }
    void stop() { m_watching = false; }
    bool watching() const { return m_watching; }
    /// The name the device is watched by.
    const std::string& name() const { return m_name; }

    /// While watching, the name to open now, if it names an existing device.
    std::optional<std::string> ready() const;

private:
    std::filesystem::path m_byIdFolder;
    std::string m_name;
    bool m_watching = false;
};

} // namespace crv::link
