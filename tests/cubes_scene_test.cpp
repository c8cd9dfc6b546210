// CubesScene: growing in over the first second, the phase steps on triggers, and shrinking
// away in the second after the second trigger, measured by the screen area the cubes cover.
#include "scenes/cubes_scene.h"
#include "tests/gl_test_context.h"
#include "tests/scene_render_probe.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

int coverageAt(CubesScene& scene, float elapsed) {
    sceneprobe::beginFrame();
    scene.paint(elapsed, 0.02f, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return sceneprobe::litPixels();
}

TEST(CubesScene, GrowsInOverTheFirstSecond) {
    REQUIRE_GL_CONTEXT();
    sceneprobe::PictureDirectory pictures;
    CubesScene growing;
    CubesScene full;
    full.trigger(0.3f, "", "");
    EXPECT_EQ(full.phase, 1);

    EXPECT_EQ(coverageAt(growing, 0.0f), 0);
    EXPECT_EQ(growing.phase, 0);
    const int half = coverageAt(growing, 0.5f);
    EXPECT_GT(half, 0);
    EXPECT_GT(coverageAt(full, 0.5f), half + half / 2);

    EXPECT_EQ(coverageAt(growing, 1.0f), coverageAt(full, 1.0f));
    EXPECT_EQ(growing.phase, 1);
}

TEST(CubesScene, SecondTriggerShrinksThemAwayAndTheThirdBringsThemBack) {
    REQUIRE_GL_CONTEXT();
    sceneprobe::PictureDirectory pictures;
    CubesScene scene;
    CubesScene reference;
    reference.trigger(0.0f, "", "");
    coverageAt(scene, 1.5f);
    ASSERT_EQ(scene.phase, 1);

    scene.trigger(10.0f, "shrink", "anything");
    EXPECT_EQ(scene.phase, 2);
    EXPECT_EQ(coverageAt(scene, 10.0f), coverageAt(reference, 10.0f));
    const int halfway = coverageAt(scene, 10.5f);
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, coverageAt(reference, 10.5f) * 3 / 4);
    EXPECT_EQ(coverageAt(scene, 11.0f), 0);
    EXPECT_EQ(coverageAt(scene, 11.9f), 0);
    EXPECT_EQ(coverageAt(scene, 40.0f), 0);

    scene.trigger(50.0f, "", "");
    EXPECT_EQ(scene.phase, 3);
    EXPECT_EQ(coverageAt(scene, 50.0f), coverageAt(reference, 50.0f));
    scene.trigger(60.0f, "", "");
    EXPECT_EQ(scene.phase, 4);
    EXPECT_EQ(coverageAt(scene, 60.5f), coverageAt(reference, 60.5f));
}

TEST(CubesScene, LitFacesAreOrangeRedAndTexturingIsLeftOff) {
    REQUIRE_GL_CONTEXT();
    sceneprobe::PictureDirectory pictures;
    CubesScene scene;
    scene.trigger(0.0f, "", "");
    ASSERT_GT(coverageAt(scene, 2.0f), 0);
    // Unnormalised normals of scaled cubes may saturate red, so only the hue's order is sure.
    const std::vector<unsigned char> frame = sceneprobe::readFrame();
    int offHue = 0;
    int brightestRed = 0;
    for (size_t i = 0; i < frame.size(); i += 3) {
        if (frame[i + 2] > 0 || frame[i + 1] > frame[i])
            ++offHue;
        brightestRed = std::max(brightestRed, static_cast<int>(frame[i]));
    }
    EXPECT_EQ(offHue, 0);
    EXPECT_GT(brightestRed, 120);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

} // namespace
