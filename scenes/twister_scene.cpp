// The twister: mesh construction once, then per frame the ring rotations on the CPU and one
// cell-shaded draw over the background picture.
#include "scenes/twister_scene.h"

#include "gfx/png_loader.h"
#include "gfx/quads.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const float kQuarterTurn = 1.5707964f;
const float kThreeQuarterTurns = 4.712389f;
const double kRingStep = 0.62831855; // radians, a tenth of a turn

} // namespace

TwisterScene::TwisterScene() {
    mesh.pointCount = kPointCount;
    mesh.polygonCount = kPolygonCount;
    mesh.points = new tarvo64k::Point3D[kPointCount];
    mesh.polygons = new tarvo64k::qPolygon[kPolygonCount];
    buildArms();
    buildStrips();
    mesh.calcNormals();

    basePoints = new tarvo64k::Point3D[kPointCount];
    baseNormals = new tarvo64k::Point3D[kPointCount];
    for (int v = 0; v < kPointCount; ++v) {
        basePoints[v] = mesh.points[v];
        baseNormals[v] = mesh.vertexNormals[v];
    }

    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    loadPng("data/1.png");
}

TwisterScene::~TwisterScene() {
    glDeleteTextures(1, &texture);
    delete[] basePoints;
    delete[] baseNormals;
}

// Every arm is built along +Y, then turned onto its axis: +Y, -Z, -Y, +Z, -X, +X.
void TwisterScene::buildArms() {
    tarvo64k::Matrix arm;
    for (int i = 0; i < kRings; ++i) {
        const float radius = 1.0f - static_cast<float>(i) / 19.0f; // 0 at the tip ring
        const float height = static_cast<float>(2.0 * (0.3 * i) + 0.5);
        for (int j = 0; j < kArms; ++j) {
            const int first = kLevelPoints * i + kRingPoints * j;
            for (int k = 0; k < kRingPoints; ++k) {
                const double angle = kRingStep * k;
                mesh.points[first + k].set(static_cast<float>(std::sin(angle)) * radius, height,
                                           static_cast<float>(std::cos(angle)) * radius);
            }
            arm.reset();
            if (j < 4) {
                arm.rotateX(static_cast<float>(j) * kQuarterTurn);
            } else {
                arm.rotateZ(j == 4 ? kQuarterTurn : kThreeQuarterTurns);
            }
            arm.transform(mesh.points, mesh.points, first, kRingPoints);
        }
    }
}

// Quad g joins ring point g and its neighbour n to the same two one level further out,
// listed in strip order; that order fixes the facing used by back-face culling.
void TwisterScene::buildStrips() {
    for (int g = 0; g < kPolygonCount; ++g) {
        const int n = g % kRingPoints < kRingPoints - 1 ? g + 1 : g - (kRingPoints - 1);
        tarvo64k::qPolygon& quad = mesh.polygons[g];
        quad.count = 4;
        quad.indices = new int[4]{g, n, g + kLevelPoints, n + kLevelPoints};
    }
}

void TwisterScene::trigger(float, const std::string&, const std::string&) {}

void TwisterScene::twist(float elapsed) {
    const float c = static_cast<float>(1.2 * elapsed);
    for (int i = 0; i < kRings; ++i) {
        const float phase = static_cast<float>(0.15 * i); // outer rings lag further
        ringMatrix.reset();
        ringMatrix.rotateX(1.5f * static_cast<float>(std::sin(c - phase)));
        ringMatrix.rotateY(1.5f * static_cast<float>(std::sin(0.7 * c - phase)));
        ringMatrix.rotateZ(1.5f * static_cast<float>(std::cos(1.2 * c - phase)));
        // A pure rotation: the normals keep their length and take no translation.
        ringMatrix.transform(basePoints, mesh.points, kLevelPoints * i, kLevelPoints);
        ringMatrix.transform(baseNormals, mesh.vertexNormals, kLevelPoints * i, kLevelPoints);
    }
}

void TwisterScene::paint(float elapsed, float, float) {
    drawBackdrop(texture);

    // NOTE: the backdrop's 1.333 x scale stays in force for the star as well.
    glTranslatef(0.0f, 0.0f, -20.0f);
    glRotatef(elapsed * 21.0f * 2.0f, 0.0f, 1.0f, 0.0f); // degrees, 42 per second
    twist(elapsed);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);
    mesh.drawCell();
}
