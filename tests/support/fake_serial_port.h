#pragma once

#include "link/serial_port.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace crv::link::testing {

/// A serial port in memory: records what is written, serves queued input, fails on demand.
class FakeSerialPort : public SerialPort {
public:
    void setListener(SerialPortListener* newListener) override { listener = newListener; }

    Status open(const std::string& name) override {
        if (!openError.empty()) {
            return Status::failure(openError);
        }
        openedName = name;
        isOpen = true;
        return Status::success();
    }
    void close() override { isOpen = false; }
    void purge() override {
        ++purges;
        input.clear();
    }
    void write(const uint8_t* data, size_t count) override {
        written.insert(written.end(), data, data + count);
    }
    size_t read(uint8_t* out, size_t maxCount) override {
        reads.push_back(maxCount);
        const size_t count = std::min({maxCount, input.size(), readLimit});
        std::copy_n(input.begin(), count, out);
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(count));
        return count;
    }

    void receive(const std::vector<uint8_t>& bytes) {
        input.insert(input.end(), bytes.begin(), bytes.end());
    }

    SerialPortListener* listener = nullptr;
    std::string openError;
    std::string openedName;
    bool isOpen = false;
    int purges = 0;
    std::vector<uint8_t> written;
    std::deque<uint8_t> input;
    std::vector<size_t> reads;
    size_t readLimit = SIZE_MAX;
};

} // namespace crv::link::testing
