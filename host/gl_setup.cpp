// The base GL state every scene relies on, and the projection for a drawable size.
#include "host/host_window.h"

#include <GL/gl.h>
#include <GL/glu.h>

int initGL() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    resizeGLScene(GLWin.width, GLWin.height);
    glFlush();
    return 1;
}

void resizeGLScene(unsigned int width, unsigned int height) {
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The near plane is a float 0.1 widened to double, not the double 0.1.
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height),
                   static_cast<double>(0.1f), 100.0);
    // Scenes always find the model-view matrix selected.
    glMatrixMode(GL_MODELVIEW);
}
