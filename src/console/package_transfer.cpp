#include "console/package_transfer.h"

#include "console/script_text.h"
#include "link/payload_reader.h"

#include <algorithm>

namespace crv::console {

namespace {

constexpr uint8_t kWriteRequest = 1;
constexpr uint8_t kBlock = 2;
constexpr uint8_t kRead = 3;
constexpr uint8_t kReady = 129;
constexpr uint8_t kNext = 130;
constexpr uint8_t kReadBlock = 131;
constexpr uint16_t kNoBlock = 0xFFFF;
constexpr uint8_t kNothingStored = 255;
constexpr uint8_t kFill = 0xFF;

TransferStep progress(std::string text) { return {TransferStep::Kind::Progress, std::move(text)}; }
TransferStep failed(std::string text) { return {TransferStep::Kind::Failed, std::move(text)}; }

} // namespace

TransferStep PackageTransfer::startUpload(Package package, std::vector<uint8_t> image,
                                          int64_t nowMs) {
    if (image.empty() || image.size() > kMaxPackageBytes) {
        return failed(image.empty() ? "Nothing to write" : "Too big for the board");
    }
    m_package = package;
    m_buffer = std::move(image);
    m_lastBlock = static_cast<uint32_t>(m_buffer.size() / kBlockBytes);
    m_counter = 0;
    m_phase = Phase::WaitingReady;
    m_lastMs = nowMs;
    m_out.begin();
    m_out.put8(static_cast<uint8_t>(package));
    m_out.put8(kWriteRequest);
    m_out.put32(kFlashWriteWord);
    m_out.finish();
    return progress("Write request...");
}

TransferStep PackageTransfer::startDownload(Package package, int64_t nowMs) {
    m_package = package;
    m_buffer.clear();
    m_phase = Phase::WaitingHeader;
    m_lastMs = nowMs;
    sendRequest(kRead, kNoBlock);
    return progress("Read request...");
}

void PackageTransfer::cancel() {
    m_phase = Phase::Idle;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

std::vector<uint8_t> PackageTransfer::takeDownload() {
    std::vector<uint8_t> bytes;
    bytes.swap(m_buffer);
    return bytes;
}

TransferStep PackageTransfer::handle(Package package, const link::LinkFrame& frame,
                                     int64_t nowMs) {
    if (!active(package)) {
        return {};
    }
    const link::PayloadReader payload(frame);
    const uint8_t command = payload.u8(0);
    const bool uploading = m_phase == Phase::WaitingReady || m_phase == Phase::Uploading;
    TransferStep step;
    if (command == kReady && uploading) {
        m_counter = 0;
        m_phase = Phase::Uploading;
        step = nextUploadBlock();
    } else if (command == kNext && m_phase == Phase::Uploading) {
        step = nextUploadBlock();
    } else if (command == kReadBlock && payload.u16(1) == kNoBlock &&
               m_phase == Phase::WaitingHeader) {
        step = header(payload.u16(3));
    } else if (command == kReadBlock && payload.u16(1) != kNoBlock &&
               m_phase == Phase::Downloading) {
        step = dataBlock(frame);
    } else {
        return {};
    }
    m_lastMs = nowMs;
    return step;
}

TransferStep PackageTransfer::nextUploadBlock() {
    const size_t at = size_t{m_counter} * kBlockBytes;
    if (at >= m_buffer.size()) {
        sendRequest(kBlock, kNoBlock);
        cancel();
        return {TransferStep::Kind::Finished, "OK"};
    }
    sendBlock(static_cast<uint16_t>(m_counter), m_buffer.data() + at,
              std::min(kBlockBytes, m_buffer.size() - at));
    const std::string shown = percent();
    ++m_counter;
    return progress(shown);
}

TransferStep PackageTransfer::header(uint16_t lastBlock) {
    // Block 0xFFFF cannot be asked for, and a script is no larger than the board takes.
    const size_t bytes = (size_t{lastBlock} + 1) * kBlockBytes;
    if (lastBlock == kNoBlock ||
        (m_package == Package::Script && bytes > kMaxScriptBytes + kBlockBytes)) {
        cancel();
        return failed("The stored package is too big");
    }
    m_lastBlock = lastBlock;
    m_buffer.clear();
    m_counter = 0;
    m_textEnded = false;
    m_phase = Phase::Downloading;
    sendRequest(kRead, 0);
    return progress("0%");
}

TransferStep PackageTransfer::dataBlock(const link::LinkFrame& frame) {
    uint8_t block[kBlockBytes];
    link::PayloadReader(frame).bytes(3, block, kBlockBytes);
    if (m_package == Package::Voice) {
        m_buffer.insert(m_buffer.end(), block, block + kBlockBytes);
    } else if (!m_textEnded) {
        uint8_t* end = std::find(block, block + kBlockBytes, uint8_t{0});
        m_buffer.insert(m_buffer.end(), block, end);
        m_textEnded = end != block + kBlockBytes;
    }
    ++m_counter;
    if (m_counter <= m_lastBlock) {
        sendRequest(kRead, static_cast<uint16_t>(m_counter));
        return progress(percent());
    }
    m_phase = Phase::Idle;
    if (m_package == Package::Script && !m_textEnded) {
        m_buffer.clear();
        return failed("The stored script is cut short");
    }
    return {TransferStep::Kind::Downloaded, percent()};
}

// The script's percentage counts blocks 0 to N; the voice pack's divides by N alone.
std::string PackageTransfer::percent() const {
    const uint32_t divisor = m_package == Package::Script ? m_lastBlock + 1 : m_lastBlock;
    return std::to_string(divisor == 0 ? 100 : uint64_t{m_counter} * 100 / divisor) + "%";
}

void PackageTransfer::sendBlock(uint16_t number, const uint8_t* data, size_t count) {
    m_out.begin();
    m_out.put8(static_cast<uint8_t>(m_package));
    m_out.put8(kBlock);
    m_out.put16(number);
    m_out.putBytes(data, count);
    for (size_t i = count; i < kBlockBytes; ++i) {
        m_out.put8(kFill);
    }
    m_out.finish();
}

void PackageTransfer::sendRequest(uint8_t command, uint16_t number) {
    m_out.begin();
    m_out.put8(static_cast<uint8_t>(m_package));
    m_out.put8(command);
    m_out.put16(number);
    m_out.finish();
}

std::string voiceReportText(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    if (payload.u8(1) == kNothingStored) {
        return "----------";
    }
    std::string name;
    for (size_t i = 3; i < payload.size() && payload.u8(i) != 0; ++i) {
        name.push_back(static_cast<char>(payload.u8(i)));
    }
    return name + " v" + std::to_string(payload.u8(1)) + "." + std::to_string(payload.u8(2));
}

std::string scriptReportText(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    if (payload.u8(1) == kNothingStored) {
        return "----------";
    }
    return std::to_string(payload.u32(1)) + "bytes";
}

} // namespace crv::console
