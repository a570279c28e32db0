#pragma once

#include <cstdint>

namespace crv::map {

// Spherical Web Mercator on 256-pixel tiles: the world at zoom z is 256 × 2^z pixels square,
// x growing eastwards from longitude -180 and y southwards from latitude 85.05112878.

inline constexpr double kMaxLatitude = 85.05112878;
inline constexpr int kTileSize = 256;
inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 20;

struct GeoPoint {
    double latitude = 0;
    double longitude = 0;
};

struct WorldPixel {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const WorldPixel&) const = default;
};

/// The world's width and height in pixels at a zoom.
constexpr int64_t worldSize(int zoom) { return int64_t{kTileSize} << zoom; }

/// The pixel of a position, latitude and longitude clamped to the map first.
WorldPixel LatLonToPixel(double latitude, double longitude, int zoom);
/// The position of a pixel, clamped to the world first.
GeoPoint PixelToLatLon(int64_t x, int64_t y, int zoom);
/// A tile column or row brought into 0 to 2^zoom - 1.
int32_t WrapTileIndex(int64_t index, int zoom);
/// A view centre with x wrapped around the world and y clamped into it.
WorldPixel NormalizeViewPixel(int64_t x, int64_t y, int zoom);
/// A position kept just inside the map: latitude within ±84.999, longitude wrapped into
/// ±179.999.
GeoPoint ClampLatLon(double latitude, double longitude);

} // namespace crv::map
