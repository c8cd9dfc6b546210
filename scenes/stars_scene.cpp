// The stars: a random field drawn once, and two blended hexagrams per star each frame.
#include "scenes/stars_scene.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

namespace {

const double kSixthTurn = 1.0466666666666666; // radians, slightly more than pi / 3

float starCoordinate() {
    return static_cast<float>(10.0 - (std::rand() % 2000) / 100.0);
}

} // namespace

StarsScene::StarsScene() {
    stars = new Star[kStarCount];
    for (int i = 0; i < kStarCount; ++i) {
        // Separate statements: x is drawn before y.
        stars[i].x = starCoordinate();
        stars[i].y = starCoordinate();
    }

    list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (int t = 0; t < 2; ++t) {
        for (int j = 0; j < 3; ++j) {
            const double a = j * 6.28 / 3 + t * kSixthTurn; // triangle 0 points up
            glVertex3f(static_cast<float>(std::sin(a)), static_cast<float>(std::cos(a)), 1.0f);
        }
    }
    glEnd();
    glEndList();
}

StarsScene::~StarsScene() {
    glDeleteLists(list, 1);
    delete[] stars;
}

void StarsScene::trigger(float, const std::string&, const std::string&) {}

void StarsScene::putStar(float x, float y, float size, float angle) const {
    glLoadIdentity();
    glColor4f(0.4f, 0.0f, 0.0f, 0.5f);
    glTranslatef(x, y, -15.0f);
    glRotatef(-angle, 0.0f, 0.0f, 1.0f);
    glScalef(size, size, 1.0f);
    glCallList(list);

    // Covers all but a rim a tenth of the radius wide.
    const float inner = 0.9f * size;
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glTranslatef(x, y, -15.0f);
    glRotatef(-angle, 0.0f, 0.0f, 1.0f);
    glScalef(inner, inner, 1.0f);
    glCallList(list);
}

// NOTE: GL_TEXTURE_2D is left as found; when it is on, the bound texture modulates the stars.
void StarsScene::paint(float, float, float progress) {
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_ALPHA_TEST); // with whatever alpha function is current
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float size = static_cast<float>(2.0 * std::sin(3.14 * progress));
    const float angle = 200.0f * progress;
    for (int i = 0; i < kStarCount; ++i) {
        putStar(stars[i].x, stars[i].y, size, angle);
    }

    glDisable(GL_ALPHA_TEST);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
}
