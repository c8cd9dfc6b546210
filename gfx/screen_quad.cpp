// The screen quad display list shared by the scenes that draw a captured frame.
#include "gfx/screen_quad.h"
#include "gfx/quad.h"

#include <GL/gl.h>

unsigned int compileScreenQuad() {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glScalef(kScreenAspect, 1.0f, 1.0f);
    drawQuad({-1.0f, 1.0f, 1.0f, -1.0f, kScreenPlaneZ}, {0.0f, kCapturedS, kCapturedT, 0.0f});
    glEndList();
    return list;
}
