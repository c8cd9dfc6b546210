// The twister: its mesh topology and arm directions, and the picture it paints.
#include "gfx/cellshade.h"
#include "scenes/twister_scene.h"
#include "tests/allocation_counter.h"
#include "tests/scene_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using tarvo64k::Point3D;

namespace {

const testgl::Rgb kBackground = {40, 90, 160};

class Twister : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        scenetest::enterPictureDirectory("1", kBackground);
        createCellshadeTexture();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        scene = std::make_unique<TwisterScene>();
    }
    void TearDown() override { glDeleteTextures(1, &cellshadeTexture); }

    std::unique_ptr<TwisterScene> scene;
};

Point3D ringCentre(const Point3D* points, int ring, int arm) {
    Point3D sum;
    for (int k = 0; k < 10; ++k) {
        sum += points[60 * ring + 10 * arm + k];
    }
    return sum * 0.1f;
}

float distance(const Point3D& a, const Point3D& b) {
    const Point3D d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

TEST_F(Twister, EveryQuadJoinsNeighbouringPointsOfAdjacentRings) {
    ASSERT_EQ(scene->mesh.pointCount, 1200);
    ASSERT_EQ(scene->mesh.polygonCount, 1140);
    EXPECT_EQ(scene->mesh.texCoords, nullptr);
    for (int ring = 0; ring < 19; ++ring) {
        for (int arm = 0; arm < 6; ++arm) {
            for (int k = 0; k < 10; ++k) {
                const int g = 60 * ring + 10 * arm + k;
                const int next = 60 * ring + 10 * arm + (k + 1) % 10;
                const tarvo64k::qPolygon& quad = scene->mesh.polygons[g];
                ASSERT_EQ(quad.count, 4) << "polygon " << g;
                EXPECT_EQ(quad.indices[0], g);
                EXPECT_EQ(quad.indices[1], next) << "polygon " << g;
                EXPECT_EQ(quad.indices[2], g + 60);
                EXPECT_EQ(quad.indices[3], next + 60) << "polygon " << g;
            }
        }
    }
}

TEST_F(Twister, ArmsLeaveTheCentreAlongTheSixAxesAndCloseToAPoint) {
    const Point3D directions[6] = {{0, 1, 0}, {0, 0, -1}, {0, -1, 0},
                                   {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}};
    for (int arm = 0; arm < 6; ++arm) {
        const Point3D& axis = directions[arm];
        const Point3D base = ringCentre(scene->basePoints, 0, arm);
        EXPECT_LT(distance(base, axis * 0.5f), 1e-5f) << "arm " << arm;
        for (int k = 0; k < 10; ++k) {
            const Point3D& point = scene->basePoints[10 * arm + k];
            EXPECT_NEAR(distance(point, base), 1.0f, 1e-5f) << "arm " << arm << " point " << k;
            // The base ring lies across its arm.
            const Point3D offset = point - base;
            EXPECT_NEAR(offset.x * axis.x + offset.y * axis.y + offset.z * axis.z, 0, 1e-5f);
        }
        for (int k = 0; k < 10; ++k) {
            EXPECT_LT(distance(scene->basePoints[60 * 19 + 10 * arm + k], axis * 11.9f), 1e-5f)
                << "tip of arm " << arm << " point " << k;
        }
    }
    // Base normals point out of the tube, away from its axis.
    const Point3D normal = scene->baseNormals[60 * 5 + 3];
    const Point3D outward = scene->basePoints[60 * 5 + 3] - ringCentre(scene->basePoints, 5, 0);
    EXPECT_GT(normal.x * outward.x + normal.y * outward.y + normal.z * outward.z, 0);
}

TEST_F(Twister, ElapsedZeroShowsNoTurnAndFramesDoNotAccumulate) {
    float matrix[16];
    scene->paint(0, 0, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_FLOAT_EQ(matrix[0], 1.333f);
    EXPECT_FLOAT_EQ(matrix[8], 0); // z feeds no x: no turn about Y
    EXPECT_FLOAT_EQ(matrix[2], 0);
    EXPECT_FLOAT_EQ(matrix[10], 1);
    EXPECT_FLOAT_EQ(matrix[14], -20);

    const int probes[][2] = {{400, 300}, {360, 330}, {450, 260}, {300, 300}, {520, 300}};
    testgl::Rgb first[5];
    for (int p = 0; p < 5; ++p) {
        first[p] = testgl::readPixel(probes[p][0], probes[p][1]);
    }
    // The star in front of the backdrop is cell-shaded grey; the corners show the picture.
    const testgl::Rgb centre = first[0];
    EXPECT_TRUE(centre.r == centre.g && centre.g == centre.b && centre.r >= 127)
        << centre.r << " " << centre.g << " " << centre.b;
    EXPECT_TRUE(scenetest::colourNear(testgl::readPixel(2, 2), kBackground, 2));
    EXPECT_TRUE(scenetest::colourNear(testgl::readPixel(797, 597), kBackground, 2));

    scene->paint(1, 0, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_NEAR(matrix[8], 1.333f * std::sin(42 * M_PI / 180), 1e-5); // 42 degrees a second

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene->paint(0, 0, 0);
    for (int p = 0; p < 5; ++p) {
        EXPECT_TRUE(
            scenetest::colourNear(testgl::readPixel(probes[p][0], probes[p][1]), first[p], 0))
            << "probe " << p;
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Twister, PaintAllocatesNothing) {
    // The driver compiles its pipeline variants in C++ on first use: the first frame meets
    // initGL's state, the second the state the first one left.
    scene->paint(0.48f, 0, 0);
    scene->paint(0.5f, 0.02f, 0);
    glFinish();
    const long long before = testalloc::allocations();
    for (int frame = 1; frame <= 10; ++frame) {
        scene->paint(0.5f + 0.02f * frame, 0.02f, 0);
    }
    glFinish();
    EXPECT_EQ(testalloc::allocations(), before);
}

} // namespace
