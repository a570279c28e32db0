#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace crv::map {

/// A picture as 32-bit pixels 0xAARRGGBB, row by row, alpha not premultiplied.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    RgbaImage() = default;
    RgbaImage(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    bool empty() const { return pixels.empty(); }
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

/// Pictures larger than this on a side, or with more pixels than this in all, are refused before
/// any pixel memory is taken.
inline constexpr int kMaxDecodedSide = 2048;
inline constexpr int64_t kMaxDecodedPixels = int64_t{1} << 20;
/// A progressive JPEG of more scans is refused as soon as it gets there: every scan passes over
/// the whole picture, so scans, not bytes, decide how long a decode takes. Real files have ten
/// or so.
inline constexpr int kMaxJpegScans = 100;

// The decoders write into a picture whose memory is reused, as the map decodes many tiles of one
// size. False when the file is damaged, of the other kind, too large or of too many scans; the
// picture then holds nothing of use. Each decode is bounded in time and memory by the limits
// above, so any thread may run one.

/// A JPEG file decoded.
bool decodeJpeg(std::span<const uint8_t> file, RgbaImage& into);
/// A PNG file decoded with its transparency.
bool decodePng(std::span<const uint8_t> file, RgbaImage& into);

/// picture cut or padded (with opaque black) to a tile of side × side from its top left; a
/// picture of that size already is taken as it is.
RgbaImage fitToTile(RgbaImage picture, int side);
/// Draws overlay over base from the top left, blending by the overlay's alpha.
void drawOver(RgbaImage& base, const RgbaImage& overlay);

} // namespace crv::map
