// The shared quad and overlay state.
#include "gfx/quad.h"

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
