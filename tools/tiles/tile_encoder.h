#pragma once

#include "map/tile_image.h"

#include <cstdint>
#include <vector>

namespace crv::tiles {

/// The picture as a baseline JFIF file; alpha is dropped.
std::vector<uint8_t> encodeJpeg(const map::RgbaImage& picture, int quality = 85);
/// The picture as an RGBA PNG file.
std::vector<uint8_t> encodePng(const map::RgbaImage& picture);

} // namespace crv::tiles
