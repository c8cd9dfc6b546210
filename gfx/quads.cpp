// The shared quads and the overlay state. Leans on OpenGL 1.x immediate mode and display lists.
#include "gfx/quads.h"
#include "gfx/capture_texture.h"

#include <GL/gl.h>

void drawQuad(const QuadCorners& corners, const QuadTexCoords& texCoords) {
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(texCoords.left, texCoords.top);
    glVertex3f(corners.left, corners.top, corners.z);
    glTexCoord2f(texCoords.left, texCoords.bottom);
    glVertex3f(corners.left, corners.bottom, corners.z);
    glTexCoord2f(texCoords.right, texCoords.top);
    glVertex3f(corners.right, corners.top, corners.z);
    glTexCoord2f(texCoords.right, texCoords.bottom);
    glVertex3f(corners.right, corners.bottom, corners.z);
    glEnd();
}

void beginOverlay() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

void endOverlay() {
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}

unsigned int compileScreenQuad(float z) {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glScalef(kScreenAspect, 1.0f, 1.0f);
    drawQuad({-1.0f, 1.0f, 1.0f, -1.0f, z}, {0.0f, kCapturedS, kCapturedT, 0.0f});
    glEndList();
    return list;
}

unsigned int compileSlideQuad(float halfHeight) {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    drawQuad({-1.0f, 1.0f, halfHeight, -halfHeight, 0.0f}, {0.0f, 1.0f, 1.0f, 0.0f});
    glEndList();
    return list;
}

void drawPictureQuad() {
    glScalef(kScreenAspect, 1.0f, 1.0f);
    drawQuad({-1.0f, 1.0f, 1.0f, -1.0f, kScreenPlaneZ}, {0.0f, kCapturedS, 1.0f, kPictureBottomT});
}

void drawBackdrop(unsigned int texture) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, texture);
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    drawPictureQuad();
}
