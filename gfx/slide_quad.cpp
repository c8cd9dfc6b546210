// The picture slides' quad display list.
#include "gfx/slide_quad.h"
#include "gfx/quad.h"

#include <GL/gl.h>

unsigned int compileSlideQuad(float halfHeight) {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    drawQuad({-1.0f, 1.0f, halfHeight, -halfHeight, 0.0f}, {0.0f, 1.0f, 1.0f, 0.0f});
    glEndList();
    return list;
}
