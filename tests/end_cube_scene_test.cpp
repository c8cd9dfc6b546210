// The end cube: the captured frame laid flat across the window, then folded into a cube.
#include "scenes/end_cube_scene.h"
#include "tests/scene_test_support.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const testgl::Rgb kBackground = {0, 160, 0};

class EndCube : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        scenetest::enterPictureDirectory("4", kBackground);
        scenetest::fillRenderTexture();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        scene = std::make_unique<EndCubeScene>();
    }

    std::unique_ptr<EndCubeScene> scene;
};

TEST_F(EndCube, FlatAtProgressZeroTheCaptureFillsTheWindow) {
    scene->paint(0, 0, 0);
    // The 10.6664 x 8 sheet at depth 9.7 under a 45-degree field of view.
    const double scale = 4.0 / (9.7 * std::tan(M_PI / 8));
    EXPECT_NEAR(scale, 1.0, 0.005);
    const int probes[][2] = {{4, 4}, {795, 4}, {4, 595}, {795, 595}, {400, 300}, {200, 450}};
    for (const auto& probe : probes) {
        const testgl::Rgb expected = scenetest::framePixel(400 + (probe[0] + 0.5 - 400) / scale,
                                                           300 + (probe[1] + 0.5 - 300) / scale);
        EXPECT_TRUE(scenetest::colourNear(testgl::readPixel(probe[0], probe[1]), expected, 2))
            << "at " << probe[0] << ", " << probe[1];
    }
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint culled = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &culled);
    EXPECT_EQ(culled, GL_BACK);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EndCube, FoldedAtPointFourTheDarkRedCubeFliesOverTheBackground) {
    scene->paint(0, 0, 0.4f);

    // The flight leaves the cube's centre, (0, 0, 0) in model space, in the model-view matrix.
    double model[16];
    double projection[16];
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double x = 0;
    double y = 0;
    double z = 0;
    gluProject(0, 0, 0, model, projection, viewport, &x, &y, &z);
    // (4.55, -8.11, -34.92) after 0.4 of the flight.
    EXPECT_NEAR(x, 494.4, 2);
    EXPECT_NEAR(y, 131.7, 2);

    const testgl::Rgb centre = testgl::readPixel(static_cast<int>(x), static_cast<int>(y));
    EXPECT_GT(centre.r, 40);
    EXPECT_LT(centre.g, 10);
    EXPECT_LT(centre.b, 10);
    const int background[][2] = {{2, 2}, {797, 2}, {2, 597}, {797, 597}, {400, 300}};
    for (const auto& probe : background) {
        EXPECT_TRUE(scenetest::colourNear(testgl::readPixel(probe[0], probe[1]), kBackground, 2))
            << "at " << probe[0] << ", " << probe[1];
    }
    // A fully folded cube is two units wide: about 40 pixels at this distance.
    EXPECT_TRUE(scenetest::colourNear(
        testgl::readPixel(static_cast<int>(x) + 45, static_cast<int>(y)), kBackground, 2));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
