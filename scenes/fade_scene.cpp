// "fade": the captured frame over the screen at a ramped alpha.
#include "scenes/fade_scene.h"

#include "gfx/render_texture.h"
#include "gfx/screen_quad.h"

#include <GL/gl.h>

FadeScene::FadeScene() : quadList(compileScreenQuad()), fadeIn(false) {}

FadeScene::~FadeScene() {
    glDeleteLists(quadList, 1);
}

void FadeScene::trigger(float, const std::string& name, const std::string& value) {
    if (name == "mode")
        fadeIn = value == "in";
}

void FadeScene::paint(float, float, float progress) {
    const float alpha = fadeIn ? progress : 1.0f - progress;
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    // GL_MODULATE: the texture's colours at this alpha.
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glCallList(quadList);
    // NOTE: the blend function, colour and the quad's scale stay set for the next effect.
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
