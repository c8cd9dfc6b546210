// The crash: its seeded shard paths and the captured frame it shatters.
#include "gfx/render_texture.h"
#include "scenes/crash_scene.h"
#include "tests/scene_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

class Crash : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        scenetest::fillRenderTexture();
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    void TearDown() override { glClearColor(0, 0, 0, 0); }

    CrashScene scene;
};

// At progress 0 the 13.3333 x 10 grid lies at depth 11.5, under a 45-degree field of view.
const double kEnlargement = 5.0 / (11.5 * std::tan(M_PI / 8));

testgl::Rgb reassembled(int x, int y) {
    return scenetest::framePixel(400 + (x + 0.5 - 400) / kEnlargement,
                                 300 + (y + 0.5 - 300) / kEnlargement);
}

const int kProbes[][2] = {{40, 40}, {400, 300}, {200, 450}, {760, 560}, {700, 100}};

TEST(CrashScatter, FollowsTheSequenceSeededWith38912) {
    CrashScene scene;
    std::srand(38912);
    for (int s = 0; s < CrashScene::kShardCount; ++s) {
        const float x = (std::rand() % 200 - 100) / 100.0f;
        const float y = (std::rand() % 200 - 100) / 100.0f;
        const float z = (std::rand() % 200 - 100) / 100.0f;
        EXPECT_EQ(scene.scatter[s].x, x) << "shard " << s;
        EXPECT_EQ(scene.scatter[s].y, y) << "shard " << s;
        EXPECT_EQ(scene.scatter[s].z, z) << "shard " << s;
    }
}

TEST_F(Crash, ProgressZeroShowsTheCaptureEnlargedAboutTheCentre) {
    EXPECT_GT(kEnlargement, 1.04);
    scene.paint(0, 0, 0);
    for (const auto& probe : kProbes) {
        EXPECT_TRUE(scenetest::colourNear(testgl::readPixel(probe[0], probe[1]),
                                          reassembled(probe[0], probe[1]), 2))
            << "at " << probe[0] << ", " << probe[1];
    }

    GLint blendSource = 0;
    GLint bound = 0;
    glGetIntegerv(GL_BLEND_SRC, &blendSource);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(blendSource, GL_SRC_ALPHA);
    EXPECT_EQ(static_cast<unsigned int>(bound), render_texture);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Crash, ColourOtherThanWhiteGivesBlackSilhouettes) {
    scene.trigger(0, "color", "black");
    scene.paint(0, 0, 0);
    for (const auto& probe : kProbes) {
        EXPECT_TRUE(scenetest::colourNear(testgl::readPixel(probe[0], probe[1]), {0, 0, 0}, 0));
    }

    // Half faded: black at alpha 0.5 over the grey clear colour, wherever a shard still is.
    glClear(GL_COLOR_BUFFER_BIT);
    scene.paint(0, 0, 0.02f);
    int darkened = 0;
    for (int x = 20; x < 800; x += 40) {
        const testgl::Rgb pixel = testgl::readPixel(x, 300);
        EXPECT_TRUE(pixel.r == pixel.g && pixel.g == pixel.b) << "at x " << x;
        darkened += pixel.r < 120 ? 1 : 0;
    }
    EXPECT_GT(darkened, 0);

    // Only the exact name and the exact value bring the picture back.
    scene.trigger(0, "Color", "white");
    scene.trigger(0, "colour", "white");
    EXPECT_EQ(scene.brightness, 0.0f);
    scene.trigger(0, "color", "White");
    EXPECT_EQ(scene.brightness, 0.0f);
    scene.trigger(0, "color", "white");
    glClear(GL_COLOR_BUFFER_BIT);
    scene.paint(0, 0, 0);
    EXPECT_TRUE(scenetest::colourNear(testgl::readPixel(400, 300), reassembled(400, 300), 2));
}

} // namespace
