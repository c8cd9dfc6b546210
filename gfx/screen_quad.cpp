// The screen quad display list shared by the scenes that draw a captured frame.
#include "gfx/screen_quad.h"

#include <GL/gl.h>

unsigned int compileScreenQuad() {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glScalef(1.333f, 1.0f, 1.0f);
    // At z = -2.414 the 45-degree field of view spans y from -1 to 1.
    glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(0.0f, kCapturedT);
        glVertex3f(-1.0f, 1.0f, -2.414f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-1.0f, -1.0f, -2.414f);
        glTexCoord2f(kCapturedS, kCapturedT);
        glVertex3f(1.0f, 1.0f, -2.414f);
        glTexCoord2f(kCapturedS, 0.0f);
        glVertex3f(1.0f, -1.0f, -2.414f);
    glEnd();
    glEndList();
    return list;
}
