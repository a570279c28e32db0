#include "console/osd_capture.h"

#include <algorithm>

namespace crv::console {

namespace {

constexpr uint16_t kCheckStart = 0xCB35;
constexpr uint8_t kRunMark = 0xFE;
constexpr size_t kCheckBytes = 2;

uint8_t at(const uint8_t* coded, size_t length, size_t position) {
    return position < length ? coded[position] : 0;
}

} // namespace

bool osdCheckPasses(const uint8_t* capture, size_t length) {
    if (length < kCheckBytes) {
        return false;
    }
    uint16_t w = kCheckStart;
    for (size_t i = 0; i + kCheckBytes < length; ++i) {
        w ^= capture[i];
        // The bit shifted out at the top is lost; bit 0 keeps its value.
        w = static_cast<uint16_t>((w << 1) | (w & 1));
    }
    w ^= static_cast<uint16_t>(capture[length - 2] << 8);
    w ^= capture[length - 1];
    return w == 0;
}

bool decodeOsdRuns(const uint8_t* coded, size_t length, OsdPicture& picture) {
    size_t out = 0;
    size_t p = 0;
    while (p < length && out < OsdPicture::kBytes) {
        const uint8_t c = at(coded, length, p);
        const uint8_t d = at(coded, length, p + 1);
        const uint8_t e = at(coded, length, p + 2);
        size_t copies = 1;
        uint8_t value = c;
        if (d != kRunMark) {
            p += 1;
        } else if (c == kRunMark) {
            p += 2;
        } else if (e == kRunMark) {
            p += 1;
        } else {
            copies = 1 + size_t{e};
            p += 3;
        }
        if (copies > OsdPicture::kBytes - out) {
            std::fill_n(picture.bytes.begin() + out, OsdPicture::kBytes - out, value);
            return false;
        }
        std::fill_n(picture.bytes.begin() + out, copies, value);
        out += copies;
    }
    // Coded bytes left over once the picture is full would have gone past it.
    return p >= length;
}

std::optional<OsdCaptureResult> OsdCapture::piece(const uint8_t* payload, size_t size) {
    if (size < 2) {
        return std::nullopt; // no position: nothing to place
    }
    const size_t position = size_t{payload[0]} << 8 | payload[1];
    const uint8_t* data = payload + 2;
    const size_t count = size - 2;
    std::optional<OsdCaptureResult> finished;
    if (position == 0) {
        finished = finish();
    }
    if (position != m_next || position + count > kBufferBytes) {
        m_broken = true;
    } else {
        std::copy_n(data, count, m_buffer.begin() + position);
        m_next = position + count;
    }
    m_length = static_cast<uint16_t>(m_length + count);
    return finished;
}

OsdCaptureResult OsdCapture::finish() {
    OsdCaptureResult result{m_length, false};
    if (!m_broken && osdCheckPasses(m_buffer.data(), m_next)) {
        OsdPicture decoded = m_picture;
        if (decodeOsdRuns(m_buffer.data(), m_next - kCheckBytes, decoded)) {
            m_picture = decoded;
            result.good = true;
        }
    }
    m_length = 0;
    m_next = 0;
    m_broken = false;
    return result;
}

std::string osdCaptionFor(const OsdCaptureResult& result) {
    return "Corvane X OSD capture: " + std::to_string(result.length) + " bytes, CRC " +
           (result.good ? "OK" : "fail");
}

} // namespace crv::console
