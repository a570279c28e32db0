// Decodes arbitrary bytes as a satellite (JPEG) and as an overlay (PNG) tile, then fits and
// draws them as the map does, as a cache or a server might hand over any bytes at all.

#include "map/tile_image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    crv::map::RgbaImage tile(256, 256, 0xFF000000);
    if (auto satellite = crv::map::decodeJpeg(file)) {
        tile = crv::map::fitToTile(std::move(*satellite), 256);
    }
    if (auto overlay = crv::map::decodePng(file)) {
        crv::map::drawOver(tile, crv::map::fitToTile(std::move(*overlay), 256));
    }
    return tile.pixels.size() == 65536 ? 0 : 1;
}
