#pragma once

#include "map/tile_image.h"

#include <cstdint>
#include <vector>

namespace crv::tiles {

/// The picture as a baseline JFIF file; alpha is dropped.
std::vector<uint8_t> encodeJpeg(const map::RgbaImage& picture, int quality = 85);
/// The picture as a progressive JFIF file of the given number of scans (at least 4): a DC scan,
/// one AC scan per colour component, and the luma AC scan sent again for the rest. Such a file is
/// valid and decodes without a warning, but every scan is a pass over the whole picture, so a
/// few bytes per scan make a decode as slow as a hostile server may wish.
std::vector<uint8_t> encodeManyScanJpeg(const map::RgbaImage& picture, int scans);
/// The picture as an RGBA PNG file.
std::vector<uint8_t> encodePng(const map::RgbaImage& picture);

} // namespace crv::tiles
