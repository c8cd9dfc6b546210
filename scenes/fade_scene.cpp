// "fade": the captured frame over the screen at a ramped alpha.
#include "scenes/fade_scene.h"

#include "gfx/capture_texture.h"
#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

FadeScene::FadeScene() : quadList(compileScreenQuad()), fadeIn(false) {}

FadeScene::~FadeScene() {
    glDeleteLists(quadList, 1);
}

void FadeScene::trigger(float, const std::string& name, const std::string& value) {
    const FiredTrigger trigger(sceneInfoOf(*this), name, value);
    if (trigger.is("mode"))
        fadeIn = trigger.means("in");
}

void FadeScene::paint(float, float, float progress) {
    const float alpha = fadeIn ? progress : 1.0f - progress;
    glLoadIdentity();
    beginOverlay();
    glBindTexture(GL_TEXTURE_2D, render_texture);
    // GL_MODULATE: the texture's colours at this alpha.
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glCallList(quadList);
    // NOTE: the blend function, colour and the quad's scale stay set for the next effect.
    endOverlay();
}
