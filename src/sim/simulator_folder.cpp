#include "sim/simulator_folder.h"

#include <filesystem>
#include <fstream>

namespace crv::sim {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProtocolFolder = "Protocol";
constexpr const char* kAircraftFolder = "Aircraft";
constexpr std::string_view kAircraftOption = "--aircraft=";

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

} // namespace

bool isSimulatorFolder(const std::string& folder) {
    std::error_code error;
    return !folder.empty() && fs::is_directory(fs::path(folder) / kProtocolFolder, error);
}

Status installPlugin(const std::string& redistFolder, const std::string& simulatorFolder) {
    const fs::path from = fs::path(redistFolder) / kProtocolFile;
    const fs::path folder = fs::path(simulatorFolder) / kProtocolFolder;
    const fs::path to = folder / kProtocolFile;
    std::error_code error;
    if (!fs::is_regular_file(from, error)) {
        return Status::failure("The plug-in file " + from.string() + " is missing.");
    }
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    if (!error) {
        return Status::success();
    }
    if (error == std::errc::permission_denied || error == std::errc::read_only_file_system ||
        error == std::errc::operation_not_permitted) {
        return Status::failure("The folder " + folder.string() +
                               " is not writable for this user. Install the file as the "
                               "administrator:\nsudo install -m 644 " +
                               quoted(from) + " " + quoted(to));
    }
    return Status::failure("Cannot copy " + from.string() + " to " + to.string() + ": " +
                           error.message());
}

std::vector<std::string> launchArguments(const std::string& redistFolder,
                                         const std::string& simulatorFolder) {
    std::vector<std::string> arguments = {"--fg-root=" + fs::path(simulatorFolder).string()};
    std::ifstream file(fs::path(redistFolder) / kLaunchFile);
    std::error_code error;
    for (std::string line; std::getline(file, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.starts_with(kAircraftOption) &&
            !fs::is_directory(fs::path(simulatorFolder) / kAircraftFolder /
                                  line.substr(kAircraftOption.size()),
                              error)) {
            continue;
        }
        arguments.push_back(line);
    }
    return arguments;
}

} // namespace crv::sim
