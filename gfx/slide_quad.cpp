// The picture slides' quad display list.
#include "gfx/slide_quad.h"

#include <GL/gl.h>

unsigned int compileSlideQuad(float halfHeight) {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    // clang-format off
    glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(-1.0f, halfHeight, 0.0f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-1.0f, -halfHeight, 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(1.0f, halfHeight, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(1.0f, -halfHeight, 0.0f);
    glEnd();
    // clang-format on
    glEndList();
    return list;
}
