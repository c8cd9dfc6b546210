// "background": a full-screen colour quad.
#include "scenes/background_scene.h"

#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

namespace {

// On the near plane (distance 0.1) and far larger than the view there, so it covers every
// pixel. Its texture coordinates are unused: texturing is off when it is drawn.
unsigned int compileColourQuad() {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glScalef(2.666f, 2.0f, 1.0f);
    drawQuad({-1.0f, 1.0f, 1.0f, -1.0f, -0.1f}, {0.0f, 1.0f, 0.0f, 1.0f});
    glEndList();
    return list;
}

} // namespace

BackgroundScene::BackgroundScene()
    : quadList(compileColourQuad()), red(1.0f), green(1.0f), blue(1.0f), alpha(1.0f) {}

BackgroundScene::~BackgroundScene() {
    glDeleteLists(quadList, 1);
}

void BackgroundScene::trigger(float, const std::string& name, const std::string& value) {
    const FiredTrigger trigger(sceneInfoOf(*this), name, value);
    if (trigger.is("r"))
        red = trigger.number();
    else if (trigger.is("g"))
        green = trigger.number();
    else if (trigger.is("b"))
        blue = trigger.number();
    else if (trigger.is("a"))
        alpha = trigger.number();
}

void BackgroundScene::paint(float, float, float) {
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glColor4f(red, green, blue, alpha);
    glCallList(quadList);
    // NOTE: the colour and blend function stay set for the next effect.
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}
