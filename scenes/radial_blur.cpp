// "radialblur": the feedback step, with a capture texture of its own.
#include "scenes/radial_blur.h"

#include "gfx/capture_texture.h"
#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

RadialBlur::RadialBlur() : amount(0.9f), step(1.05f) {
    glGenTextures(1, &texture);
    // Cleared, so the first frame of the first window blends in black.
    pixelBuffer = new unsigned char[captureBytes()]();
    glBindTexture(GL_TEXTURE_2D, texture);
    specifyCaptureTexture(pixelBuffer);
    quadList = compileScreenQuad();
}

RadialBlur::~RadialBlur() {
    glDeleteTextures(1, &texture);
    glDeleteLists(quadList, 1);
    delete[] pixelBuffer;
}

void RadialBlur::trigger(float, const std::string& name, const std::string& value) {
    const FiredTrigger trigger(sceneInfoOf(*this), name, value);
    if (trigger.is("amount"))
        amount = trigger.number();
    else if (trigger.is("step"))
        step = trigger.number();
}

void RadialBlur::paint(float, float, float) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glLoadIdentity();
    beginOverlay();
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(1.0f, 1.0f, 1.0f, amount);
    // About the centre, since the quad is centred on the view axis; the rim falls off screen.
    glScalef(step, step, 1.0f);
    glCallList(quadList);
    endOverlay();
    // Not cleared: the frame goes on with the blurred picture, and this is next frame's trail.
    copyFrameToCaptureTexture();
}
