// Shared set-up of the scene render tests: a working directory with the scenes' pictures, a
// known frame in the capture texture. (Allocation counting: tests/allocation_counter.h.)
#pragma once

#include "tests/gl_test_context.h"

#include <string>

namespace scenetest {

// Makes a fresh directory holding data/NAME.png in one colour and changes into it.
void enterPictureDirectory(const std::string& name, testgl::Rgb colour);

// Generates render_texture if needed and fills it as a capture would: the 800 x 600 frame in
// the lower-left texels, texel (x, y) = (x mod 256, y mod 256, kFrameBlue); magenta beyond.
void fillRenderTexture();
constexpr int kFrameBlue = 200;

// The captured frame's colour sampled at frame position (x, y), in pixels from the
// bottom-left corner (pixel centres are at half-integers).
testgl::Rgb framePixel(double x, double y);

// Each channel within `tolerance` of the expected colour.
::testing::AssertionResult colourNear(testgl::Rgb actual, testgl::Rgb expected, int tolerance);

} // namespace scenetest
