#include "map/map_view.h"

#include "common/typed_number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace crv::map {

namespace {
constexpr GeoPoint kStartCentre{55.022862, 73.427853};
} // namespace

std::optional<GeoPoint> parsePosition(const std::string& text) {
    std::string blanked = text;
    std::replace(blanked.begin(), blanked.end(), ',', ' ');
    std::vector<double> numbers;
    for (size_t at = 0; at < blanked.size();) {
        const size_t start = blanked.find_first_not_of(" \t", at);
        if (start == std::string::npos) {
            break;
        }
        const size_t end = std::min(blanked.find_first_of(" \t", start), blanked.size());
        const NumberParse number = parseNumber(blanked.substr(start, end - start));
        if (!number.value) {
            return std::nullopt;
        }
        numbers.push_back(*number.value);
        at = end;
    }
    if (numbers.size() != 2 || std::fabs(numbers[0]) > 90 || std::fabs(numbers[1]) > 180) {
        return std::nullopt;
    }
    return GeoPoint{numbers[0], numbers[1]};
}

MapView::MapView() { jumpTo(kStartCentre); }

void MapView::SetZoom(int zoom) {
    m_zoom = zoom == 0 ? kMinZoom : std::clamp(zoom, kMinZoom, kMaxZoom);
    CentreOn(m_centre);
}

void MapView::CentreOn(const GeoPoint& position) {
    m_centrePixel = LatLonToPixel(position.latitude, position.longitude, m_zoom);
}

void MapView::jumpTo(const GeoPoint& position) {
    m_centre = position;
    CentreOn(position);
}

void MapView::pressAt(int x, int y) {
    m_anchorX = x;
    m_anchorY = y;
}

void MapView::dragTo(int x, int y) {
    m_dragX += x - m_anchorX;
    m_dragY += y - m_anchorY;
    pressAt(x, y);
}

// Dragging to the right moves the content to the right, so the centre goes left.
void MapView::settle() {
    m_centrePixel = NormalizeViewPixel(int64_t{m_centrePixel.x} - m_dragX,
                                       int64_t{m_centrePixel.y} - m_dragY, m_zoom);
    m_dragX = m_dragY = 0;
    m_centre = PixelToLatLon(m_centrePixel.x, m_centrePixel.y, m_zoom);
}

std::string MapView::centreText() const {
    char text[64];
    std::snprintf(text, sizeof text, "%.7g %.7g", m_centre.latitude, m_centre.longitude);
    return text;
}

ViewPoint MapView::toView(const GeoPoint& position) const {
    const WorldPixel pixel = LatLonToPixel(position.latitude, position.longitude, m_zoom);
    return {kViewSize / 2 - (int64_t{m_centrePixel.x} - pixel.x),
            kViewSize / 2 - (int64_t{m_centrePixel.y} - pixel.y)};
}

std::vector<DrawnPoint> MapView::pathInView(const GeoPoint& homePoint,
                                            const std::vector<GeoPoint>& path) const {
    std::vector<DrawnPoint> drawn;
    drawn.reserve(path.size() + 1);
    for (size_t index = 0; index <= path.size(); ++index) {
        const ViewPoint at = toView(index == 0 ? homePoint : path[index - 1]);
        if (kViewSize / 2 - at.x < kDrawReach && kViewSize / 2 - at.y < kDrawReach) {
            drawn.push_back({at, index == 0});
        }
    }
    return drawn;
}

} // namespace crv::map
