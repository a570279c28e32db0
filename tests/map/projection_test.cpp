#include "map/projection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace crv::map {
namespace {

TEST(ProjectionTest, PositionsToPixels) {
    struct Row {
        double latitude, longitude;
        int zoom;
        WorldPixel pixel;
    };
    const Row rows[] = {
        {0, 0, 1, {256, 256}},
        {85.05112878, -180, 1, {0, 0}},
        {85.05112878, -180, 18, {0, 0}},
        {90, 180, 1, {511, 0}},   // clamped
        {-90, -200, 1, {0, 511}}, // clamped
        {0, 180, 20, {268435455, 134217728}},
        {std::nan(""), std::nan(""), 1, {256, 256}}, // a broken position lands at 0, 0
    };
    for (const Row& row : rows) {
        EXPECT_EQ(LatLonToPixel(row.latitude, row.longitude, row.zoom), row.pixel)
            << row.latitude << " " << row.longitude << " z" << row.zoom;
    }
}

TEST(ProjectionTest, PixelsToPositions) {
    const GeoPoint centre = PixelToLatLon(256, 256, 1);
    EXPECT_NEAR(centre.latitude, 0, 1e-12);
    EXPECT_NEAR(centre.longitude, 0, 1e-12);
    for (int zoom : {1, 10, 20}) {
        const GeoPoint corner = PixelToLatLon(0, 0, zoom);
        EXPECT_NEAR(corner.latitude, 85.0511287798, 1e-9);
        EXPECT_EQ(corner.longitude, -180);
    }
    const GeoPoint outside = PixelToLatLon(-50, 1 << 30, 1);
    EXPECT_EQ(outside.longitude, -180) << "pixels are clamped to the world";
    EXPECT_EQ(outside.latitude, PixelToLatLon(0, 511, 1).latitude);
}

TEST(ProjectionTest, RoundTripsStayWithinAPixel) {
    for (int zoom : {3, 12, 18, 20}) {
        for (double latitude : {55.022861, -33.9, 0.0, 84.9}) {
            for (double longitude : {73.427856, -179.9, 0.0, 179.9}) {
                const WorldPixel pixel = LatLonToPixel(latitude, longitude, zoom);
                const GeoPoint back = PixelToLatLon(pixel.x, pixel.y, zoom);
                EXPECT_EQ(LatLonToPixel(back.latitude, back.longitude, zoom), pixel)
                    << latitude << " " << longitude << " z" << zoom;
            }
        }
    }
}

TEST(ProjectionTest, WrappingAndClamping) {
    EXPECT_EQ(WrapTileIndex(-1, 3), 7);
    EXPECT_EQ(WrapTileIndex(8, 3), 0);
    EXPECT_EQ(WrapTileIndex(-17, 3), 7);
    EXPECT_EQ(NormalizeViewPixel(-10, -5, 1), (WorldPixel{502, 0})) << "x wraps, y stops";
    EXPECT_EQ(NormalizeViewPixel(512 + 3, 600, 1), (WorldPixel{3, 511}));
    const GeoPoint clamped = ClampLatLon(89, 181);
    EXPECT_EQ(clamped.latitude, 84.999);
    EXPECT_NEAR(clamped.longitude, -179, 1e-9);
    EXPECT_NEAR(ClampLatLon(0, -540.5).longitude, 179.5, 1e-9);
    EXPECT_LE(ClampLatLon(0, 1e9).longitude, 179.999);
    EXPECT_GE(ClampLatLon(0, -1e9).longitude, -179.999);
    const GeoPoint broken = ClampLatLon(std::nan(""), INFINITY);
    EXPECT_EQ(broken.latitude, 0);
    EXPECT_EQ(broken.longitude, 0);
}

} // namespace
} // namespace crv::map
