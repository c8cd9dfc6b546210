// ParticlesScene: the sprite swell and its sinking, the growing lattice, exact trigger names
// and the colour switch, read from the picture where it can show them.
#include "scenes/particles_scene.h"
#include "tests/gl_test_context.h"
#include "tests/scene_render_probe.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

const int kCentreX = 400;
const int kCentreY = 300;
// Pixels from the centre to where a sprite of scale 1 falls to half its peak (glow 109 at
// r = 0.5): 0.2 units at distance 10 under the 45-degree projection, halved.
const float kHalfPeakRadius = 0.5f * 0.2f * 724.26f / 10.0f;

// Lattice point 555 sits at the origin, which no rotation or scale moves. Blown up a
// thousandfold, the lattice puts every other sprite beyond the far plane, so the one in the
// middle of the screen can be measured alone.
void isolateCentreSprite(ParticlesScene& scene, float time) {
    scene.trigger(time, "expand", "999");
}

testgl::Rgb paintAndReadCentre(ParticlesScene& scene, float elapsed) {
    sceneprobe::beginFrame();
    scene.paint(elapsed, 0.02f, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return testgl::readPixel(kCentreX, kCentreY);
}

// Distance from the centre along the middle row to the first pixel whose red falls below half
// the centre's (orange sprites: red is 0.71 of the glow).
float measuredRadius(ParticlesScene& scene, float elapsed) {
    const testgl::Rgb centre = paintAndReadCentre(scene, elapsed);
    for (int x = kCentreX; x < kCentreX + 200; ++x) {
        if (testgl::readPixel(x, kCentreY).r < 0.71f * 109.0f * centre.r / 181.0f)
            return static_cast<float>(x - kCentreX);
    }
    return 200.0f;
}

TEST(ParticlesScene, EnlargeSwellsTheSpritesThenSinksAtThreePerSecond) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    isolateCentreSprite(scene, 10.0f);
    scene.trigger(10.0f, "enlarge", "2");
    EXPECT_NEAR(measuredRadius(scene, 10.0f), 3.0f * kHalfPeakRadius, 1.5f);
    EXPECT_NEAR(measuredRadius(scene, 10.5f), 1.5f * kHalfPeakRadius, 1.5f);
    EXPECT_NEAR(measuredRadius(scene, 10.667f), kHalfPeakRadius, 1.5f);
    EXPECT_NEAR(measuredRadius(scene, 12.0f), kHalfPeakRadius, 1.5f);

    // Two swells in quick succession add up, less what sank in between.
    scene.trigger(20.0f, "enlarge", "1");
    measuredRadius(scene, 20.1f);
    scene.trigger(20.1f, "enlarge", "1");
    EXPECT_NEAR(measuredRadius(scene, 20.1f), 2.7f * kHalfPeakRadius, 1.5f);
}

TEST(ParticlesScene, NegativeEnlargeStaysBelowOneUntilRaised) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    isolateCentreSprite(scene, 0.0f);
    scene.trigger(0.0f, "enlarge", "-0.5");
    EXPECT_NEAR(measuredRadius(scene, 0.0f), 0.5f * kHalfPeakRadius, 1.0f);
    EXPECT_NEAR(measuredRadius(scene, 5.0f), 0.5f * kHalfPeakRadius, 1.0f);
    EXPECT_FLOAT_EQ(scene.spriteScale, 0.5f);

    scene.trigger(6.0f, "enlarge", "1.5");
    EXPECT_NEAR(measuredRadius(scene, 6.0f), 2.0f * kHalfPeakRadius, 1.5f);
}

TEST(ParticlesScene, ContractGrowsTheLatticeByOnePerSecond) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    // Lattice scale 0 until "contract": all 1000 sprites pile up on the centre, and even the
    // faint blue of the orange adds up to full.
    scene.trigger(0.0f, "expand", "-1");
    scene.trigger(20.0f, "contract", "");
    EXPECT_GE(paintAndReadCentre(scene, 20.0f).b, 250);
    // A second later the lattice has unit scale and only the sprites on the view axis overlap.
    EXPECT_LT(paintAndReadCentre(scene, 21.0f).b, 100);

    // The rate itself the picture cannot show through the tumbling, so read the state.
    paintAndReadCentre(scene, 25.0f);
    EXPECT_FLOAT_EQ(scene.gridScale + scene.contraction, 5.0f);
    paintAndReadCentre(scene, 26.5f);
    EXPECT_FLOAT_EQ(scene.gridScale + scene.contraction, 6.5f);
}

TEST(ParticlesScene, TriggerNamesMatchExactlyAndEndTurnsTheColour) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    isolateCentreSprite(scene, 0.0f);
    for (const char* name : {"Enlarge", "ENLARGE", "enlarge ", " enlarge", "enlarg", "End", "end "})
        scene.trigger(0.0f, name, "2");
    EXPECT_NEAR(measuredRadius(scene, 0.0f), kHalfPeakRadius, 1.5f);
    const testgl::Rgb orange = paintAndReadCentre(scene, 0.0f);
    EXPECT_NEAR(orange.r, 181, 4); // 0.71, 0.23, 0.011 of the glow's 255
    EXPECT_NEAR(orange.g, 59, 4);
    EXPECT_NEAR(orange.b, 3, 3);

    scene.trigger(1.0f, "end", "");
    const testgl::Rgb cyan = paintAndReadCentre(scene, 1.0f);
    EXPECT_NEAR(cyan.r, 181, 4);
    EXPECT_GE(cyan.g, 250);
    EXPECT_GE(cyan.b, 250);
    EXPECT_NEAR(measuredRadius(scene, 2.0f), kHalfPeakRadius, 1.5f);
}

TEST(ParticlesScene, UntriggeredLatticeFillsTheMiddleOfTheScreen) {
    REQUIRE_GL_CONTEXT();
    ParticlesScene scene;
    sceneprobe::beginFrame();
    scene.paint(3.0f, 0.02f, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // The 4.5-unit cube at distance 10 spans about +-160 pixels, however it is turned.
    EXPECT_GT(sceneprobe::litPixels(), 20000);
    EXPECT_EQ(testgl::readPixel(5, 5).r, 0);
    EXPECT_EQ(testgl::readPixel(795, 595).r, 0);
}

} // namespace
