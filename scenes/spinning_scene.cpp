// The paddle wheel: one textured panel display list drawn 40 times, 9 degrees apart, each
// adding an eighth of "data/spinning.png" to the frame.
#include "scenes/spinning_scene.h"

#include "gfx/png_loader.h"
#include "gfx/quads.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const int kPanelCount = 40;
// Degrees per second about the wheel's axis.
const float kTurnRate = 30.0f;

} // namespace

SpinningScene::SpinningScene() : list(glGenLists(1)), texture(0) {
    // 2.4 wide and 2 high, centred on the origin in the z = 0 plane.
    glNewList(list, GL_COMPILE);
    drawQuad({-1.2f, 1.2f, 1.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 1.0f, 0.0f});
    glEndList();

    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    loadPng("data/spinning.png");
}

SpinningScene::~SpinningScene() {
    glDeleteLists(list, 1);
    glDeleteTextures(1, &texture);
}

void SpinningScene::trigger(float, const std::string&, const std::string&) {}

void SpinningScene::paint(float elapsed, float, float) {
    // The eye sits inside the wheel's radius of 2, so the nearer blades sweep past it.
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -1.5f);

    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    glBindTexture(GL_TEXTURE_2D, texture);
    // Each panel adds an eighth of its texel colour (weighted by the texel's own alpha).
    glColor4f(1.0f, 1.0f, 1.0f, 0.125f);

    // Degrees: rocks +-20 with period 2*pi s; GL normalises the axis.
    glRotatef(20.0f * std::sin(elapsed), 0.0f, 1.0f, 1.0f);
    for (int i = 0; i < kPanelCount; ++i) {
        glPushMatrix();
        glRotatef(static_cast<float>(i) / kPanelCount * 360.0f + kTurnRate * elapsed, 1.0f, 0.0f,
                  0.0f);
        glTranslatef(0.0f, 1.0f, 0.0f);
        glCallList(list);
        glPopMatrix();
    }

    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
