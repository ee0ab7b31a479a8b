#include <gtest/gtest.h>

#include "core/Letterbox.h"

TEST(Letterbox, LargestCentredFitWithTheProportionsKept)
{
    const struct {
        int outerWidth, outerHeight;
        int x, y, width, height;
    } cases[] = {
        {640, 480, 0, 0, 640, 480},      {1024, 768, 0, 0, 1024, 768},     // same shape: no bars
        {1920, 1080, 240, 0, 1440, 1080}, {1366, 768, 171, 0, 1024, 768},  // wide: bars left and right
        {1280, 1024, 0, 32, 1280, 960},  {480, 640, 0, 140, 480, 360},     // tall: bars above and below
        {641, 480, 0, 0, 640, 480},                                        // the odd pixel goes right
        {640, 0, 319, 0, 1, 1},          {0, 0, 0, 0, 1, 1},               // minimised: still a viewport
    };
    for (const auto& c : cases) {
        const Letterbox box = Letterbox::Fit(c.outerWidth, c.outerHeight, 640, 480);
        EXPECT_EQ((std::array{c.x, c.y, c.width, c.height}), (std::array{box.x, box.y, box.width, box.height}))
            << c.outerWidth << 'x' << c.outerHeight;
    }
}
