// Decodes arbitrary bytes as a satellite (JPEG) and as an overlay (PNG) tile, then fits and
// draws them as the map does, as a cache or a server might hand over any bytes at all.

#include "map/tile_image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    crv::map::RgbaImage tile(256, 256, 0xFF000000);
    crv::map::RgbaImage picture;
    if (crv::map::decodeJpeg(file, picture)) {
        tile = crv::map::fitToTile(std::move(picture), 256);
    }
    if (crv::map::decodePng(file, picture)) {
        crv::map::drawOver(tile, crv::map::fitToTile(std::move(picture), 256));
    }
    return tile.pixels.size() == 65536 ? 0 : 1;
}
