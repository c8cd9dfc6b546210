// The backdrop quad of the scenes that show a full-screen picture behind their geometry.
#include "gfx/picture_quad.h"
#include "gfx/quad.h"
#include "gfx/screen_quad.h"

#include <GL/gl.h>

void drawPictureQuad() {
    glScalef(kScreenAspect, 1.0f, 1.0f);
    drawQuad({-1.0f, 1.0f, 1.0f, -1.0f, kScreenPlaneZ}, {0.0f, kCapturedS, 1.0f, kPictureBottomT});
}
