// PlanesScene and SpinningScene: the fogged floor and ceiling, and the additive paddle wheel's
// eighths, symmetry at rest and rocking.
#include "scenes/planes_scene.h"
#include "scenes/spinning_scene.h"
#include "tests/gl_test_context.h"
#include "tests/scene_render_probe.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

template <typename Scene> void paintFrame(Scene& scene, float elapsed) {
    sceneprobe::beginFrame();
    scene.paint(elapsed, 0.02f, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

int red(const std::vector<unsigned char>& frame, int x, int y) {
    return frame[(static_cast<size_t>(y) * 800 + static_cast<size_t>(x)) * 3];
}

TEST(PlanesScene, FloorAndCeilingFadeIntoBlackFogBetween15And35) {
    REQUIRE_GL_CONTEXT();
    sceneprobe::PictureDirectory pictures;
    PlanesScene scene;
    paintFrame(scene, 0.0f);
    // Rows 100 and 499 see the planes 7 units away, rows 242 and 357 about 25, the middle row
    // the horizon; the white picture leaves only the fog to shade them.
    for (int y : {0, 100, 499, 599}) {
        EXPECT_GE(testgl::readPixel(400, y).r, 250) << y;
        EXPECT_GE(testgl::readPixel(30, y).g, 250) << y;
    }
    for (int y : {242, 357}) {
        const testgl::Rgb halfway = testgl::readPixel(400, y);
        EXPECT_NEAR(halfway.r, 125, 30) << y;
        EXPECT_EQ(halfway.g, halfway.r);
    }
    EXPECT_EQ(testgl::readPixel(400, 300).r, 0);
    EXPECT_EQ(testgl::readPixel(400, 299).r, 0);

    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST(PlanesScene, FogFollowsTheDistanceOfEachPixelWhileTheViewTurns) {
    REQUIRE_GL_CONTEXT();
    sceneprobe::PictureDirectory pictures;
    PlanesScene scene;
    // Turned and rolled, the view still looks along the planes, which fill most of it; fog
    // taken per vertex of the huge quads would blacken them.
    for (float elapsed : {0.6f, 1.0f, 5.0f}) {
        paintFrame(scene, elapsed);
        EXPECT_GT(sceneprobe::litPixels(), 800 * 600 * 3 / 4) << "e = " << elapsed;
    }
}

// Each panel adds an eighth of the picture's grey.
const int kPanelStep = sceneprobe::kSpinningGrey / 8;

TEST(SpinningScene, PanelsAddEighthsAndStandSymmetricUntilTheWheelRocks) {
    REQUIRE_GL_CONTEXT();
    sceneprobe::PictureDirectory pictures;
    SpinningScene scene;
    paintFrame(scene, 0.0f);
    const std::vector<unsigned char> still = sceneprobe::readFrame();
    int brightest = 0;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 400; x += 5) {
            const int value = red(still, x, y);
            EXPECT_EQ(value % kPanelStep, 0) << x << "," << y << ": " << value;
            EXPECT_EQ(value, red(still, 799 - x, y)) << "mirror of " << x << "," << y;
            brightest = std::max(brightest, value);
        }
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GE(brightest, 10 * kPanelStep) << "many panels overlap somewhere";

    paintFrame(scene, 1.0f);
    const std::vector<unsigned char> rocked = sceneprobe::readFrame();
    int asymmetric = 0;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 400; x += 5)
            asymmetric += red(rocked, x, y) != red(rocked, 799 - x, y);
    }
    EXPECT_GT(asymmetric, 50);

    // The picture is a function of elapsed alone.
    paintFrame(scene, 0.0f);
    EXPECT_EQ(sceneprobe::readFrame(), still);

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

} // namespace
