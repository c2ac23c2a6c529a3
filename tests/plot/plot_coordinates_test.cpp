#include "platform/plot_coordinates.h"

#include <gtest/gtest.h>

namespace ostrino {
namespace {

// Images of several shapes: equal scales, the window centred.
TEST(PlotCoordinates, WindowKeepsItsShapeAndIsCentred) {
    struct Case {
        int w, h;
        double scale, left, top;  // pixel of the window's top-left corner
    } cases[] = {{750, 700, 0.5, 0, 0}, {1500, 700, 0.5, 375, 0}, {750, 1400, 0.5, 0, 350}};
    for (const Case& k : cases) {
        const PlotCoordinates c(k.w, k.h);
        EXPECT_DOUBLE_EQ(c.scale(), k.scale) << k.w << "x" << k.h;
        EXPECT_DOUBLE_EQ(c.toPixel(-200, 1200).x, k.left);
        EXPECT_DOUBLE_EQ(c.toPixel(-200, 1200).y, k.top);
        EXPECT_DOUBLE_EQ(c.toPixel(1300, -200).x, k.w - k.left);
        EXPECT_DOUBLE_EQ(c.toPixel(0, 0).y, k.top + 600);  // y grows upwards
    }
    EXPECT_DOUBLE_EQ(PlotCoordinates(600, 560).sizeFactor(), 1.0);
    EXPECT_DOUBLE_EQ(PlotCoordinates(1200, 2000).sizeFactor(), 2.0);
    EXPECT_GT(PlotCoordinates(0, 0).scale(), 0);  // an empty widget still maps
}

TEST(PlotCoordinates, PixelsMapBackToTheSamePoint) {
    const PlotCoordinates c(913, 641);
    for (const auto& [x, y] : {std::pair{-200.0, -200.0}, {0.0, 1000.0}, {512.5, 333.25}}) {
        const PixelPoint p = c.toPixel(x, y);
        const UserPoint u = c.toUser(p.x, p.y);
        EXPECT_NEAR(u.x, x, 1e-9);
        EXPECT_NEAR(u.y, y, 1e-9);
    }
}

}  // namespace
}  // namespace ostrino
