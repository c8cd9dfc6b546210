// The stars: a field continuing the crash scene's random sequence, and the hexagrams drawn.
#include "scenes/crash_scene.h"
#include "scenes/stars_scene.h"
#include "tests/scene_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

float expectedCoordinate() {
    return static_cast<float>(10.0 - (std::rand() % 2000) / 100.0);
}

int coordinatesFromTheCrashSequence(const StarsScene& scene) {
    std::srand(38912);
    for (int draw = 0; draw < CrashScene::kRandomDraws; ++draw) {
        std::rand();
    }
    int matching = 0;
    for (int i = 0; i < StarsScene::kStarCount; ++i) {
        const float x = expectedCoordinate();
        const float y = expectedCoordinate();
        matching += (scene.stars[i].x == x) + (scene.stars[i].y == y);
    }
    return matching;
}

TEST(StarsField, ContinuesTheSequenceTheCrashSceneSeeded) {
    CrashScene crash;
    StarsScene scene;
    EXPECT_EQ(coordinatesFromTheCrashSequence(scene), 2 * StarsScene::kStarCount);
    for (int i = 0; i < StarsScene::kStarCount; ++i) {
        EXPECT_TRUE(scene.stars[i].x <= 10 && scene.stars[i].x >= -9.99f) << "star " << i;
        EXPECT_TRUE(scene.stars[i].y <= 10 && scene.stars[i].y >= -9.99f) << "star " << i;
    }
}

TEST(StarsField, WithoutTheCrashSceneFirstTheFieldDiffers) {
    std::srand(1); // the state of a process that never seeded
    StarsScene scene;
    EXPECT_LT(coordinatesFromTheCrashSequence(scene), 20);
}

class Stars : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, 0);
    }
};

TEST_F(Stars, NothingIsDrawnAtProgressZero) {
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    StarsScene scene;
    scene.paint(0, 0, 0);
    std::vector<unsigned char> frame(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    int changed = 0;
    for (size_t i = 0; i < frame.size(); i += 4) {
        changed += frame[i] != 51 || frame[i + 1] != 102 || frame[i + 2] != 153;
    }
    EXPECT_EQ(changed, 0);
    glClearColor(0, 0, 0, 0);
}

TEST_F(Stars, HalfwayEachStarIsARedRimmedWhiteHexagramTurnedClockwise) {
    StarsScene scene;
    for (int i = 1; i < StarsScene::kStarCount; ++i) {
        scene.stars[i] = {100, 100}; // out of view, leaving star 0 alone at the centre
    }
    scene.stars[0] = {0, 0};
    scene.paint(0, 0, 0.5f);

    // The hexagram lies at depth 14; radius 2 for the red star, 1.8 for the white one.
    const double pixelsPerUnit = 300 / (14 * std::tan(M_PI / 8));
    auto probe = [&](double radius, double degreesClockwiseFromUp) {
        const double a = degreesClockwiseFromUp * M_PI / 180;
        return testgl::readPixel(static_cast<int>(400 + radius * std::sin(a) * pixelsPerUnit),
                                 static_cast<int>(300 + radius * std::cos(a) * pixelsPerUnit));
    };
    // Half-transparent dark red, then half-transparent white, over black. The two triangles
    // of a hexagram both cover its inner hexagon, which is thus blended twice per colour.
    const testgl::Rgb white = {153, 128, 128};
    const testgl::Rgb rim = {51, 0, 0};
    const testgl::Rgb none = {0, 0, 0};
    EXPECT_TRUE(scenetest::colourNear(probe(0, 0), {210, 191, 191}, 3));
    // Turned 100 degrees clockwise: points at 100, 160, ... degrees.
    for (int point = 0; point < 6; ++point) {
        const double direction = 100 + 60 * point;
        EXPECT_TRUE(scenetest::colourNear(probe(1.5, direction), white, 3)) << "point " << point;
        EXPECT_TRUE(scenetest::colourNear(probe(1.9, direction), rim, 3)) << "point " << point;
        EXPECT_TRUE(scenetest::colourNear(probe(2.1, direction), none, 3)) << "point " << point;
        // Between the points, where the unturned star would have its tips.
        EXPECT_TRUE(scenetest::colourNear(probe(1.7, direction + 30), none, 3))
            << "point " << point;
    }

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
