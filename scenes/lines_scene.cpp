// The scan bars: one untextured bar display list at depth -2.4, moved to each bar's height.
#include "scenes/lines_scene.h"

#include "gfx/quads.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const int kBarCount = 100;

} // namespace

LinesScene::LinesScene() : list(glGenLists(1)) {
    // 2.666 x 0.008 at distance 2.4: edge to edge on a 4:3 screen, whose half-height there is
    // about 0.99. The texture coordinates are inert, as texturing is off while it is drawn.
    glNewList(list, GL_COMPILE);
    drawQuad({-kScreenAspect, kScreenAspect, 0.004f, -0.004f, -2.4f}, {0.0f, 1.0f, 0.0f, 1.0f});
    glEndList();
}

LinesScene::~LinesScene() {
    glDeleteLists(list, 1);
}

void LinesScene::trigger(float, const std::string&, const std::string&) {}

void LinesScene::paint(float elapsed, float, float) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);

    glLoadIdentity();
    // Each bar adds 0.2: five overlapping bars reach white.
    glColor3f(0.2f, 0.2f, 0.2f);

    const double e = elapsed;
    for (int i = 0; i < kBarCount; ++i) {
        // Bar i's speed goes with sin(i), so bar 0 never moves; -10 cos(i / 8) spreads the
        // starting heights.
        const double y =
            std::sin(0.25 * e * std::sin(static_cast<double>(i)) - 10.0 * std::cos(0.125 * i));
        glPushMatrix();
        glTranslatef(0.0f, static_cast<float>(y), 0.0f);
        glCallList(list);
        glPopMatrix();
    }

    // NOTE: blending stays on with the additive function; the next effect sets its own.
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
}
