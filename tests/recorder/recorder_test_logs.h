#pragma once

#include "recorder/log_record.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace crv::recorder::testing {

using Bytes = std::vector<uint8_t>;

/// One record around data.
inline Bytes recordOf(const Bytes& data) {
    Bytes record(kRecordHeaderSize);
    putRecordHeader(record.data(), data.size());
    record.insert(record.end(), data.begin(), data.end());
    return record;
}

/// Records, one after the other.
inline Bytes logOf(const std::vector<Bytes>& datas) {
    Bytes log;
    for (const Bytes& data : datas) {
        const Bytes record = recordOf(data);
        log.insert(log.end(), record.begin(), record.end());
    }
    return log;
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace crv::recorder::testing
