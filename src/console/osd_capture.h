#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace crv::console {

/// The board's on-screen display, 240 x 240 one-bit pixels: row y is bytes 30y to 30y + 29,
/// the most significant bit of a byte is the leftmost pixel, a set bit a lit pixel.
struct OsdPicture {
    static constexpr int kSide = 240;
    static constexpr size_t kRowBytes = kSide / 8;
    static constexpr size_t kBytes = kRowBytes * kSide;

    std::array<uint8_t, kBytes> bytes{};
    bool lit(int x, int y) const { return (bytes[y * kRowBytes + x / 8] & (0x80 >> (x % 8))) != 0; }
};

/// How one capture ended.
struct OsdCaptureResult {
    uint16_t length = 0; ///< the bytes received for it
    bool good = false;   ///< check passed, pieces whole and in order, decoded within the picture
};

/// The 16-bit check of a coded capture (coded bytes, then the check value big-endian): zero
/// when the capture is intact. A capture shorter than the check value never passes.
bool osdCheckPasses(const uint8_t* capture, size_t length);

/// Decodes the run-length coded bytes into picture, from its first byte on. Returns false,
/// having stopped at the picture's end, when the stream would write past it; bytes the stream
/// does not reach keep what they held. Looking ahead past the end of the coded bytes sees 0.
bool decodeOsdRuns(const uint8_t* coded, size_t length, OsdPicture& picture);

/// Puts a capture together from its type 37 pieces. A piece at position 0 finishes the capture
/// collected so far and starts the next. Only an intact capture replaces the picture: pieces
/// out of order, missing, repeated or reaching past the buffer, a failed check or a stream that
/// overruns the picture leave the previous picture as it was.
class OsdCapture {
public:
    static constexpr size_t kBufferBytes = 4096;

    /// One type 37 payload: the piece's position (16-bit, big-endian), then its data. Returns
    /// the result of the capture it finished, if it began a new one.
    std::optional<OsdCaptureResult> piece(const uint8_t* payload, size_t size);
    const OsdPicture& picture() const { return m_picture; }

private:
    OsdCaptureResult finish();

    std::array<uint8_t, kBufferBytes> m_buffer{};
    uint16_t m_length = 0;   ///< the sum of the pieces' data lengths, as the caption shows it
    size_t m_next = 0;       ///< where the next piece must begin to continue the capture
    bool m_broken = false;   ///< a piece was out of place or did not fit
    OsdPicture m_picture;
};

/// "Corvane X OSD capture: 1000 bytes, CRC OK" (or "fail").
std::string osdCaptionFor(const OsdCaptureResult& result);

} // namespace crv::console
