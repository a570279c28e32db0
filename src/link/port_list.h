#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace crv::link {

/// The system's serial devices as full paths: USB and ACM adapters, on-board UARTs that have
/// hardware behind them, Bluetooth serial links, then the stable /dev/serial/by-id names.
/// Each group is in natural order (ttyUSB2 before ttyUSB10). The roots are for tests.
std::vector<std::string> listSerialPorts(const std::filesystem::path& devRoot = "/dev",
                                         const std::filesystem::path& sysRoot = "/sys");

/// The index to select after the port list was rebuilt: the old one while it still exists,
/// else the last entry; -1 (nothing) for an empty list or when nothing was selected.
int reselectIndex(int remembered, int count);

} // namespace crv::link
