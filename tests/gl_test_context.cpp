// The test-only window and GLX context; a later host change swaps it for the real window code.
#include "tests/gl_test_context.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

namespace testgl {

namespace {

const int kWindowWidth = 800;
const int kWindowHeight = 600;

struct Context {
    Display* display = nullptr;
    Window window = 0;
    Colormap colormap = 0;
    GLXContext glx = nullptr;
    const char* failure = nullptr;

    Context() { open(); }
    void open() {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            failure = "cannot open the X display named by DISPLAY";
            return;
        }
        int attributes[] = {
            GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
            8,        GLX_DEPTH_SIZE,   16,           None};
        XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
        if (visual == nullptr) {
            failure = "no double-buffered RGBA visual with depth";
            return;
        }
        createWindow(visual);
        glx = glXCreateContext(display, visual, nullptr, True);
        XFree(visual);
        if (glx == nullptr || !glXMakeCurrent(display, window, glx)) {
            failure = "cannot create or bind a GLX context";
            return;
        }
        setHostProjection();
    }

    void createWindow(XVisualInfo* visual) {
        Window root = RootWindow(display, visual->screen);
        colormap = XCreateColormap(display, root, visual->visual, AllocNone);
        XSetWindowAttributes attributes = {};
        attributes.colormap = colormap;
        attributes.event_mask = StructureNotifyMask;
        window = XCreateWindow(display, root, 0, 0, kWindowWidth, kWindowHeight, 0, visual->depth,
                               InputOutput, visual->visual, CWColormap | CWEventMask, &attributes);
        XMapWindow(display, window);
        XEvent event;
        do {
            XNextEvent(display, &event);
        } while (event.type != MapNotify);
    }

    static void setHostProjection() {
        glViewport(0, 0, kWindowWidth, kWindowHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, double(kWindowWidth) / double(kWindowHeight), 0.1, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

} // namespace

bool openContext(const char** why) {
    // NOTE: deliberately never torn down. Closing the display unloads Mesa's driver before the
    // leak checker runs, and it could then no longer name the library of the driver's blocks.
    static Context* context = new Context;
    *why = context->failure;
    return context->failure == nullptr;
}

Rgb readPixel(int x, int y) {
    unsigned char pixel[4] = {};
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgb{pixel[0], pixel[1], pixel[2]};
}

} // namespace testgl
