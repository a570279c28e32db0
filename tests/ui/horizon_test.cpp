#include "ui/main/horizon.h"
#include "ui/main/horizon_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace crv::ui {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

TEST(HorizonGeometryTest, RollTurnsInWholeDegrees) {
    struct Row {
        int16_t roll;
        double degrees;
    };
    for (const Row& row :
         {Row{305, 30}, Row{309, 30}, Row{-305, -30}, Row{0, 0}, Row{9, 0}, Row{1800, 180}}) {
        const HorizonGeometry geometry = horizonGeometry(row.roll, 0);
        EXPECT_NEAR(geometry.angleRad, row.degrees * kDegree, 1e-12) << row.roll;
        EXPECT_NEAR(geometry.m11, std::cos(row.degrees * kDegree), 1e-12);
        EXPECT_NEAR(geometry.m21, std::sin(row.degrees * kDegree), 1e-12);
        EXPECT_NEAR(geometry.m12, -std::sin(row.degrees * kDegree), 1e-12);
        EXPECT_NEAR(geometry.m22, std::cos(row.degrees * kDegree), 1e-12);
        EXPECT_EQ(geometry.dx, 125);
        EXPECT_EQ(geometry.dy, 125);
    }
}

TEST(HorizonGeometryTest, PitchMovesTheStripAt395PixelsPerTenDegrees) {
    struct Row {
        int16_t pitch;
        int top;
    };
    for (const Row& row :
         {Row{100, -460}, Row{0, -500}, Row{-100, -539}, Row{900, -144}, Row{-900, -855}}) {
        EXPECT_EQ(horizonGeometry(0, row.pitch).stripTop, row.top) << row.pitch;
    }
}

TEST(HorizonGeometryTest, PositiveRollTurnsThePictureCounterClockwise) {
    // A point right of the centre moves up on screen (smaller y) for a right bank.
    const HorizonGeometry geometry = horizonGeometry(300, 0);
    const double x = 100, y = 0;
    EXPECT_LT(geometry.m12 * x + geometry.m22 * y + geometry.dy, 125);
}

TEST(ArtificialHorizonTest, MissingPicturesAreReported) {
    ArtificialHorizon horizon;
    const Status loaded = horizon.load("no/such/top.bmp", "no/such/bottom.bmp");
    EXPECT_FALSE(loaded.ok());
    EXPECT_NE(loaded.message().find("no/such/top.bmp"), std::string::npos) << loaded.message();
    horizon.RedrawHorizon(100, 100); // harmless without pictures
    QImage frame;
    horizon.ComposeHorizon(frame);
    EXPECT_EQ(frame.size(), QSize(300, 300));
}

} // namespace
} // namespace crv::ui
