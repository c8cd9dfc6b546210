// "tstretch": the captured frame squeezed to a band that then narrows away.
#include "scenes/stretch_transition.h"

#include "gfx/capture_texture.h"
#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

StretchTransition::StretchTransition() : quadList(compileScreenQuad()), fadeIn(false) {}

StretchTransition::~StretchTransition() {
    glDeleteLists(quadList, 1);
}

void StretchTransition::trigger(float, const std::string& name, const std::string& value) {
    const FiredTrigger trigger(sceneInfoOf(*this), name, value);
    if (trigger.is("mode"))
        fadeIn = trigger.means("in");
}

void StretchTransition::paint(float, float, float progress) {
    const float alpha = fadeIn ? progress : 1.0f - progress;
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // NOTE: blending is left as the effects before left it: with it off the band is opaque
    // whatever the alpha.
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, render_texture);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);

    // Height falls to 2 % by progress 0.49, then the width falls from 1.02 to 0.
    const double p = progress;
    float xScale = 1.0f;
    float yScale = static_cast<float>(1.0 - 2.0 * p);
    if (2.0 * p > 0.98) {
        xScale = static_cast<float>(1.0 - 2.0 * (p - 0.5));
        yScale = 1.0f - 0.98f;
    }
    glScalef(xScale, yScale, 1.0f);
    glCallList(quadList);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
