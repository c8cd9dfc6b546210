// LinesScene: bar 0 holds its row at every time, and overlapping bars add up to white.
#include "scenes/lines_scene.h"
#include "tests/gl_test_context.h"
#include "tests/scene_render_probe.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

// Bar 0 at height sin(-10) = 0.544 and distance 2.4 covers window rows 463 and 464
// (centre 464.17, 1.2 pixels either side).
const int kBarZeroRows[] = {463, 464};
// Below the bar, clear of it by more than a pixel.
const int kBelowBarZero = 460;
// At e = 10 no other bar comes within 0.04 of bar 0.
const float kBarZeroAlone = 10.0f;

void paintFrames(LinesScene& scene, float elapsed, int times) {
    sceneprobe::beginFrame();
    for (int i = 0; i < times; ++i)
        scene.paint(elapsed, 0.02f, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(LinesScene, BarZeroNeverMoves) {
    REQUIRE_GL_CONTEXT();
    LinesScene scene;
    for (float elapsed : {0.0f, 1.7f, 10.0f, 33.3f, 120.0f, 999.0f}) {
        paintFrames(scene, elapsed, 1);
        for (int row : kBarZeroRows) {
            for (int x : {0, 400, 799}) {
                EXPECT_GE(testgl::readPixel(x, row).r, 50) << "e = " << elapsed << ", row " << row;
            }
        }
    }
    paintFrames(scene, kBarZeroAlone, 1);
    EXPECT_EQ(testgl::readPixel(400, kBelowBarZero).r, 0);
}

TEST(LinesScene, EachBarAddsAFifthSoFiveReachWhite) {
    REQUIRE_GL_CONTEXT();
    LinesScene scene;
    const int expected[] = {0, 51, 102, 153, 204, 255};
    for (int overlapping = 1; overlapping <= 5; ++overlapping) {
        paintFrames(scene, kBarZeroAlone, overlapping);
        const testgl::Rgb pixel = testgl::readPixel(400, kBarZeroRows[0]);
        EXPECT_NEAR(pixel.r, expected[overlapping], 1) << overlapping << " bars";
        EXPECT_EQ(pixel.g, pixel.r);
        EXPECT_EQ(pixel.b, pixel.r);
    }
    // Blending stays on for the next effect; texturing, depth and lighting come back.
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST(LinesScene, FastBarsMoveWhileBarZeroStays) {
    REQUIRE_GL_CONTEXT();
    LinesScene scene;
    paintFrames(scene, 0.0f, 1);
    const std::vector<unsigned char> start = sceneprobe::readFrame();
    paintFrames(scene, 2.0f, 1);
    const std::vector<unsigned char> later = sceneprobe::readFrame();
    int changedRows = 0;
    for (int row = 0; row < 600; ++row) {
        const size_t i = (static_cast<size_t>(row) * 800 + 400) * 3;
        if (start[i] != later[i])
            ++changedRows;
    }
    EXPECT_GT(changedRows, 20);
}

} // namespace
