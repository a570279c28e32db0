#pragma once

#include "common/status.h"

#include <string>
#include <vector>

namespace crv::sim {

/// The plug-in files, in the program's "redist" folder.
inline constexpr const char* kProtocolFile = "corvane_sim.xml";
inline constexpr const char* kLaunchFile = "corvane_sim.fgfs";
/// The simulator program, found on the search path.
inline constexpr const char* kSimulatorProgram = "fgfs";

/// True when folder holds FlightGear's data: the data root has the "Protocol" folder that the
/// simulator reads its protocol definitions from.
bool isSimulatorFolder(const std::string& folder);

/// Copies the protocol definition from redistFolder into the simulator folder's "Protocol"
/// folder, over an older copy. On failure the message says why, and for a folder the user may
/// not write to, the command that installs the file.
Status installPlugin(const std::string& redistFolder, const std::string& simulatorFolder);

/// The simulator's options: the data root, then the launch file's lines (blank lines and lines
/// starting with "#" left out). An "--aircraft=" option names an aircraft only when the data
/// holds it; otherwise it is dropped and the simulator flies its default one.
std::vector<std::string> launchArguments(const std::string& redistFolder,
                                         const std::string& simulatorFolder);

} // namespace crv::sim
