// Helpers for the scene render tests: a directory of generated pictures to construct scenes
// in, known backdrops drawn without touching the matrices, and frame read-back.
#pragma once

#include "tests/gl_test_context.h"

#include <vector>

namespace picturetest {

// Creates (once per process) a temporary directory holding data/*.png for the picture scenes
// and makes it the current directory, as the demo's working directory would be.
//   1.png: 1024 x 1024, red = x / 4, green = y / 4 from the top-left, blue 200.
//   2.png: 1024 x 1024, solid kPicture2.
//   intro1-3.png (64 x 8), kesto/lunder/tarvo.png (64 x 32): solid red, green, blue.
//   greetings1-4.png (64 x 16, RGBA): opaque red, fully transparent red, opaque green,
//   opaque white.
void enterPictureDirectory();
constexpr testgl::Rgb kPicture2 = {30, 60, 90};

// What drawDemo does before the timeline: clear colour and depth, identity model-view.
void startFrame();
// Fills a window rectangle (origin bottom-left) with an opaque colour, by a scissored clear.
void fillRect(int x, int y, int width, int height, testgl::Rgb colour);
// Covers the window with a smooth gradient: red = x * 255 / 799, green = y * 255 / 599,
// blue = 255 - red. Smooth, so a sub-pixel offset changes a pixel by at most a level.
void drawGradient();
testgl::Rgb gradientAt(int x, int y);

// The window rectangle's pixels, rows bottom-up.
std::vector<testgl::Rgb> readRect(int x, int y, int width, int height);

} // namespace picturetest

// Each channel within `tolerance` levels of the expected colour.
#define EXPECT_PIXEL_NEAR(x, y, expected, tolerance)                                               \
    do {                                                                                           \
        const testgl::Rgb seen_ = testgl::readPixel((x), (y));                                     \
        const testgl::Rgb want_ = (expected);                                                      \
        EXPECT_NEAR(seen_.r, want_.r, (tolerance)) << "red at (" << (x) << ", " << (y) << ")";     \
        EXPECT_NEAR(seen_.g, want_.g, (tolerance)) << "green at (" << (x) << ", " << (y) << ")";   \
        EXPECT_NEAR(seen_.b, want_.b, (tolerance)) << "blue at (" << (x) << ", " << (y) << ")";    \
    } while (0)
