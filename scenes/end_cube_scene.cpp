// The end cube: a flat sheet and its skin with kept flat and folded positions, blended by the
// fold fraction each frame, then drawn under the flight transform.
#include "scenes/end_cube_scene.h"

#include "gfx/capture_texture.h"
#include "gfx/png_loader.h"
#include "gfx/quads.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

using tarvo64k::Point3D;

namespace {

// Folded position of each sheet vertex; grid cells outside the net shrink to the centre.
const Point3D kFolded[EndCubeScene::kSheetPoints] = {
    {0, 0, 0},   {-1, 1, 1}, {1, 1, 1},   {0, 0, 0},   {0, 0, 0},    {-1, 1, 1},  {-1, 1, -1},
    {1, 1, -1},  {1, 1, 1},  {-1, 1, 1},  {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1},
    {-1, -1, 1}, {0, 0, 0},  {-1, -1, 1}, {1, -1, 1},  {0, 0, 0},    {0, 0, 0},
};

// Rows 1-2 are the band of side walls; rows 0 and 3 hold only the top and bottom walls.
bool isNetVertex(int row, int column) {
    return row == 1 || row == 2 || column == 1 || column == 2;
}

Point3D flatPosition(int row, int column) {
    const double x = (0.5 * column * 1.3333 - 1.3333) * 4.0;
    const double y = (1.0 - row / 1.5) * 4.0;
    return Point3D(static_cast<float>(x), static_cast<float>(y), 0.0f);
}

void setStrip(tarvo64k::qPolygon& polygon, std::initializer_list<int> indices) {
    polygon.count = static_cast<int>(indices.size());
    polygon.indices = new int[indices.size()];
    std::copy(indices.begin(), indices.end(), polygon.indices);
}

} // namespace

EndCubeScene::EndCubeScene() : flatNormal(0.0f, 0.0f, 1.0f) {
    buildSheet();
    buildSkin();
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    loadPng("data/4.png");
}

EndCubeScene::~EndCubeScene() {
    delete[] sheetBase;
    delete[] sheetTarget;
    delete[] sheetTargetNormals;
    delete[] cubeBase;
    delete[] cubeTarget;
    delete[] cubeTargetNormals;
    glDeleteTextures(1, &texture);
}

// Three 10-vertex strips, one per pair of grid rows, counter-clockwise seen from +z while
// flat; folded, that side of every wall faces the inside of the cube.
void EndCubeScene::buildSheet() {
    sheet.pointCount = kSheetPoints;
    sheet.polygonCount = kRows - 1;
    sheet.points = new Point3D[kSheetPoints];
    sheet.texCoords = new Point3D[kSheetPoints];
    sheet.polygons = new tarvo64k::qPolygon[kRows - 1];
    sheetBase = new Point3D[kSheetPoints];
    sheetTarget = new Point3D[kSheetPoints];
    sheetTargetNormals = new Point3D[kSheetPoints];

    for (int i = 0; i < kRows; ++i) {
        for (int k = 0; k < kColumns; ++k) {
            const int v = kColumns * i + k;
            sheet.points[v] = flatPosition(i, k);
            // The captured frame: s to 0.78125 left to right, t from 0.5859375 at the top.
            sheet.texCoords[v].set(static_cast<float>(k * 0.25 * kCapturedS),
                                   static_cast<float>((1.0 - i / 3.0) * kCapturedT), 0.0f);
            sheetBase[v] = sheet.points[v];
            sheetTarget[v] = kFolded[v];
            sheetTargetNormals[v] = kFolded[v];
        }
    }
    for (int r = 0; r < kRows - 1; ++r) {
        const int a = kColumns * r;
        const int b = a + kColumns;
        setStrip(sheet.polygons[r], {a, b, a + 1, b + 1, a + 2, b + 2, a + 3, b + 3, a + 4, b + 4});
    }
    sheet.calcNormals();
}

void EndCubeScene::buildSkin() {
    cube.pointCount = kSkinPoints;
    cube.polygonCount = 3;
    cube.points = new Point3D[kSkinPoints];
    cube.polygons = new tarvo64k::qPolygon[3];
    cubeBase = new Point3D[kSkinPoints];
    cubeTarget = new Point3D[kSkinPoints];
    cubeTargetNormals = new Point3D[kSkinPoints];

    int v = 0;
    for (int i = 0; i < kRows; ++i) {
        for (int k = 0; k < kColumns; ++k) {
            if (!isNetVertex(i, k)) {
                continue;
            }
            cube.points[v] = flatPosition(i, k);
            cubeBase[v] = cube.points[v];
            cubeTarget[v] = kFolded[kColumns * i + k];
            cubeTargetNormals[v] = kFolded[kColumns * i + k];
            ++v;
        }
    }
    setStrip(cube.polygons[0], {0, 3, 1, 4});                     // top wall
    setStrip(cube.polygons[1], {2, 7, 3, 8, 4, 9, 5, 10, 6, 11}); // the four side walls
    setStrip(cube.polygons[2], {8, 12, 9, 13});                   // bottom wall
    cube.calcNormals();
}

void EndCubeScene::trigger(float, const std::string&, const std::string&) {}

void EndCubeScene::flyAway(float progress) const {
    const double p = progress;
    const double sway = std::sin(p);
    const double fall = std::sin(1.57 * p);
    const double recede = 7.0 * std::sin(2.0 * p);
    glTranslatef(static_cast<float>(30.0 * sway * sway),
                 static_cast<float>(-40.0 * fall * fall * fall),
                 static_cast<float>(static_cast<double>(-9.7f) - recede * recede));
    const float tumble = static_cast<float>(360.0 * 6.0 * sway * sway); // degrees
    glRotatef(tumble, 0.0f, 1.0f, 0.0f);
    glRotatef(tumble, 1.0f, 0.0f, 0.0f);
}

// NOTE: the normals are blended, not renormalised: the folded corners' normals are sqrt(3)
// long and the collapsed cells' normals vanish.
void EndCubeScene::fold(float fraction) {
    for (int v = 0; v < kSheetPoints; ++v) {
        sheet.points[v] = sheetBase[v] + (sheetTarget[v] - sheetBase[v]) * fraction;
        sheet.vertexNormals[v] = flatNormal + (sheetTargetNormals[v] - flatNormal) * fraction;
    }
    for (int v = 0; v < kSkinPoints; ++v) {
        cube.points[v] = cubeBase[v] + (cubeTarget[v] - cubeBase[v]) * fraction;
        cube.vertexNormals[v] = flatNormal + (cubeTargetNormals[v] - flatNormal) * fraction;
    }
}

void EndCubeScene::paint(float, float, float progress) {
    drawBackdrop(texture);

    glEnable(GL_LIGHTING);
    glLoadIdentity();
    flyAway(progress);
    fold(std::min(2.5f * progress, 1.0f)); // folded completely from progress 0.4 on

    // No depth test: the strips overwrite one another in order and write no depth.
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    sheet.drawTex();

    // Front faces are the walls' inner sides: only outsides turned to the viewer are drawn.
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.4f, 0.0f, 0.0f);
    cube.draw();
    glCullFace(GL_BACK);
}
