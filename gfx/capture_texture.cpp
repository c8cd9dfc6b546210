// Capture textures: the shared texture's name, and the upload and frame copy of the scenes
// that capture the frame.
#include "gfx/capture_texture.h"

#include "gfx/pixel_scale.h"

#include <GL/gl.h>

unsigned int render_texture = 0;

int captureSize() {
    return kCaptureSize * pixelScale();
}

int captureBytes() {
    return captureSize() * captureSize() * 3;
}

void specifyCaptureTexture(const unsigned char* pixels) {
    glTexImage2D(GL_TEXTURE_2D, 0, 3, captureSize(), captureSize(), 0, GL_RGB, GL_UNSIGNED_BYTE,
                 pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void copyFrameToCaptureTexture() {
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, kCapturedWidth * pixelScale(),
                        kCapturedHeight * pixelScale());
}
