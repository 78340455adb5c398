// A window low-vision players can enlarge: the game keeps drawing its fixed
// picture, and the window shows it as large as it is, shape kept, centred.
#include "ui/window_scaling.h"

#include <gtest/gtest.h>

namespace {

using ui::Rect;
using ui::WindowScaling;

constexpr int kW = 732;
constexpr int kH = 570;

TEST(WindowScaling, PictureFillsTheWindowShapeKeptCentred) {
    struct Case {
        int windowW, windowH;
        Rect expected;
    };
    const Case cases[] = {
        {kW, kH, {0, 0, kW, kH}},
        {2 * kW, 2 * kH, {0, 0, 2 * kW, 2 * kH}},
        {4 * kW, 4 * kH, {0, 0, 4 * kW, 4 * kH}},
        // A maximised window on a wide screen: bars left and right.
        {1920, 1080, {267, 0, 1653, 1080}},
        // A tall one: bars above and below.
        {kW, 2000, {0, 715, kW, 1285}},
        {1000, kH, {134, 0, 866, kH}},
        // Smaller than the picture still shows all of it, smaller.
        {366, 285, {0, 0, 366, 285}},
        {3, 1, {1, 0, 2, 1}},
        {0, 500, {}},
        {500, -4, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowScaling(kW, kH, c.windowW, c.windowH).Placement(), c.expected)
            << c.windowW << "x" << c.windowH;
    }
}

} // namespace
