#include "map/projection.h"

#include <algorithm>
#include <cmath>

namespace crv::map {

namespace {
constexpr double kPi = 3.141592653589793;
}

WorldPixel LatLonToPixel(double latitude, double longitude, int zoom) {
    // NaN would survive the clamps and make the pixel conversion undefined.
    const double lat = std::isnan(latitude) ? 0 : std::clamp(latitude, -kMaxLatitude, kMaxLatitude);
    const double lon = std::isnan(longitude) ? 0 : std::clamp(longitude, -180.0, 180.0);
    const double size = static_cast<double>(worldSize(zoom));
    const double x = (lon + 180) / 360;
    const double s = std::sin(lat * kPi / 180);
    const double y = 0.5 - std::log((1 + s) / (1 - s)) / (4 * kPi);
    const auto pixel = [size](double share) {
        return static_cast<int32_t>(std::clamp(share * size + 0.5, 0.0, size - 1));
    };
    return {pixel(x), pixel(y)};
}

GeoPoint PixelToLatLon(int64_t x, int64_t y, int zoom) {
    const int64_t size = worldSize(zoom);
    const double px = static_cast<double>(std::clamp<int64_t>(x, 0, size - 1));
    const double py = static_cast<double>(std::clamp<int64_t>(y, 0, size - 1));
    const double mx = px / static_cast<double>(size) - 0.5;
    const double my = 0.5 - py / static_cast<double>(size);
    return {90 - 360 * std::atan(std::exp(-2 * kPi * my)) / kPi, 360 * mx};
}

int32_t WrapTileIndex(int64_t index, int zoom) {
    const int64_t tiles = int64_t{1} << zoom;
    return static_cast<int32_t>(((index % tiles) + tiles) % tiles);
}

WorldPixel NormalizeViewPixel(int64_t x, int64_t y, int zoom) {
    const int64_t size = worldSize(zoom);
    return {static_cast<int32_t>(((x % size) + size) % size),
            static_cast<int32_t>(std::clamp<int64_t>(y, 0, size - 1))};
}

GeoPoint ClampLatLon(double latitude, double longitude) {
    constexpr double kLimitLat = 84.999;
    constexpr double kLimitLon = 179.999;
    // A value that is no number at all (a corrupt mission line) is put at zero.
    GeoPoint point{std::isfinite(latitude) ? std::clamp(latitude, -kLimitLat, kLimitLat) : 0.0,
                   std::isfinite(longitude) ? std::remainder(longitude, 360.0) : 0.0};
    while (point.longitude > kLimitLon) {
        point.longitude -= 360;
    }
    while (point.longitude < -kLimitLon) {
        point.longitude += 360;
    }
    return point;
}

} // namespace crv::map
