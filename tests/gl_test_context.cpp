// The render tests' GL context: the demo's own window, opened windowed through createGLWindow
// on the test display, with initGL's base state and the host's projection.
#include "tests/gl_test_context.h"

#include "host/host_window.h"

#include <GL/gl.h>

#include <cstdlib>

namespace testgl {

namespace {

const char* openWindow() {
    if (!std::getenv("DISPLAY"))
        return "DISPLAY is not set";
    if (createGLWindow("Solvane tests", kWindowWidth, kWindowHeight, 24, 0) != kWindowReady)
        return "createGLWindow failed (its message is above)";
    XEvent event;
    do {
        XNextEvent(GLWin.display, &event);
    } while (event.type != MapNotify);
    return nullptr;
}

} // namespace

bool openContext(const char** why) {
    // NOTE: deliberately never torn down. Closing the display unloads Mesa's driver before the
    // leak checker runs, and it could then no longer name the library of the driver's blocks.
    static const char* failure = openWindow();
    *why = failure;
    return failure == nullptr;
}

Rgb readPixel(int x, int y) {
    unsigned char pixel[4] = {};
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgb{pixel[0], pixel[1], pixel[2]};
}

} // namespace testgl
