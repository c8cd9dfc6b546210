// The level meter: five outlined bars and their cap lines, drawn as line strips at distance
// 2.4, where the screen's half-height is about 0.99.
#include "scenes/design_mojs2.h"

#include "gfx/pixel_scale.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const int kBarCount = 5;
const float kHalfWidth = 0.0128f;
const float kBarSpacing = 0.0375f;
const float kCapGap = 0.01f;
const float kLineWidth = 0.125f;

} // namespace

DesignMojs2::DesignMojs2() : barPhase(-1.0f) {}

DesignMojs2::~DesignMojs2() = default;

void DesignMojs2::trigger(float, const std::string&, const std::string&) {
    barPhase += 1.0f;
}

void DesignMojs2::paint(float elapsed, float, float) {
    if (barPhase == -1.0f)
        barPhase = elapsed;

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    // Thinner than a pixel: GL draws its thinnest line.
    glLineWidth(scaledLineWidth(kLineWidth));
    glLoadIdentity();
    glTranslatef(1.096f, -0.9f, -2.4f);
    glColor3f(1.0f, 1.0f, 1.0f);

    for (int bar = 0; bar < kBarCount; ++bar)
        drawBar(bar);

    glDisable(GL_LINE_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}

void DesignMojs2::drawBar(int bar) {
    // Between 0.05 and 0.1; neighbours one radian apart, so a trigger moves each bar to the
    // height its left neighbour had.
    const float height = (std::sin(barPhase - static_cast<float>(bar)) * 0.25f + 0.75f) * 0.1f;
    const float capHeight = height + kCapGap;

    glPushMatrix();
    glTranslatef(static_cast<float>(bar) * kBarSpacing, 0.0f, 0.0f);
    // clang-format off
    glBegin(GL_LINE_STRIP);
        glVertex3f(-kHalfWidth, 0.0f, 0.0f);
        glVertex3f(-kHalfWidth, height, 0.0f);
        glVertex3f(kHalfWidth, height, 0.0f);
        glVertex3f(kHalfWidth, 0.0f, 0.0f);
        glVertex3f(-kHalfWidth, 0.0f, 0.0f);
    glEnd();
    glBegin(GL_LINE_STRIP);
        glVertex3f(-kHalfWidth, capHeight, 0.0f);
        glVertex3f(kHalfWidth, capHeight, 0.0f);
    glEnd();
    // clang-format on
    glPopMatrix();
}
