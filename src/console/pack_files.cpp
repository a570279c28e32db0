#include "console/pack_files.h"

#include "console/package_transfer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace crv::console {

namespace fs = std::filesystem;

FileBytes readFileWhole(const std::string& path, size_t maxBytes, const std::string& tooBig) {
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    if (error) {
        return {Status::failure("Cannot open " + path + ": " + error.message()), {}};
    }
    if (size > maxBytes) {
        return {Status::failure(tooBig), {}};
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file || file.peek() != std::ifstream::traits_type::eof()) {
        return {Status::failure("The file " + path + " changed or was cut short while it was read."),
                {}};
    }
    return {Status::success(), std::move(bytes)};
}

Status checkVoicePack(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return Status::failure("The voice pack file is empty.");
    }
    if (bytes.size() > kMaxPackageBytes) {
        return Status::failure("The voice pack is too big: no more than " +
                               std::to_string(kMaxPackageBytes) + " bytes.");
    }
    return Status::success();
}

Status writeFileWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string partial = path + ".part";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        file.flush();
        if (!file) {
            file.close();
            std::remove(partial.c_str());
            return Status::failure("Cannot write " + path);
        }
    }
    std::error_code error;
    fs::rename(partial, path, error);
    if (error) {
        std::remove(partial.c_str());
        return Status::failure("Cannot write " + path + ": " + error.message());
    }
    return Status::success();
}

} // namespace crv::console
