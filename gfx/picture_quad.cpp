// The backdrop quad of the scenes that show a full-screen picture behind their geometry.
#include "gfx/picture_quad.h"
#include "gfx/screen_quad.h"

#include <GL/gl.h>

void drawPictureQuad() {
    glScalef(1.333f, 1.0f, 1.0f);
    // At z = -2.414 the 45-degree field of view spans y from -1 to 1.
    // clang-format off
    glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(-1.0f, 1.0f, -2.414f);
        glTexCoord2f(0.0f, kPictureBottomT);
        glVertex3f(-1.0f, -1.0f, -2.414f);
        glTexCoord2f(kCapturedS, 1.0f);
        glVertex3f(1.0f, 1.0f, -2.414f);
        glTexCoord2f(kCapturedS, kPictureBottomT);
        glVertex3f(1.0f, -1.0f, -2.414f);
    glEnd();
    // clang-format on
}
