#include "link/port_list.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <string_view>
#include <system_error>
#include <tuple>

namespace crv::link {

namespace {

namespace fs = std::filesystem;

struct DeviceName {
    size_t group;
    unsigned long number;
    std::string path;
};

constexpr std::array<std::string_view, 5> kPrefixes = {"ttyUSB", "ttyACM", "ttyAMA", "ttyS",
                                                       "rfcomm"};

bool allDigits(std::string_view text) {
    return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// Legacy UART nodes exist whether or not a chip answers; the serial core reports type 0 then.
bool uartPresent(const fs::path& sysRoot, const std::string& name) {
    std::ifstream type(sysRoot / "class" / "tty" / name / "type");
    int value = 0;
    return type >> value && value != 0;
}

std::vector<DeviceName> devicesIn(const fs::path& devRoot, const fs::path& sysRoot) {
    std::vector<DeviceName> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(devRoot, error)) {
        const std::string name = entry.path().filename().string();
        for (size_t group = 0; group < kPrefixes.size(); ++group) {
            const std::string_view prefix = kPrefixes[group];
            if (!name.starts_with(prefix) || !allDigits(name.substr(prefix.size()))) {
                continue;
            }
            if (prefix == "ttyS" && !uartPresent(sysRoot, name)) {
                continue;
            }
            devices.push_back(
                {group, std::stoul(name.substr(prefix.size())), entry.path().string()});
        }
    }
    std::sort(devices.begin(), devices.end(), [](const DeviceName& a, const DeviceName& b) {
        return std::tie(a.group, a.number) < std::tie(b.group, b.number);
    });
    return devices;
}

std::vector<std::string> stableNames(const fs::path& devRoot) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(devRoot / "serial" / "by-id", error)) {
        names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::vector<std::string> listSerialPorts(const fs::path& devRoot, const fs::path& sysRoot) {
    std::vector<std::string> ports;
    for (const DeviceName& device : devicesIn(devRoot, sysRoot)) {
        ports.push_back(device.path);
    }
    for (std::string& name : stableNames(devRoot)) {
        ports.push_back(std::move(name));
    }
    return ports;
}

int reselectIndex(int remembered, int count) {
    if (count <= 0) {
        return -1;
    }
    return std::min(remembered, count - 1);
}

} // namespace crv::link
