// "tfly": the captured frame on a card flying away.
#include "scenes/tfly_scene.h"

#include "gfx/capture_texture.h"
#include "gfx/quads.h"

#include <GL/gl.h>

#include <cmath>

// In the z = 0 plane: paint supplies the distance at which the card fills the window.
TFlyScene::TFlyScene() : list(compileScreenQuad(0.0f)) {}

TFlyScene::~TFlyScene() {
    glDeleteLists(list, 1);
}

void TFlyScene::trigger(float, const std::string&, const std::string&) {}

void TFlyScene::paint(float, float, float progress) {
    const double p = progress;
    glLoadIdentity();
    // Recedes with p squared (to 52.414) and swerves right with p to the fourth (to 30).
    glTranslatef(static_cast<float>(30.0 * std::pow(p, 4)), 0.0f,
                 static_cast<float>(-2.414 - 50.0 * std::pow(p, 2)));
    // Degrees: one full turn about x and two about y over the window.
    glRotatef(static_cast<float>(-2.0 * p * 180.0), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(p * 4.0 * 180.0), 0.0f, 1.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    beginOverlay();
    // Both faces are seen as it tumbles.
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, static_cast<float>(1.0 - p));
    glCallList(list);
    endOverlay();
    glEnable(GL_CULL_FACE);
}
