#include "map/map_view.h"

#include <gtest/gtest.h>

namespace crv::map {
namespace {

TEST(MapViewTest, StartsAtTheBuiltInPositionAndZoom) {
    MapView view;
    EXPECT_EQ(view.zoom(), 18);
    EXPECT_EQ(view.centre().latitude, 55.022862);
    EXPECT_EQ(view.centrePixel(), LatLonToPixel(55.022862, 73.427853, 18));
    view.settle();
    EXPECT_EQ(view.centreText(), "55.02286 73.42785");
}

TEST(MapViewTest, ZoomIsKeptInRangeAndKeepsTheCentre) {
    MapView view;
    view.jumpTo({10, 20});
    view.settle();
    const struct {
        int asked, zoom;
    } rows[] = {{0, 1}, {-3, 1}, {1, 1}, {7, 7}, {20, 20}, {25, 20}};
    for (const auto& row : rows) {
        view.SetZoom(row.asked);
        EXPECT_EQ(view.zoom(), row.zoom) << row.asked;
    }
    view.SetZoom(12);
    view.settle();
    EXPECT_EQ(view.centrePixel(), LatLonToPixel(10, 20, 12));
    EXPECT_NEAR(view.centre().latitude, 10, 1e-3);
}

TEST(MapViewTest, DraggingMovesTheContentWrapsAcrossTheAntimeridianAndStopsAtThePoles) {
    MapView view;
    view.SetZoom(1);
    view.jumpTo({0, 179});
    view.settle();
    view.pressAt(100, 100);
    view.dragTo(90, 100); // content to the left: the centre goes east, across 180
    view.dragTo(80, 100);
    view.settle();
    EXPECT_EQ(view.centrePixel().x, (LatLonToPixel(0, 179, 1).x + 20) % 512);
    EXPECT_LT(view.centre().longitude, -160) << "past 180 is the far west";

    view.pressAt(0, 0);
    view.dragTo(0, 4000); // content down: the centre goes north, past the edge
    view.settle();
    EXPECT_EQ(view.centrePixel().y, 0);
    view.settle();
    EXPECT_EQ(view.centrePixel().y, 0) << "a drag is applied once";
}

TEST(MapViewTest, PathPointsFarLeftOrAboveAreLeftOutAndBreakNoLine) {
    MapView view;
    view.SetZoom(10);
    view.jumpTo({0, 0});
    view.settle();
    const double degreesPerPixel = 360.0 / (256 << 10);
    const GeoPoint farLeft{0, -2100 * degreesPerPixel};
    const GeoPoint farRight{0, 3000 * degreesPerPixel};
    const GeoPoint near{0, 10 * degreesPerPixel};
    const auto drawn = view.pathInView(farLeft, {near, farLeft, farRight});
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_FALSE(drawn[0].home) << "home is too far left, so the first drawn is a mission point";
    EXPECT_EQ(drawn[0].at, (ViewPoint{266, 256}));
    EXPECT_EQ(drawn[1].at.x, 256 + 3000) << "far right is drawn, off the view";

    const auto withHome = view.pathInView({0, 0}, {near});
    ASSERT_EQ(withHome.size(), 2u);
    EXPECT_TRUE(withHome[0].home);
    EXPECT_EQ(withHome[0].at, (ViewPoint{256, 256}));
}

TEST(MapViewTest, TypedPositions) {
    const struct {
        const char* text;
        std::optional<GeoPoint> position;
    } rows[] = {
        {"55.0228, 73.4278", GeoPoint{55.0228, 73.4278}},
        {" -33.9 151.2 ", GeoPoint{-33.9, 151.2}},
        {"10,20", GeoPoint{10, 20}},
        {"Omsk", std::nullopt},
        {"55.0", std::nullopt},
        {"1 2 3", std::nullopt},
        {"91, 0", std::nullopt},
        {"0, 180.5", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        const auto parsed = parsePosition(row.text);
        ASSERT_EQ(parsed.has_value(), row.position.has_value()) << row.text;
        if (parsed) {
            EXPECT_EQ(parsed->latitude, row.position->latitude) << row.text;
            EXPECT_EQ(parsed->longitude, row.position->longitude) << row.text;
        }
    }
}

} // namespace
} // namespace crv::map
