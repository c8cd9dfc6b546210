// The cube lattice: one display-list cube drawn 125 times, sized by a wave of period 2*pi/3 s
// that advances one radian per lattice step along each axis.
#include "scenes/cubes_scene.h"

#include "gfx/png_loader.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

const int kCubesPerAxis = 5;
const double kLatticeStart = -3.0;
const double kLatticeStep = 1.5;

void compileCube() {
    // Each face shows the whole picture; the normal is set once per face.
    glBegin(GL_QUADS);
    // clang-format off
        glNormal3f(0.0f, 0.0f, 1.0f);
        glTexCoord2f(0, 0); glVertex3f(-1, -1, 1);
        glTexCoord2f(1, 0); glVertex3f(1, -1, 1);
        glTexCoord2f(1, 1); glVertex3f(1, 1, 1);
        glTexCoord2f(0, 1); glVertex3f(-1, 1, 1);

        glNormal3f(0.0f, 0.0f, -1.0f);
        glTexCoord2f(1, 0); glVertex3f(-1, -1, -1);
        glTexCoord2f(1, 1); glVertex3f(-1, 1, -1);
        glTexCoord2f(0, 1); glVertex3f(1, 1, -1);
        glTexCoord2f(0, 0); glVertex3f(1, -1, -1);

        glNormal3f(1.0f, 0.0f, 0.0f);
        glTexCoord2f(1, 0); glVertex3f(1, -1, -1);
        glTexCoord2f(1, 1); glVertex3f(1, 1, -1);
        glTexCoord2f(0, 1); glVertex3f(1, 1, 1);
        glTexCoord2f(0, 0); glVertex3f(1, -1, 1);

        glNormal3f(-1.0f, 0.0f, 0.0f);
        glTexCoord2f(1, 0); glVertex3f(-1, -1, 1);
        glTexCoord2f(1, 1); glVertex3f(-1, 1, 1);
        glTexCoord2f(0, 1); glVertex3f(-1, 1, -1);
        glTexCoord2f(0, 0); glVertex3f(-1, -1, -1);

        glNormal3f(0.0f, -1.0f, 0.0f);
        glTexCoord2f(1, 0); glVertex3f(1, -1, -1);
        glTexCoord2f(1, 1); glVertex3f(1, -1, 1);
        glTexCoord2f(0, 1); glVertex3f(-1, -1, 1);
        glTexCoord2f(0, 0); glVertex3f(-1, -1, -1);

        glNormal3f(0.0f, 1.0f, 0.0f);
        glTexCoord2f(1, 0); glVertex3f(1, 1, 1);
        glTexCoord2f(1, 1); glVertex3f(1, 1, -1);
        glTexCoord2f(0, 1); glVertex3f(-1, 1, -1);
        glTexCoord2f(0, 0); glVertex3f(-1, 1, 1);
    // clang-format on
    glEnd();
}

float latticeCoordinate(int index) {
    return static_cast<float>(kLatticeStart + kLatticeStep * index);
}

} // namespace

CubesScene::CubesScene() : phase(0), phaseTime(0.0f), list(0), texture(0) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    loadPng("data/cubes.png");

    list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    compileCube();
    glEndList();
}

CubesScene::~CubesScene() {
    glDeleteTextures(1, &texture);
    glDeleteLists(list, 1);
}

void CubesScene::trigger(float time, const std::string&, const std::string&) {
    ++phase;
    phaseTime = time;
}

void CubesScene::paint(float elapsed, float, float) {
    const double e = elapsed;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    // With the resting colour-material lighting this colours the lit faces.
    glColor3f(0.72f, 0.17f, 0.0f);

    const float c = static_cast<float>(3.0 * e);
    const float g = static_cast<float>(2.0 * std::cos(0.125 * e));
    for (int i = 0; i < kCubesPerAxis; ++i) {
        const float o = static_cast<float>(std::cos(static_cast<double>(c) - i) * 0.18 + 0.18);
        for (int j = 0; j < kCubesPerAxis; ++j) {
            const float u = static_cast<float>(std::sin(static_cast<double>(c) - j) * 0.18 + 0.18);
            const float w = static_cast<float>(2.0 * std::sin(0.25 * e + 0.125 * j) + g);
            const float b = static_cast<float>(u + o + 0.18);
            // Degrees for glRotatef: the layer swings by 1.5 * w radians.
            const float swing = static_cast<float>(w * 180.0 / 3.1415927 * 1.5);
            for (int k = 0; k < kCubesPerAxis; ++k) {
                float s = static_cast<float>(std::cos(static_cast<double>(c) - k) * 0.18 + b);
                s = phaseFactor(s, elapsed);
                glLoadIdentity();
                glTranslatef(0.0f, 0.0f, -20.0f);
                glRotatef(swing, 0.0f, 1.0f, 0.0f);
                glTranslatef(latticeCoordinate(i), latticeCoordinate(j), latticeCoordinate(k));
                glScalef(s, s, s);
                glCallList(list);
            }
        }
    }

    glDisable(GL_TEXTURE_2D);
}

// Scales a wave size by the growing-in or shrinking-away factor of the current phase; the end
// of the first second moves phase 0 on to full size.
float CubesScene::phaseFactor(float size, float elapsed) {
    if (phase == 0 && elapsed < 1.0f)
        return size * elapsed;
    if (phase == 0)
        phase = 1;
    if (phase == 2)
        return static_cast<float>(size *
                                  std::max(0.0, static_cast<double>(phaseTime) + 1.0 - elapsed));
    return size;
}
