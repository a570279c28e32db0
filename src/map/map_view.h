#pragma once

#include "map/projection.h"

#include <optional>
#include <string>
#include <vector>

namespace crv::map {

/// A position typed as "latitude, longitude" (or the two numbers with a blank between),
/// in degrees with "."; nothing when the text is not two numbers within the map's range.
std::optional<GeoPoint> parsePosition(const std::string& text);

/// A point of the 512 × 512 view, (256, 256) being the view centre.
struct ViewPoint {
    int64_t x = 0;
    int64_t y = 0;
    bool operator==(const ViewPoint&) const = default;
};

/// A point of the mission path as drawn: the first one drawn is home if home is near enough.
struct DrawnPoint {
    ViewPoint at;
    bool home = false;
};

/// Where the map looks and what it marks: zoom, view centre, the drag in progress, and the
/// home, target and vehicle positions.
class MapView {
public:
    static constexpr int kViewSize = 512;
    static constexpr int kStartZoom = 18;
    /// Points further than this left of or above the view centre are not drawn.
    static constexpr int64_t kDrawReach = 2048;

    MapView();

    int zoom() const { return m_zoom; }
    WorldPixel centrePixel() const { return m_centrePixel; }
    GeoPoint centre() const { return m_centre; }

    /// The zoom slider: 0 gives 1 and above 20 gives 20; the geographic centre stays.
    void SetZoom(int zoom);
    /// Moves the view centre to a position; centre() follows at the next settle().
    void CentreOn(const GeoPoint& position);
    /// Moves the view centre to a position at once.
    void jumpTo(const GeoPoint& position);

    /// Left button pressed or moved with it held, in view pixels.
    void pressAt(int x, int y);
    void dragTo(int x, int y);

    /// Applies the drag since the last call, keeps the centre in the world and works out its
    /// position again: the first steps of every redraw.
    void settle();
    /// The centre's latitude and longitude, 7 significant digits each.
    std::string centreText() const;

    /// Where a position is drawn in the view; far away ones lie outside 0 to 511.
    ViewPoint toView(const GeoPoint& position) const;
    /// Home followed by the path points, leaving out those more than kDrawReach pixels left of
    /// or above the centre.
    std::vector<DrawnPoint> pathInView(const GeoPoint& home,
                                       const std::vector<GeoPoint>& path) const;

    GeoPoint home;    ///< the mission's base point
    GeoPoint target;  ///< latitude 0 while the board has not sent one
    GeoPoint vehicle; ///< latitude 0 while no GPS position arrived

private:
    int m_zoom = kStartZoom;
    WorldPixel m_centrePixel;
    GeoPoint m_centre;
    int64_t m_dragX = 0, m_dragY = 0;
    int m_anchorX = 0, m_anchorY = 0;
};

} // namespace crv::map
