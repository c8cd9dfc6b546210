// The render tests' one support module: the demo's window as a GL context, a directory of
// generated pictures to construct scenes in, known backdrops and a known capture, frame
// read-back, and expectations on colours and points.
#pragma once

#include "framework/callback.h"
#include "framework/point3d.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace testgl {

struct Rgb {
    int r;
    int g;
    int b;
};

// Opens the 800 x 600 window through createGLWindow and makes its context current, once per
// process. Returns false, with the reason in *why, when there is no display or visual.
bool openContext(const char** why);

// Creates (once per process) a temporary directory holding data/*.png for the scenes and
// makes it the current directory, as the demo's working directory would be.
//   1.png: 1024 x 1024, red = x / 4, green = y / 4 from the top-left, blue 200.
//   2.png: 1024 x 1024, and 4.png: 16 x 16, solid kPicture2.  planes.png, cubes.png: white.
//   spinning.png: solid kSpinningGrey.
//   intro1-3.png (64 x 8), kesto/lunder/tarvo.png (64 x 32): solid red, green, blue.
//   greetings1-4.png (64 x 16, RGBA): opaque red, fully transparent red, opaque green,
//   opaque white.
void enterPictureDirectory();
constexpr Rgb kPicture2 = {30, 60, 90};
// A panel of the wheel at alpha 1/8 adds 4, so its 40 panels cannot saturate.
constexpr int kSpinningGrey = 32;
// Replaces data/NAME.png in the picture directory by a 16 x 16 picture of one colour.
void writeSolidPicture(const std::string& name, Rgb colour);

// What the demo player does before the timeline: clear colour and depth, identity model-view.
void startFrame();
// Fills a window rectangle (origin bottom-left) with an opaque colour, by a scissored clear.
void fillRect(int x, int y, int width, int height, Rgb colour);
// Covers the window with a smooth gradient: red = x * 255 / 799, green = y * 255 / 599,
// blue = 255 - red. Smooth, so a sub-pixel offset changes a pixel by at most a level.
void drawGradient();
Rgb gradientAt(int x, int y);

// Fills render_texture as a capture would: the 800 x 600 frame in the lower-left texels,
// texel (x, y) = (x mod 256, y mod 256, kFrameBlue); magenta beyond.
void fillRenderTexture();
constexpr int kFrameBlue = 200;
// That frame's colour at frame position (x, y) in pixels from the bottom-left corner.
Rgb framePixel(double x, double y);

// Back buffer read-back after glFinish; (0, 0) is the bottom-left corner.
Rgb readPixel(int x, int y);
// A window rectangle's pixels, rows bottom-up.
std::vector<Rgb> readRect(int x, int y, int width, int height);
// The whole 800 x 600 back buffer as RGB bytes, bottom row first.
std::vector<unsigned char> readFrame();
// Pixels of the back buffer with any channel above `threshold`.
int litPixels(int threshold = 8);

// Each channel within `tolerance` of the expected colour.
::testing::AssertionResult colourNear(Rgb actual, Rgb expected, int tolerance);

// One frame of a scene as the timeline paints it: startFrame, then paint, with no GL error.
void paintFrame(tarvo64k::Callback& scene, float elapsed, float progress = 0);
// The GL state a scene leaves for the next effect (GL enums), and no GL error pending.
void expectGlState(std::initializer_list<unsigned int> enabled,
                   std::initializer_list<unsigned int> disabled);

} // namespace testgl

// Skips the calling test, with the reason, when no GL context can be had.
#define REQUIRE_GL_CONTEXT()                                                                       \
    do {                                                                                           \
        const char* why = nullptr;                                                                 \
        if (!testgl::openContext(&why)) {                                                          \
            GTEST_SKIP() << "no GL context: " << why;                                              \
        }                                                                                          \
    } while (0)

#define EXPECT_PIXEL_NEAR(x, y, expected, tolerance)                                               \
    EXPECT_TRUE(testgl::colourNear(testgl::readPixel((x), (y)), (expected), (tolerance)))          \
        << "at (" << (x) << ", " << (y) << ")"

// Each coordinate of `actual` within `tolerance` of (ex, ey, ez).
#define EXPECT_POINT_NEAR(actual, ex, ey, ez, tolerance)                                           \
    do {                                                                                           \
        const tarvo64k::Point3D point = (actual);                                                  \
        EXPECT_NEAR(point.x, ex, tolerance);                                                       \
        EXPECT_NEAR(point.y, ey, tolerance);                                                       \
        EXPECT_NEAR(point.z, ez, tolerance);                                                       \
    } while (0)
