// Polyhedron: vertex normals as plain averages found by index, and the cell-shaded drawing's
// coordinates, picture and the GL state it leaves for the next effect.
#include "framework/polyhedron.h"
#include "gfx/computed_textures.h"
#include "tests/render_support.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using tarvo64k::Point3D;
using tarvo64k::Polyhedron;

namespace {

const float kTolerance = 1e-6f;

std::unique_ptr<Polyhedron> makeMesh(const std::vector<Point3D>& points,
                                     const std::vector<std::vector<int>>& polygons) {
    auto mesh = std::make_unique<Polyhedron>();
    mesh->pointCount = static_cast<int>(points.size());
    mesh->points = new Point3D[points.size()];
    for (size_t i = 0; i < points.size(); ++i)
        mesh->points[i] = points[i];
    mesh->polygonCount = static_cast<int>(polygons.size());
    mesh->polygons = new tarvo64k::qPolygon[polygons.size()];
    for (size_t j = 0; j < polygons.size(); ++j) {
        mesh->polygons[j].count = static_cast<int>(polygons[j].size());
        mesh->polygons[j].indices = new int[polygons[j].size()];
        for (size_t i = 0; i < polygons[j].size(); ++i)
            mesh->polygons[j].indices[i] = polygons[j][i];
    }
    mesh->calcNormals();
    return mesh;
}

// Face 0 faces +X, face 1 faces +Y; points 0 and 2 are on both, point 4 on neither.
const std::vector<Point3D> kCorner = {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}, {5, 5, 5}};

TEST(PolyhedronNormals, UnitFaceNormalsAveragedPerPointWithoutRenormalising) {
    // Side 3, so the face normal must be scaled down to unit length.
    auto square = makeMesh({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {3, 3, 0}}, {{0, 1, 2, 3}});
    EXPECT_POINT_NEAR(square->faceNormals[0], 0, 0, 1, kTolerance);
    for (int k = 0; k < 4; ++k)
        EXPECT_POINT_NEAR(square->vertexNormals[k], 0, 0, 1, kTolerance);

    // A polygon that lists a point twice counts it once.
    for (auto polygons : {std::vector<std::vector<int>>{{0, 1, 2}, {0, 2, 3}},
                          std::vector<std::vector<int>>{{0, 1, 2, 0, 1}, {0, 2, 3}}}) {
        auto mesh = makeMesh(kCorner, polygons);
        EXPECT_POINT_NEAR(mesh->faceNormals[0], 1, 0, 0, kTolerance);
        EXPECT_POINT_NEAR(mesh->faceNormals[1], 0, 1, 0, kTolerance);
        EXPECT_POINT_NEAR(mesh->vertexNormals[0], 0.5f, 0.5f, 0, kTolerance);
        EXPECT_POINT_NEAR(mesh->vertexNormals[2], 0.5f, 0.5f, 0, kTolerance);
        EXPECT_POINT_NEAR(mesh->vertexNormals[1], 1, 0, 0, kTolerance);
        EXPECT_POINT_NEAR(mesh->vertexNormals[3], 0, 1, 0, kTolerance);
        EXPECT_POINT_NEAR(mesh->vertexNormals[4], 0, 0, 0, kTolerance); // used by no polygon
    }
}

// [SECTION] Cell shading, under a real GL context

class DrawCell : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_GL_CONTEXT();
        createCellshadeTexture();
        glLoadIdentity();
    }
    void TearDown() override { glDeleteTextures(1, &cellshadeTexture); }

    // Points 0-3 take the given normals; point 4 is used by no polygon.
    std::unique_ptr<Polyhedron> meshWithNormals(const std::vector<Point3D>& normals) {
        auto mesh = makeMesh(kCorner, {{0, 1, 2, 3}});
        for (size_t k = 0; k < normals.size(); ++k)
            mesh->vertexNormals[k] = normals[k];
        return mesh;
    }
};

TEST_F(DrawCell, CoordinateIsTheEyeSpaceZOfTheNormal) {
    auto mesh = meshWithNormals({{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}});
    mesh->drawCell();
    const float identity[5] = {1, 0, 0, 0, 0};
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(mesh->cellCoords[k], identity[k], kTolerance) << "point " << k;

    // Turning the model +90 degrees about Y takes +X to -Z and -X towards the viewer.
    glLoadIdentity();
    glRotatef(90, 0, 1, 0);
    mesh->drawCell();
    const float rotated[5] = {0, 0, 0, 1, 0};
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(mesh->cellCoords[k], rotated[k], kTolerance) << "point " << k;

    glLoadIdentity();
    glScalef(2, 2, 2);
    mesh->drawCell();
    EXPECT_NEAR(mesh->cellCoords[0], 2, kTolerance); // no upper clamp
}

TEST_F(DrawCell, LeavesLightingAndTexturingOnAndCullingOn) {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_1D, 0);

    meshWithNormals({})->drawCell();

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_1D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_1D, &bound);
    EXPECT_EQ(static_cast<unsigned int>(bound), cellshadeTexture);
    // Nearest filtering keeps the bands hard.
    GLint magFilter = 0, minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(magFilter, GL_NEAREST);
    EXPECT_EQ(minFilter, GL_NEAREST);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawCell, ShadesInHardBandsAndCullsBackFaces) {
    // Four unit quads at z = -5 centred on x = -2, -0.7, 0.6, 1.9; the last is wound clockwise.
    const float centres[4] = {-2.0f, -0.7f, 0.6f, 1.9f};
    const float alignment[3] = {0.1f, 0.3f, 0.7f};
    std::vector<Point3D> points;
    std::vector<std::vector<int>> quads;
    for (int q = 0; q < 4; ++q) {
        const float x = centres[q];
        points.insert(points.end(), {{x - 0.5f, -0.5f, -5},
                                     {x + 0.5f, -0.5f, -5},
                                     {x - 0.5f, 0.5f, -5},
                                     {x + 0.5f, 0.5f, -5}});
        const int a = 4 * q;
        quads.push_back(q < 3 ? std::vector<int>{a, a + 1, a + 2, a + 3}
                              : std::vector<int>{a + 1, a, a + 3, a + 2});
    }
    auto mesh = makeMesh(points, quads);
    for (int k = 0; k < 12; ++k)
        mesh->vertexNormals[k].set(0, 0, alignment[k / 4]);

    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 1, 1);
    mesh->drawCell();

    // Pixel columns of the quad centres under the 45 degree, 4:3 projection.
    const int columns[4] = {110, 299, 487, 675};
    const int expectedGrey[4] = {128, 192, 255, 0};
    for (int q = 0; q < 4; ++q) {
        const testgl::Rgb pixel = testgl::readPixel(columns[q], 300);
        EXPECT_NEAR(pixel.r, expectedGrey[q], 2) << "quad " << q;
        EXPECT_NEAR(pixel.g, expectedGrey[q], 2) << "quad " << q;
        EXPECT_NEAR(pixel.b, expectedGrey[q], 2) << "quad " << q;
    }
}

} // namespace
